#include "adapters/linux/interruptions.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <initializer_list>

namespace interruptions {
namespace {

const struct {
  int signal;
  const char* name;
} kHeldSignals[] = {
    {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}, {SIGQUIT, "SIGQUIT"}, {SIGTSTP, "SIGTSTP"},
};

// The signals stay blocked in every thread while held: the taker reads them from a signalfd,
// and release() collects what is left, so none of them can act before the mask is restored.
struct Holding {
  bool active = false;
  sigset_t held;
  sigset_t previousMask;
  int signals = -1;  // signalfd of the held signals
  int stop = -1;     // eventfd that ends the taker
  pthread_t taker;
  bool takerRunning = false;
};

Holding holding;
std::atomic<Notice> notice{nullptr};
std::atomic<int> first{0};

// A signal the program was started to ignore (SIGHUP under nohup) stays ignored, and unseen.
sigset_t signalsToHold() {
  sigset_t set;
  sigemptyset(&set);
  for (const auto& held : kHeldSignals) {
    struct sigaction action;
    if (::sigaction(held.signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN) sigaddset(&set, held.signal);
  }
  return set;
}

void take(int signal) {
  int none = 0;
  if (!first.compare_exchange_strong(none, signal)) return;
  if (const Notice tell = notice.load()) tell(signal);
}

void* takeUntilStopped(void*) {
  pollfd fds[] = {{holding.signals, POLLIN, 0}, {holding.stop, POLLIN, 0}};
  for (;;) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return nullptr;  // release() still collects what came
    }
    if (fds[1].revents != 0) return nullptr;
    signalfd_siginfo info;
    while (::read(holding.signals, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      take(static_cast<int>(info.ssi_signo));
    }
  }
}

// Without the taker (no descriptors or thread to be had) the signals are still held; they
// are only noticed when release() collects them.
void startTaker() {
  holding.signals = ::signalfd(-1, &holding.held, SFD_NONBLOCK | SFD_CLOEXEC);
  holding.stop = ::eventfd(0, EFD_CLOEXEC);
  holding.takerRunning = holding.signals >= 0 && holding.stop >= 0 &&
                         ::pthread_create(&holding.taker, nullptr, takeUntilStopped, nullptr) == 0;
}

void stopTaker() {
  if (holding.takerRunning) {
    const std::uint64_t one = 1;
    while (::write(holding.stop, &one, sizeof one) < 0 && errno == EINTR) {
    }
    ::pthread_join(holding.taker, nullptr);
  }
  for (int fd : {holding.signals, holding.stop}) {
    if (fd >= 0) ::close(fd);
  }
}

// Signals that came after the taker stopped, or for this thread alone.
void collectPending() {
  const timespec now{0, 0};
  siginfo_t info;
  for (int signal; (signal = ::sigtimedwait(&holding.held, &info, &now)) > 0;) take(signal);
}

}  // namespace

void setNotice(Notice tell) { notice = tell; }

void hold() {
  if (holding.active) return;
  holding.held = signalsToHold();
  ::pthread_sigmask(SIG_BLOCK, &holding.held, &holding.previousMask);
  holding.active = true;
  startTaker();
}

void release() {
  if (!holding.active) return;
  stopTaker();
  collectPending();
  ::pthread_sigmask(SIG_SETMASK, &holding.previousMask, nullptr);
  holding = Holding{};
}

int firstHeld() { return first; }

const char* nameOf(int signal) {
  for (const auto& held : kHeldSignals) {
    if (held.signal == signal) return held.name;
  }
  return "";
}

}  // namespace interruptions
