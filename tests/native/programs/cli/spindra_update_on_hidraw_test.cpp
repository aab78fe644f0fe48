// spindra-update's test build run as a process over its own hidraw code, at real pacing:
// each node of the prepared /dev links to a pseudo-terminal in raw mode, behind which the
// test serves the simulated unit one whole report at a time. The test interrupts the
// program, closes its output or holds its node, and looks at what the program printed, its
// exit code and the simulated ESC's flash.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "adapters/exchange/json_line.h"
#include "adapters/sim/unit_model.h"
#include "base/hex_text.h"
#include "base/sha256.h"
#include "link/unit_protocol.h"
#include "support/hidraw_tree.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kReportBytes = 60;  // report id and 59 bytes, each way
constexpr int kServePollMs = 20;
// An update of the test image pauses some 7 s; a status run takes a fraction of one.
constexpr auto kUpdateBound = std::chrono::seconds(60);
constexpr auto kStatusBound = std::chrono::seconds(10);

// A pseudo-terminal pair in raw mode, so that report bytes pass untouched; both ends are
// the test's (nothing here becomes a controlling terminal).
struct PseudoTerminal {
  PseudoTerminal() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[64] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
      ADD_FAILURE() << "no pseudo-terminal";
      return;
    }
    slaveName = name;
    termios mode;
    tcgetattr(master, &mode);
    cfmakeraw(&mode);
    tcsetattr(master, TCSANOW, &mode);
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  }
  ~PseudoTerminal() {
    for (int fd : {slave, master}) {
      if (fd >= 0) ::close(fd);
    }
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  int master = -1;
  int slave = -1;
  std::string slaveName;
};

class ServedUnit;

// What happens when a request arrives, before the unit answers: at the occurrence-th
// request of a command.
struct Trigger {
  UnitCommand command;
  unsigned occurrence;
  std::function<void(ServedUnit& unit)> action;
};

// A ROUNDEL behind <dev>/hidrawN: the node links to a pseudo-terminal whose master a thread
// reads, answering each whole output report with the model's reply as one input report.
// The slave the test keeps open stands for another program: it can take the node's lock.
class ServedUnit {
 public:
  ServedUnit(const TempDir& tree, unsigned number, std::vector<Trigger> triggers = {})
      : node_(tree.path("dev/hidraw" + std::to_string(number))), triggers_(std::move(triggers)) {
    hidrawtree::describeNode(tree, number, hidrawtree::kRoundelId, hidrawtree::kUnitDescriptor);
    std::filesystem::create_directories(tree.path("dev"));
    EXPECT_EQ(::symlink(terminal_.slaveName.c_str(), node_.c_str()), 0);
    server_ = std::thread([this] { serve(); });
  }
  ~ServedUnit() { stop(); }
  ServedUnit(const ServedUnit&) = delete;
  ServedUnit& operator=(const ServedUnit&) = delete;

  const std::string& node() const { return node_; }

  // Whether another program holds the node's lock now.
  bool heldElsewhere() const {
    if (::flock(terminal_.slave, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK;
    ::flock(terminal_.slave, LOCK_UN);
    return false;
  }
  // Holds the node's lock from now on, as another program would.
  void hold() const { EXPECT_EQ(::flock(terminal_.slave, LOCK_EX | LOCK_NB), 0); }
  // From the request being answered on, the flash is protected: the unit refuses each block.
  void protectFlash() { unit_.writeProtected = true; }

  // The serving ends; then what the unit received and holds may be looked at.
  void stop() {
    stopping_ = true;
    if (server_.joinable()) server_.join();
  }
  const Bytes& commands() const { return commands_; }
  const sim::UnitModel& unit() const { return unit_; }
  bool received(UnitCommand command) const {
    return std::count(commands_.begin(), commands_.end(), static_cast<std::uint8_t>(command)) != 0;
  }

 private:
  void serve() {
    Bytes pending;
    std::uint8_t chunk[256];
    while (!stopping_) {
      pollfd master{terminal_.master, POLLIN, 0};
      if (::poll(&master, 1, kServePollMs) <= 0) continue;
      const ssize_t n = ::read(terminal_.master, chunk, sizeof chunk);
      if (n <= 0) continue;
      pending.insert(pending.end(), chunk, chunk + n);
      for (; pending.size() >= kReportBytes; pending.erase(pending.begin(), pending.begin() + kReportBytes)) {
        answer(Bytes(pending.begin(), pending.begin() + kReportBytes));
      }
    }
  }

  void answer(const Bytes& request) {
    commands_.push_back(request[1]);
    const auto seen = static_cast<unsigned>(std::count(commands_.begin(), commands_.end(), request[1]));
    for (const Trigger& trigger : triggers_) {
      if (static_cast<std::uint8_t>(trigger.command) == request[1] && trigger.occurrence == seen) trigger.action(*this);
    }
    const Bytes reply = sim::answer(unit_, request);
    EXPECT_EQ(::write(terminal_.master, reply.data(), kReportBytes), static_cast<ssize_t>(kReportBytes));
  }

  PseudoTerminal terminal_;
  std::string node_;
  std::vector<Trigger> triggers_;
  sim::UnitModel unit_;
  Bytes commands_;
  std::atomic<bool> stopping_{false};
  std::thread server_;
};

// spindra-update-test on a tree, its stdout and stderr in pipes that are read while it runs.
class RunningProgram {
 public:
  RunningProgram() = default;
  ~RunningProgram() {
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
      ::kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    closePipes();
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // Starts the program; stdin is /dev/null unless a terminal is given. Its history goes to
  // stateHome, or into the tree.
  void start(const TempDir& tree, const std::vector<std::string>& args, int terminal = -1) {
    int out[2], err[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(err, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (terminal >= 0) {
      posix_spawn_file_actions_adddup2(&actions, terminal, 0);
    } else {
      posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<std::string> argStrings{SPINDRA_UPDATE_TEST_PROGRAM};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<std::string> envStrings{"LANG=C", "SPINDRA_TEST_SYSFS=" + tree.path("sys"),
                                        "SPINDRA_TEST_DEV=" + tree.path("dev"),
                                        "XDG_STATE_HOME=" + (stateHome.empty() ? tree.path("state") : stateHome)};
    std::vector<char*> argv, envp;
    for (std::string& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, SPINDRA_UPDATE_TEST_PROGRAM, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    pipes_[0] = out[0];
    pipes_[1] = err[0];
    ASSERT_EQ(spawned, 0) << "cannot start " << SPINDRA_UPDATE_TEST_PROGRAM;
    pid_ = child;
  }

  std::string stateHome;

  void signal(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);  // never -1: that would reach every process
  }
  // The reading ends close at the next look, as a terminal that went away.
  void closeOutput() { closeRequested_ = true; }

  // The exit code once the program has ended by itself within bound; -1 otherwise (it is
  // then killed when this object goes).
  int exitCode(Clock::duration bound) {
    const Clock::time_point deadline = Clock::now() + bound;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() > deadline) {
        ADD_FAILURE() << "still running after the bound";
        return -1;
      }
      readSome(kServePollMs);
    }
    while (readSome(0)) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Reads stderr until it holds text, within bound.
  bool awaitErr(const std::string& text, Clock::duration bound) {
    const Clock::time_point deadline = Clock::now() + bound;
    while (err.find(text) == std::string::npos) {
      if (Clock::now() > deadline) return false;
      readSome(kServePollMs);
    }
    return true;
  }

  std::string out, err;

 private:
  // What the pipes hold after waiting at most timeoutMs; false once nothing more will come.
  bool readSome(int timeoutMs) {
    if (closeRequested_) closePipes();
    pollfd fds[] = {{pipes_[0], POLLIN, 0}, {pipes_[1], POLLIN, 0}};
    if (::poll(fds, 2, timeoutMs) <= 0) return false;
    bool more = false;
    char chunk[4096];
    for (int i = 0; i < 2; ++i) {
      if (fds[i].revents == 0) continue;
      const ssize_t n = ::read(pipes_[i], chunk, sizeof chunk);
      if (n > 0) (i == 0 ? out : err).append(chunk, static_cast<std::size_t>(n));
      more = more || n > 0;
    }
    return more;
  }

  void closePipes() {
    for (int& fd : pipes_) {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
  }

  std::atomic<pid_t> pid_{-1};
  int pipes_[2] = {-1, -1};
  std::atomic<bool> closeRequested_{false};
};

jsonl::Object jsonOf(const std::string& out) {
  jsonl::Object object;
  std::string error;
  const std::string line = out.substr(0, out.find('\n'));
  EXPECT_TRUE(jsonl::parseObject(line, object, error)) << error << "\n" << out;
  return object;
}

// The image the test build carries at the start of flash, erased cells after it.
Bytes flashAfterUpdate() {
  std::ifstream file(SPINDRA_UPDATE_TEST_IMAGE, std::ios::binary);
  Bytes flash((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(flash.size(), 4790u) << "100 blocks, the last one partial";
  flash.resize(sim::kFlashSize, 0xFF);
  return flash;
}

std::string historyIn(const std::string& stateHome) {
  std::ifstream file(stateHome + "/spindra-update/history.jsonl");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Before anything else: the hidraw code reads the served unit as it would a real one, and
// holds its node while it has it open, in a plain status run too.
TEST(SpindraUpdateOnHidrawTest, AStatusRunReadsTheServedUnitAndHoldsItsNode) {
  TempDir tree;
  std::atomic<bool> held{false};
  ServedUnit unit(tree, 0, {{UnitCommand::QueryState, 1, [&](const ServedUnit& u) { held = u.heldElsewhere(); }}});
  RunningProgram run;
  run.start(tree, {"--json"});
  const int exitCode = run.exitCode(kStatusBound);
  unit.stop();

  EXPECT_EQ(exitCode, 0) << run.err;
  jsonl::Object facts = jsonOf(run.out);
  EXPECT_EQ(facts["outcome"], "Ready");
  EXPECT_EQ(facts["device"], unit.node());
  EXPECT_EQ(facts["unit"], "ROUNDEL");
  EXPECT_EQ(facts["unitLabel"], "ROUNDEL");
  EXPECT_EQ(facts["unitVersion"], "2.3");
  EXPECT_EQ(facts["escVersion"], "3.4");
  EXPECT_TRUE(held);
  EXPECT_FALSE(unit.received(UnitCommand::SetSystemLock));
}

// The update runs to its end whatever signal comes: one line at once says so and how long
// it still takes, and the report says the interruption was held. The signal comes twice
// (the line does not), at block 30 of 100 or while the unit erases; the runs go side by side.
TEST(SpindraUpdateOnHidrawTest, AnInterruptedUpdateRunsToItsEndAndSaysSo) {
  const struct {
    int signal;
    const char* name;
    UnitCommand at;
    unsigned occurrence;
    bool json;
    const char* secondsLeft;
  } cases[] = {
      {SIGINT, "SIGINT", UnitCommand::WriteBlock, 30, false, "2"},  // 71 pauses of 20 ms to go
      {SIGTERM, "SIGTERM", UnitCommand::WriteBlock, 30, true, "2"},
      {SIGHUP, "SIGHUP", UnitCommand::WriteBlock, 30, true, "2"},
      {SIGTSTP, "SIGTSTP", UnitCommand::WriteBlock, 30, true, "2"},
      // and the erase's 5 s, with the command pauses before the address and the transfer
      {SIGQUIT, "SIGQUIT", UnitCommand::EraseFirmware, 1, true, "8"},
  };
  struct Side {
    TempDir tree;
    RunningProgram run;
    std::atomic<bool> heldAtSignal{false};
    std::unique_ptr<ServedUnit> unit;
  };
  std::vector<std::unique_ptr<Side>> sides;
  for (const auto& c : cases) {
    auto side = std::make_unique<Side>();
    Side& s = *side;
    const Trigger first{c.at, c.occurrence, [&s, &c](const ServedUnit& unit) {
                          s.heldAtSignal = unit.heldElsewhere();
                          s.run.signal(c.signal);
                        }};
    const Trigger again{UnitCommand::WriteBlock, 40, [&s, &c](const ServedUnit&) { s.run.signal(c.signal); }};
    s.unit = std::make_unique<ServedUnit>(s.tree, 0, std::vector<Trigger>{first, again});
    std::vector<std::string> args{"--update", "--yes"};
    if (c.json) args.push_back("--json");
    s.run.start(s.tree, args);
    sides.push_back(std::move(side));
  }

  const Bytes flash = flashAfterUpdate();
  for (std::size_t i = 0; i < sides.size(); ++i) {
    const auto& c = cases[i];
    Side& s = *sides[i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(s.run.exitCode(kUpdateBound), 0) << s.run.err;
    s.unit->stop();
    EXPECT_TRUE(s.unit->unit().flash == flash) << "the whole image is in flash";
    EXPECT_TRUE(s.heldAtSignal) << "the node is the program's alone while it writes";

    const std::string line = std::string("Stopping now would leave the ESC without firmware: the update goes on and "
                                         "finishes in about ") +
                             c.secondsLeft + " s.\n";
    EXPECT_EQ(occurrences(s.run.err, line), 1u) << s.run.err;
    EXPECT_LT(s.run.err.find(line), s.run.err.find("50/100 blocks")) << "at once, not when the update ends";
    if (c.json) {
      jsonl::Object facts = jsonOf(s.run.out);
      EXPECT_EQ(facts["update"], "succeeded");
      EXPECT_EQ(facts["interruptionHeld"], c.name);
    } else {
      EXPECT_NE(s.run.out.find(std::string("An interruption (") + c.name +
                               ") came during the update and was held until the update had ended.\n"),
                std::string::npos)
          << s.run.out;
    }
  }
}

// A terminal that went away: nobody reads the output any more, and the hang-up follows.
TEST(SpindraUpdateOnHidrawTest, OutputThatGoesAwayDoesNotChangeTheOutcome) {
  TempDir tree;
  RunningProgram run;
  ServedUnit unit(tree, 0,
                  {{UnitCommand::WriteBlock, 30, [&](const ServedUnit&) { run.closeOutput(); }},
                   {UnitCommand::WriteBlock, 32, [&](const ServedUnit&) { run.signal(SIGHUP); }}});
  run.start(tree, {"--update", "--yes"});
  EXPECT_EQ(run.exitCode(kUpdateBound), 0);
  unit.stop();
  EXPECT_TRUE(unit.unit().flash == flashAfterUpdate());
}

// Ctrl-C at the confirmation question declines it; nothing of the update reaches the unit.
TEST(SpindraUpdateOnHidrawTest, CtrlCAtTheQuestionCancelsBeforeAnythingIsWritten) {
  TempDir tree;
  ServedUnit unit(tree, 0);
  PseudoTerminal user;
  RunningProgram run;
  run.start(tree, {"--update"}, user.slave);
  ASSERT_TRUE(run.awaitErr("Continue? [y/N] ", kStatusBound)) << run.err;
  run.signal(SIGINT);
  EXPECT_EQ(run.exitCode(kStatusBound), 20) << run.err;
  unit.stop();

  EXPECT_NE(run.out.find("Interrupted: the update was not started, the ESC keeps its firmware.\n"), std::string::npos)
      << run.out;
  EXPECT_FALSE(unit.received(UnitCommand::SetSystemLock));
  EXPECT_TRUE(std::all_of(unit.unit().flash.begin(), unit.unit().flash.end(),
                          [](std::uint8_t b) { return b == sim::kOldFirmwareByte; }));
  EXPECT_FALSE(std::filesystem::exists(tree.path("state"))) << "a cancelled update is no history";
}

// Each update that reached the unit adds one line and keeps those before it; --history shows
// them one line each, and with --json as stored.
TEST(SpindraUpdateOnHidrawTest, EachUpdateAddsALineToTheHistory) {
  TempDir state;
  const Bytes flash = flashAfterUpdate();
  for (int update = 0; update < 2; ++update) {
    TempDir tree;
    ServedUnit unit(tree, 0);
    RunningProgram run;
    run.stateHome = state.path();
    run.start(tree, {"--update", "--yes"});
    EXPECT_EQ(run.exitCode(kUpdateBound), 0) << run.err;
    unit.stop();
    EXPECT_TRUE(unit.unit().flash == flash);
  }

  const std::string stored = historyIn(state.path());
  std::istringstream lines(stored);
  const Sha256Digest digest = sha256(flash.data(), 4790);  // the image, without the erased cells after it
  std::size_t count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    jsonl::Object entry = jsonOf(line);
    EXPECT_TRUE(std::regex_match(entry.value("time", ""), std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")))
        << line;
    EXPECT_EQ(entry["unit"], "ROUNDEL");
    EXPECT_EQ(entry["unitVersion"], "2.3");
    EXPECT_EQ(entry["escVersionBefore"], "3.4");
    EXPECT_EQ(entry["escVersionAfter"], "3.5");
    EXPECT_EQ(entry["imageSha256"], hextext::fromBytes(digest.data(), digest.size()));
    EXPECT_EQ(entry["outcome"], "Succeeded");
    EXPECT_FALSE(entry.contains("code"));
  }
  EXPECT_EQ(count, 2u) << stored;

  TempDir tree;
  RunningProgram forPeople, asStored;
  forPeople.stateHome = asStored.stateHome = state.path();
  forPeople.start(tree, {"--history"});
  asStored.start(tree, {"--history", "--json"});
  EXPECT_EQ(forPeople.exitCode(kStatusBound), 0) << forPeople.err;
  EXPECT_EQ(asStored.exitCode(kStatusBound), 0) << asStored.err;
  EXPECT_EQ(occurrences(forPeople.out, "  ROUNDEL 2.3  ESC firmware 3.4 before, 3.5 after  Succeeded\n"), 2u)
      << forPeople.out;
  EXPECT_EQ(asStored.out, stored);
}

// An update that failed at the unit is kept too, with the code its failure box shows.
TEST(SpindraUpdateOnHidrawTest, AFailedUpdateIsInTheHistoryWithItsCode) {
  TempDir tree;
  ServedUnit unit(tree, 0, {{UnitCommand::WriteBlock, 10, [](ServedUnit& u) { u.protectFlash(); }}});
  RunningProgram run;
  run.stateHome = tree.path("state");
  run.start(tree, {"--update", "--yes"});
  EXPECT_EQ(run.exitCode(kUpdateBound), 35) << run.err;
  unit.stop();

  const std::string stored = historyIn(run.stateHome);
  ASSERT_EQ(occurrences(stored, "\n"), 1u) << stored;
  jsonl::Object entry = jsonOf(stored);
  EXPECT_EQ(entry["outcome"], "BlockTransferFailed");
  EXPECT_EQ(entry["escVersionBefore"], "3.4");
  EXPECT_EQ(entry["code"], sim::kCodeRefused) << "the unit's error report, as the failure box shows it";
  EXPECT_TRUE(entry.contains("systemError"));
}

// A history that cannot be written (its directory would be under a regular file, which stops
// root too) is a warning: the update and its exit code stay as they were.
TEST(SpindraUpdateOnHidrawTest, AnUnwritableHistoryIsAWarningNotAFailedUpdate) {
  TempDir tree;
  tree.write("plain-file", "");
  ServedUnit unit(tree, 0);
  RunningProgram run;
  run.stateHome = tree.path("plain-file/state");
  run.start(tree, {"--update", "--yes"});
  EXPECT_EQ(run.exitCode(kUpdateBound), 0) << run.err;
  unit.stop();
  EXPECT_TRUE(unit.unit().flash == flashAfterUpdate());
  EXPECT_NE(run.err.find("Warning: the update is not in the history, " + run.stateHome +
                         "/spindra-update/history.jsonl cannot be written: Not a directory\n"),
            std::string::npos)
      << run.err;
}

// Updates that never reached a unit write nothing: one not confirmed, and a simulated one.
TEST(SpindraUpdateOnHidrawTest, UpdatesThatReachNoUnitLeaveNoHistory) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
  } cases[] = {
      {{"--update"}, 20},  // no terminal to ask on, no --yes
      {{"--simulate", "ready", "--update", "--yes"}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    TempDir tree;
    ServedUnit unit(tree, 0);
    RunningProgram run;
    run.start(tree, c.args);
    EXPECT_EQ(run.exitCode(kUpdateBound), c.exitCode) << run.err;
    unit.stop();
    EXPECT_FALSE(std::filesystem::exists(tree.path("state"))) << run.err;
  }
}

// A node another program holds is passed over with nothing sent to it; it is named, with
// exit code 15, only when no other unit is there to use.
TEST(SpindraUpdateOnHidrawTest, ANodeAnotherProgramHoldsIsPassedOver) {
  const std::string inUse = " is a programming unit, but another program is using it (another spindra-update, for "
                            "instance).\nRun spindra-update again once that program has finished with the unit.\n";
  const struct {
    unsigned units;
    bool json;
    int exitCode;
  } cases[] = {
      {1, true, 15},
      {1, false, 15},
      {2, true, 0},  // the second, free unit is used
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.units) + (c.json ? " json" : ""));
    TempDir tree;
    std::vector<std::unique_ptr<ServedUnit>> units;
    for (unsigned n = 0; n < c.units; ++n) units.push_back(std::make_unique<ServedUnit>(tree, n));
    units[0]->hold();
    RunningProgram run;
    run.start(tree, c.json ? std::vector<std::string>{"--json"} : std::vector<std::string>{});
    EXPECT_EQ(run.exitCode(kStatusBound), c.exitCode) << run.err;
    for (auto& unit : units) unit->stop();

    EXPECT_TRUE(units[0]->commands().empty()) << "nothing reaches a held unit";
    const std::string named = units[0]->node() + inUse;
    if (c.units == 2) {
      jsonl::Object facts = jsonOf(run.out);
      EXPECT_EQ(facts["outcome"], "Ready");
      EXPECT_EQ(facts["device"], units[1]->node());
      EXPECT_FALSE(facts.contains("unitInUse"));
    } else if (c.json) {
      jsonl::Object facts = jsonOf(run.out);
      EXPECT_EQ(facts["outcome"], "UnitInUse");
      EXPECT_EQ(facts["exitCode"], 15);
      EXPECT_EQ(facts["unitInUse"], units[0]->node());
      EXPECT_EQ(run.err, named);
    } else {
      EXPECT_EQ(run.out, named) << "the held unit is all there is to tell, as for a unit this user may not open";
    }
  }
}

// The passed-over unit is not one of the report's exchanges, yet its replay must find it too.
TEST(SpindraUpdateOnHidrawTest, AReportOfAHeldUnitReplaysToIt) {
  TempDir tree;
  ServedUnit unit(tree, 0);
  unit.hold();
  RunningProgram run;
  run.start(tree, {"--json", "--report", tree.path("report.jsonl")});
  EXPECT_EQ(run.exitCode(kStatusBound), 15) << run.err;
  unit.stop();

  Launch replay;
  replay.program = SPINDRA_UPDATE_TEST_PROGRAM;
  const ProgramRun replayed = launch(replay, {"--json", "--replay", tree.path("report.jsonl")});
  EXPECT_EQ(replayed.exitCode, 15) << replayed.err;
  EXPECT_EQ(jsonOf(replayed.out)["outcome"], "UnitInUse");
}

}  // namespace
