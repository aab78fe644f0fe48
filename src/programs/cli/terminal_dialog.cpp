#include "programs/cli/terminal_dialog.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>

#include "seams/dialog.h"
#include "programs/cli/cli_texts.h"
#include "res/message_ids.h"
#include "update/image_transfer.h"

namespace term {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBarWidth = 30;
constexpr unsigned kRedrawEveryBlocks = 16;

struct ProgressBar {
  bool open = false;
  bool started = false;  // drawn at least once: the transfer's start, before any block
  unsigned total = 0;
  unsigned sent = 0;
  unsigned percent = 0;
  unsigned printedTenths = 0;
  Clock::time_point start;
};

struct State {
  Answers answers;
  AnswerSource answerSource = nullptr;
  std::string confirmDetails;
  std::FILE* boxStream = stdout;
  std::map<int, std::wstring> texts;
  std::vector<ShownBox> boxes;
  ProgressBar progress;
  // The progress as another thread reads it.
  std::atomic<std::uint32_t> pausesAheadMs{0};
};

State& state() {
  static State instance;
  return instance;
}

bool acceptsAnswer(std::string line) {
  line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t' || c == '\n'; }),
             line.end());
  for (char& c : line) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return line == "y" || line == "yes" || line == "j" || line == "ja";
}

volatile std::sig_atomic_t questionInterrupted = 0;
void noteInterruption(int) { questionInterrupted = 1; }

// Ctrl-C at a question is noted, not fatal. SIGINT is blocked except while the answer is
// awaited, so that it cannot slip in between a look at the flag and the wait.
struct CaughtInterruption {
  sigset_t previousMask;
  struct sigaction previousAction;
};

CaughtInterruption catchInterruption() {
  CaughtInterruption caught;
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  pthread_sigmask(SIG_BLOCK, &interrupt, &caught.previousMask);
  struct sigaction noting = {};
  noting.sa_handler = noteInterruption;
  sigemptyset(&noting.sa_mask);
  sigaction(SIGINT, &noting, &caught.previousAction);
  questionInterrupted = 0;
  return caught;
}

void releaseInterruption(const CaughtInterruption& caught) {
  pthread_sigmask(SIG_SETMASK, &caught.previousMask, nullptr);
  sigaction(SIGINT, &caught.previousAction, nullptr);
}

// The user's line, empty when none can be read; false when Ctrl-C came first.
bool awaitAnswer(const CaughtInterruption& caught, std::string& answer) {
  sigset_t waiting = caught.previousMask;
  sigdelset(&waiting, SIGINT);
  pollfd input{STDIN_FILENO, POLLIN, 0};
  while (!questionInterrupted && ppoll(&input, 1, nullptr, &waiting) < 0 && errno == EINTR) {
  }
  if (questionInterrupted) return false;
  char line[64] = {};
  if (std::fgets(line, sizeof line, stdin)) answer = line;
  return true;
}

// Options answer first; then the user, when there is a terminal to ask on, after the
// details that go with the question. Ctrl-C at the question declines it: nothing has
// reached the unit yet.
bool userAgrees(bool answeredByOption, cli::Text prompt, cli::Text unanswered, const std::string& details = "") {
  State& s = state();
  if (answeredByOption) return true;
  if (!isatty(STDIN_FILENO)) {
    std::fprintf(s.boxStream, "%s\n", cli::text(unanswered).c_str());
    return false;
  }
  if (!details.empty()) std::fprintf(s.boxStream, "\n%s", details.c_str());
  const CaughtInterruption caught = catchInterruption();
  std::fflush(stdout);
  std::fputs(cli::text(prompt).c_str(), stderr);
  std::fflush(stderr);
  std::string answer;
  const bool answered = awaitAnswer(caught, answer);
  releaseInterruption(caught);
  if (!answered) {
    std::fputs("\n", stderr);  // ends the prompt's line after the terminal's ^C
    std::fprintf(s.boxStream, "%s\n", cli::text(cli::Text::kQuestionInterrupted).c_str());
  }
  return answered && acceptsAnswer(answer);
}

// The two questions are asked; every other box is only told.
bool goesOn(dlg::BoxKind kind) {
  const Answers& a = state().answers;
  switch (kind) {
    case dlg::BoxKind::ConfirmUpdate:
      return userAgrees(a.confirm, cli::Text::kConfirmPrompt, cli::Text::kConfirmUnanswered, state().confirmDetails);
    case dlg::BoxKind::OverwriteSameOrNewer:
      return userAgrees(a.allowSameVersion, cli::Text::kQuestionPrompt, cli::Text::kQuestionUnanswered);
    default:
      return true;
  }
}

// Failures and refusals are error reports.
bool reportsError(dlg::BoxKind kind) {
  switch (kind) {
    case dlg::BoxKind::RegistrationFailed:
    case dlg::BoxKind::UpdateRefused:
    case dlg::BoxKind::UpdateFailed:
    case dlg::BoxKind::UnknownSimulation: return true;
    default: return false;
  }
}

std::string minutesAndSeconds(Clock::duration duration) {
  const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(duration).count();
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
  return text;
}

unsigned blocksToSend(const ProgressBar& p) { return p.total - std::min(p.sent, p.total); }

std::string progressLine(const ProgressBar& p) {
  const std::size_t filled = kBarWidth * std::min(p.percent, 100u) / 100;
  const std::string bar = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "] ";
  const unsigned toSend = blocksToSend(p);
  const std::wstring left =
      p.sent == 0 ? L"-:--" : utf8ToWide(minutesAndSeconds((Clock::now() - p.start) * toSend / p.sent));
  return bar + cli::text(cli::Text::kProgress, {p.sent, p.total, p.percent, left});
}

// On a terminal the bar is redrawn in place; in a log, a line at every tenth.
void drawProgress(ProgressBar& p) {
  if (redrawsInPlace()) {
    if (p.sent % kRedrawEveryBlocks == 0 || p.sent == p.total) {
      std::fprintf(stderr, "\r%s\x1b[K", progressLine(p).c_str());
      std::fflush(stderr);
    }
  } else if (p.percent / 10 > p.printedTenths || !p.started) {
    p.printedTenths = p.percent / 10;
    std::fprintf(stderr, "%s\n", progressLine(p).c_str());
  }
}

}  // namespace

void setAnswers(const Answers& answers) { state().answers = answers; }
void setAnswerSource(AnswerSource source) { state().answerSource = source; }
void setConfirmDetails(const std::string& details) { state().confirmDetails = details; }
void setBoxStream(std::FILE* stream) { state().boxStream = stream; }

bool redrawsInPlace() {
  const char* terminal = std::getenv("TERM");
  return isatty(STDERR_FILENO) && terminal && *terminal && std::strcmp(terminal, "dumb") != 0;
}

std::uint32_t pausesAheadMs() { return state().pausesAheadMs; }
const std::vector<ShownBox>& boxes() { return state().boxes; }

}  // namespace term

namespace dlg {

using namespace term;

std::wstring loadText(std::uint16_t messageId) {
  std::wstring text = catalogue::text(messageId, cli::language());
  if (text.size() > kTextCapacity - 1) text.resize(kTextCapacity - 1);
  return text;
}

void setControlText(int controlId, const std::wstring& text) { state().texts[controlId] = text; }
std::wstring controlText(int controlId) { return state().texts[controlId]; }
void enableControl(int, bool) {}

// A box of failure or refusal is an error report and goes to stderr; the others go with the
// report for people, or to stderr beside --json.
Answer showBox(BoxKind kind, const std::wstring& text, const std::wstring& caption) {
  State& s = state();
  std::FILE* stream = reportsError(kind) ? stderr : s.boxStream;
  std::fprintf(stream, "\n[%s]\n%s\n", cli::forTerminal(caption).c_str(), cli::forTerminal(text).c_str());
  std::fflush(stream);
  const Answer answer = s.answerSource ? s.answerSource(kind) : goesOn(kind) ? Answer::GoOn : Answer::Stop;
  s.boxes.push_back({text, caption, kind, answer});
  return answer;
}

// The bar opens at the transfer's start and counts blocks; its estimate of the time left is
// measured, not the pauses ahead, which the interruption notice tells.
void showProgress(const UpdateProgress& update) {
  State& s = state();
  s.pausesAheadMs = update.pausesAheadMs;
  ProgressBar& p = s.progress;
  if (update.phase != UpdatePhase::Writing) return;
  if (!p.open) {
    p = ProgressBar{true, false, blocksFor(update.imageSize), 0, 0, 0, Clock::now()};
    std::fprintf(stderr, "%s\n", cli::forTerminal(loadText(msg::kProgressTitle)).c_str());
  }
  p.sent = blocksFor(update.bytesSent);
  p.percent = percentSent(update);
  drawProgress(p);
  p.started = true;
}

void closeProgress() {
  ProgressBar& p = state().progress;
  if (!p.open) return;
  p.open = false;
  if (redrawsInPlace()) std::fputs("\n", stderr);
}

// The command line follows arrivals by polling; there is nothing to register with.
std::uintptr_t registerHidNotifications() { return 1; }
void unregisterHidNotifications(std::uintptr_t) {}

}  // namespace dlg
