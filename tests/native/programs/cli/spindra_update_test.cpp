#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>

#include "link/unit_device.h"
#include "programs/cli/permission_hint.h"
#include "programs/cli/udev_rule.h"
#include "base/hex_text.h"
#include "base/sha256.h"
#include "adapters/exchange/json_line.h"
#include "res/message_ids.h"
#include "shared/scenario_outcomes.h"
#include "support/program_run.h"
#include "support/recording_dialog.h"
#include "support/temp_dir.h"
#include "base/format_text.h"

// The command-line updater, run as a user runs it: arguments, environment, stdin not a
// terminal; what it prints and its exit code are what is checked.
namespace {

jsonl::Object jsonOf(const ProgramRun& run) {
  jsonl::Object object;
  std::string error;
  std::string line = run.out;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  EXPECT_TRUE(jsonl::parseObject(line, object, error)) << error << "\n" << run.out << run.err;
  return object;
}

// A catalogue text as the terminal shows it.
std::string shown(std::uint16_t id, rec::Language language = rec::Language::English) {
  std::string text = wideToUtf8(rec::catalogueText(id, language));
  std::string out;
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

std::string notReadyHint(std::uint16_t statusId) { return shown(statusId) + "\n\n" + shown(msg::kInstructions); }

template <typename Row>
std::string hintOf(const Row& row) {
  return row.withInstructions ? notReadyHint(row.hint) : shown(row.hint);
}

// The failure as the terminal prints it: the box's text and its code line, if any.
std::string failureOf(const outcomes::AfterUpdate& row) {
  if (row.systemError == 0) return shown(row.boxText);
  char codes[32];
  std::snprintf(codes, sizeof codes, "0x%08x-0x%08x", static_cast<unsigned>(row.result),
                static_cast<unsigned>(row.systemError));
  return shown(row.boxText) + "\nThe system shows following errorcode: " + codes;
}

std::string fileContents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string sha256Text(const std::string& bytes) {
  const Sha256Digest digest = sha256(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return hextext::fromBytes(digest.data(), digest.size());
}

const std::string kNoImageLine =
    "This build carries no firmware image: it shows the status and can simulate an update (--simulate),\n"
    "but cannot update an ESC.\n";

// The test build with one bit of its embedded image changed, as a damaged download would be.
struct DamagedProgram {
  DamagedProgram() {
    std::string program = fileContents(SPINDRA_UPDATE_TEST_PROGRAM);
    image = fileContents(SPINDRA_UPDATE_TEST_IMAGE);
    const std::size_t at = program.find(image);
    if (at == std::string::npos || program.rfind(image) != at) {
      ADD_FAILURE() << "the image is not embedded once in " << SPINDRA_UPDATE_TEST_PROGRAM;
      return;
    }
    image[image.size() / 2] ^= 0x01;
    program.replace(at, image.size(), image);
    dir.write("spindra-update", program);
    chmod(path().c_str(), 0755);
  }
  std::string path() const { return dir.path("spindra-update"); }

  TempDir dir;
  std::string image;  // as embedded now
};

TEST(SpindraUpdateTest, EachReadinessOutcomeHasItsTextAndExitCode) {
  struct Case {
    std::vector<std::string> simulation;
    const outcomes::AtStart& row;
    const char* escVersion;
  };
  std::vector<Case> cases;
  for (const outcomes::AtStart& row : outcomes::kAtStart) cases.push_back({{row.scenario}, row, row.escVersion});
  cases.push_back({{"ready", "--esc-version", "0xFFFF"}, outcomes::atStart("ready"), "----------"});
  for (const auto& c : cases) {
    std::vector<std::string> args{"--json", "--simulate"};
    args.insert(args.end(), c.simulation.begin(), c.simulation.end());
    const ProgramRun run = runProgram(args);
    SCOPED_TRACE(c.simulation[0] + "\n" + run.err);
    EXPECT_EQ(run.exitCode, c.row.exitCode);
    jsonl::Object facts = jsonOf(run);
    EXPECT_EQ(facts["outcome"], c.row.readinessName);
    EXPECT_EQ(facts["exitCode"], c.row.exitCode);
    EXPECT_EQ(facts["hint"], hintOf(c.row));
    // A unit that is not ready is given up before the panel is drawn: it never shows it,
    // though "unit" still names what was found.
    const bool ready = c.row.readiness == Readiness::Ready;
    EXPECT_EQ(facts["unitLabel"], ready ? "ROUNDEL" : "programming unit");
    EXPECT_EQ(facts["unit"], c.row.readiness == Readiness::NoUnit ? jsonl::Object(nullptr) : jsonl::Object("ROUNDEL"));
    EXPECT_EQ(facts["version"], 1);
    EXPECT_EQ(facts["escVersion"], c.escVersion);
    EXPECT_EQ(facts["update"], "not run");
  }
}

// Ready means an update would start: what Update would refuse is the status, with the
// refusal's text and exit code, and the terminal is not told to run --update.
TEST(SpindraUpdateTest, AReadyUnitThatUpdateWouldRefuseIsNotReady) {
  const DamagedProgram damaged;
  const outcomes::AfterUpdate& shortReports = outcomes::afterUpdate("short-reports");
  const struct {
    const char* name;
    std::string program;
    const char* scenario;
    const char* outcome;
    int exitCode;
    std::string hint;
  } cases[] = {
      {"short reports", SPINDRA_UPDATE_PROGRAM, "short-reports", shortReports.step, shortReports.exitCode,
       hintOf(shortReports)},
      {"damaged image", damaged.path(), "ready", "ImageDamaged", 37, shown(msg::kImageDamaged)},
      {"damaged image and short reports", damaged.path(), "short-reports", "ImageDamaged", 37,
       shown(msg::kImageDamaged)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Launch how;
    how.program = c.program;
    ProgramRun run = launch(how, {"--simulate", c.scenario});
    EXPECT_EQ(run.exitCode, c.exitCode);
    const std::string ending = "ESC              3.4\n\n" + c.hint + "\n";
    EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), ending.size())), ending) << run.out;

    run = launch(how, {"--simulate", c.scenario, "--json"});
    EXPECT_EQ(run.exitCode, c.exitCode);
    jsonl::Object facts = jsonOf(run);
    EXPECT_EQ(facts["outcome"], c.outcome);
    EXPECT_EQ(facts["exitCode"], c.exitCode);
    EXPECT_EQ(facts["hint"], c.hint);
    EXPECT_EQ(facts["update"], "not run");
  }
}

// This tree's spindra-update carries only the placeholder, which reaches no real unit.
TEST(SpindraUpdateTest, ABuildWithoutAnImageEndsEveryStatusSayingSo) {
  const struct {
    std::vector<std::string> args;
    std::string line;
  } cases[] = {
      {{}, kNoImageLine},
      {{"--lang", "de"},
       "Dieses Programm enthält kein Firmware-Abbild: Es zeigt den Status und kann ein Update simulieren\n"
       "(--simulate), aber keinen Regler aktualisieren.\n"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = runProgram(c.args);
    const std::string ending = "\n\n" + c.line;
    EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), ending.size())), ending) << run.out;
  }
}

TEST(SpindraUpdateTest, VersionNamesTheProgramAndTheImageItCarries) {
  const DamagedProgram damaged;
  const std::string image = fileContents(SPINDRA_UPDATE_TEST_IMAGE);
  const std::string size = std::to_string(image.size());
  const struct {
    std::string program;
    std::vector<std::string> args;
    int exitCode;
    std::string out;
  } cases[] = {
      {SPINDRA_UPDATE_PROGRAM, {"--version"}, 0, "spindra-update 3.5\n" + kNoImageLine},
      {SPINDRA_UPDATE_PROGRAM, {"-V", "--lang", "de"}, 0,
       "spindra-update 3.5\nDieses Programm enthält kein Firmware-Abbild: Es zeigt den Status und kann ein Update "
       "simulieren\n(--simulate), aber keinen Regler aktualisieren.\n"},
      {SPINDRA_UPDATE_TEST_PROGRAM, {"-V"}, 0,
       "spindra-update 3.5\nFirmware image 3.5: " + size + " bytes, SHA-256 " + sha256Text(image) + "\n"},
      {SPINDRA_UPDATE_TEST_PROGRAM, {"--version", "--lang", "de"}, 0,
       "spindra-update 3.5\nFirmware-Abbild 3.5: " + size + " Bytes, SHA-256 " + sha256Text(image) + "\n"},
      {damaged.path(), {"--version"}, 37,
       "spindra-update 3.5\nFirmware image 3.5: " + size + " bytes, SHA-256 " + sha256Text(damaged.image) + "\n" +
           shown(msg::kImageDamaged) + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program + " " + c.args[0]);
    Launch how;
    how.program = c.program;
    const ProgramRun run = launch(how, c.args);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out, c.out);
  }
  EXPECT_NE(runProgram({"--help"}).out.find("  --version             show the program's version"), std::string::npos);
}

TEST(SpindraUpdateTest, AnIncompatibleEscIsExplainedNamingTheModel) {
  const outcomes::AtStart& incompatible = outcomes::atStart("incompatible");
  const ProgramRun run = runProgram({"--simulate", incompatible.scenario});
  EXPECT_EQ(run.exitCode, incompatible.exitCode);
  const std::string explanation =
      wideToUtf8(formatText(rec::catalogueText(incompatible.boxText), {L"SPINDRA 60 LV"}, 2048));
  EXPECT_NE(run.out.find("[" + shown(incompatible.boxCaption) + "]\n" + explanation + "\n"), std::string::npos)
      << run.out;
}

TEST(SpindraUpdateTest, ThePanelIsPrintedAsTheDialogShowsItInTheUsersLanguage) {
  ProgramRun run = runProgram({"--simulate", "ready"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("TELMARIX SPINDRA 60 LV FW Updater 3.5\n\n"
                         "ROUNDEL          2.3\n"
                         "ESC-bootloader   1.2\n"
                         "ESC              3.4\n\n" +
                         shown(msg::kReady) + "\n"),
            std::string::npos)
      << run.out;

  const std::string germanPanel = "ROUNDEL             2.3\nRegler-Bootloader   1.2\nRegler              3.4\n\n" +
                                  shown(msg::kReady, rec::Language::German);
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> environment;
    bool german;
  } cases[] = {
      {{}, {"LANG=de_DE.UTF-8"}, true},
      {{}, {"LANG=de_DE.UTF-8", "LC_ALL=en_US.UTF-8"}, false},
      {{}, {"LANG=en_US.UTF-8", "LC_MESSAGES=de_AT"}, true},
      {{"--lang", "de"}, {"LANG=en_US.UTF-8"}, true},
      {{"--lang", "en"}, {"LANG=de_DE.UTF-8"}, false},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"--simulate", "ready"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    run = runProgram(args, c.environment);
    EXPECT_EQ(run.out.find(germanPanel) != std::string::npos, c.german) << c.environment[0] << "\n" << run.out;
  }
}

// The ready hint asks for the dialog's button; the terminal adds how to update from there.
TEST(SpindraUpdateTest, TheReadyHintIsFollowedByTheTerminalsOwnWay) {
  const std::string english = "On the terminal: spindra-update --update starts the update.\n";
  const std::string german = "Im Terminal: spindra-update --update startet das Update.\n";
  const struct {
    std::vector<std::string> args;
    std::string expected;  // after the hint; empty: neither line anywhere
  } cases[] = {
      {{"--simulate", "ready"}, shown(msg::kReady) + "\n" + english},
      {{"--simulate", "ready", "--lang", "de"}, shown(msg::kReady, rec::Language::German) + "\n" + german},
      {{"--simulate", "ready", "--json"}, ""},
      {{"--simulate", "ready", "--update", "--yes"}, ""},
      {{"--simulate", "ready", "--update"}, shown(msg::kReady) + "\n" + english},  // declined: still ready
      {{"--simulate", "incompatible"}, ""},
  };
  for (const auto& c : cases) {
    const ProgramRun run = runProgram(c.args);
    SCOPED_TRACE(c.args.back());
    if (c.expected.empty()) {
      EXPECT_EQ((run.out + run.err).find("spindra-update --update"), std::string::npos) << run.out;
    } else {
      EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), c.expected.size())), c.expected) << run.out;
    }
  }
}

TEST(SpindraUpdateTest, UpdateOutcomesHaveTheirTextsAndExitCodes) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* update;
    std::string failure;
    const char* escVersion;
    const char* step = "";  // "": no step field, as with no failure
    std::string hint = "";  // empty: the one that goes with the outcome
  };
  std::vector<Case> cases;
  for (const outcomes::AfterUpdate& row : outcomes::kAfterUpdate) {
    cases.push_back({{row.scenario, "--yes"}, row.exitCode, row.update, row.boxText ? failureOf(row) : "",
                     row.escVersion, row.step, hintOf(row)});
  }
  cases.insert(cases.end(), {
      {{"ready", "--esc-version", "0xFFFF", "--yes"}, 0, "succeeded", "", "3.5"},
      {{"ready", "--esc-version", "0x0305", "--yes", "--allow-same-version"}, 0, "succeeded", "", "3.5"},
      {{"ready"}, 20, "cancelled", "", "3.4"},
      {{"ready", "--esc-version", "0x0400", "--yes"}, 20, "cancelled", "", "4.0"},
      {{"wrong-mode", "--yes"}, outcomes::atStart("wrong-mode").exitCode, "not run", "", "0.0.0"},
  });
  for (const auto& c : cases) {
    std::vector<std::string> args{"--update", "--json", "--simulate"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramRun run = runProgram(args);
    SCOPED_TRACE(c.args[0] + "\n" + run.err);
    EXPECT_EQ(run.exitCode, c.exitCode);
    jsonl::Object facts = jsonOf(run);
    EXPECT_EQ(facts["update"], c.update);
    EXPECT_EQ(facts["escVersion"], c.escVersion);
    if (c.failure.empty()) {
      EXPECT_FALSE(facts.contains("failure"));
      EXPECT_FALSE(facts.contains("step"));
    } else {
      EXPECT_EQ(facts["failure"], c.failure);
      EXPECT_EQ(facts["step"], c.step);
    }
    if (!c.hint.empty()) {
      EXPECT_EQ(facts["hint"], c.hint);
    } else if (c.exitCode == 0) {
      EXPECT_EQ(facts["hint"], shown(msg::kUpdateSucceeded));
    } else if (std::string(c.update) == "failed") {
      EXPECT_EQ(facts["hint"], shown(msg::kUpdateFailedHint));
    }
  }
}

// A script compares the same values whatever the language; only the texts for people differ.
TEST(SpindraUpdateTest, JsonValuesForScriptsAreTheSameInEveryLanguage) {
  const std::set<std::string> forPeople = {"unitLabel", "hint", "failure"};
  const std::vector<std::string> runs[] = {
      {"--simulate", "ready"},       {"--simulate", "ready", "--update", "--yes"},
      {"--simulate", "no-unit"},     {"--simulate", "wrong-mode"},
      {"--simulate", "short-reports"}, {"--simulate", "fail-at:EraseFirmware", "--update", "--yes"},
  };
  const auto inLanguage = [](std::vector<std::string> args, const char* language) {
    args.insert(args.end(), {"--json", "--lang", language});
    return jsonOf(runProgram(args));
  };
  for (const std::vector<std::string>& args : runs) {
    SCOPED_TRACE(args[1]);
    const jsonl::Object en = inLanguage(args, "en");
    const jsonl::Object de = inLanguage(args, "de");
    ASSERT_EQ(en.size(), de.size());
    for (const auto& [key, value] : en.items()) {
      ASSERT_TRUE(de.contains(key)) << key;
      if (!forPeople.count(key)) {
        EXPECT_EQ(de.at(key), value) << key;
      }
    }
    EXPECT_NE(de.at("hint"), en.at("hint")) << "the run was not in German";
  }
}

TEST(SpindraUpdateTest, UnansweredQuestionsAreDeclinedAndSaySoWithTheOptionToUse) {
  ProgramRun run = runProgram({"--simulate", "ready", "--update"});
  EXPECT_EQ(run.exitCode, 20);
  EXPECT_NE(run.out.find("[" + shown(msg::kConfirmCaption) + "]\n" + shown(msg::kConfirm) + "\n" +
                         "Not confirmed: there is no terminal to ask on. Add --yes to confirm in a script.\n"),
            std::string::npos)
      << run.out;

  run = runProgram({"--simulate", "ready", "--esc-version", "0x0305", "--update", "--yes", "--lang", "de"});
  EXPECT_EQ(run.exitCode, 20);
  EXPECT_NE(run.out.find(shown(msg::kSameOrOlderVersion, rec::Language::German) + "\nNicht überschrieben:"),
            std::string::npos)
      << run.out;
}

// A terminal whose user has typed the answer before the program asks.
class AnsweringTerminal {
 public:
  explicit AnsweringTerminal(const std::string& answer) : master_(posix_openpt(O_RDWR | O_NOCTTY)) {
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
      ADD_FAILURE() << "no pseudo-terminal";
      return;
    }
    device_ = ptsname(master_);
    user_ = open(device_.c_str(), O_RDWR | O_NOCTTY);  // held open, so that the typed line waits
    if (user_ < 0 || write(master_, answer.data(), answer.size()) != static_cast<ssize_t>(answer.size())) {
      ADD_FAILURE() << "cannot type on " << device_;
    }
  }
  ~AnsweringTerminal() {
    if (user_ >= 0) close(user_);
    if (master_ >= 0) close(master_);
  }
  AnsweringTerminal(const AnsweringTerminal&) = delete;
  AnsweringTerminal& operator=(const AnsweringTerminal&) = delete;

  const std::string& device() const { return device_; }

 private:
  int master_;
  int user_ = -1;
  std::string device_;
};

// Asked on a terminal, the question is preceded by the unit, the ESC's firmware now and after
// the update, and the size of what is written.
TEST(SpindraUpdateTest, TheQuestionOnATerminalNamesWhatTheUpdateChanges) {
  const std::string size = std::to_string(fileContents(SPINDRA_UPDATE_IMAGE).size());
  const struct {
    std::vector<std::string> args;
    std::string answer;
    int exitCode;
    std::string details;  // empty: not asked, so none
    std::string prompt;
  } cases[] = {
      {{}, "n\n", 20,
       "Unit:             ROUNDEL 2.3\nESC firmware:     3.4 now, 3.5 after the update\nFirmware image:   " + size +
           " bytes\n",
       "Continue? [y/N] "},
      {{"--lang", "de", "--esc-version", "0x0201"}, "j\n", 0,
       "Einheit:          ROUNDEL 2.3\nRegler-Firmware:  jetzt 2.1, nach dem Update 3.5\nFirmware-Abbild:  " + size +
           " Bytes\n",
       "Fortfahren? [j/N] "},
      {{"--yes"}, "", 0, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer + (c.args.empty() ? "" : c.args.back()));
    const AnsweringTerminal terminal(c.answer);
    Launch how;
    how.input = terminal.device();
    std::vector<std::string> args{"--simulate", "ready", "--update"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramRun run = launch(how, args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    const bool german = c.prompt.rfind("Fort", 0) == 0;
    const std::string question =
        shown(msg::kConfirm, german ? rec::Language::German : rec::Language::English) + "\n";
    if (c.details.empty()) {
      EXPECT_EQ(run.out.find("Unit:"), std::string::npos) << run.out;
      EXPECT_EQ(run.err.find("Continue?"), std::string::npos) << run.err;
    } else {
      EXPECT_NE(run.out.find(question + "\n" + c.details), std::string::npos) << run.out;
      EXPECT_EQ(run.err.rfind(c.prompt, 0), 0u) << run.err;
    }
  }
}

TEST(SpindraUpdateTest, TheProgressBarCountsEveryBlock) {
  const ProgramRun run = runProgram({"--simulate", "ready", "--update", "--yes"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(
      run.err.find(shown(msg::kProgressTitle) + "\n[------------------------------] 0/2038 blocks  0%  -:-- left\n"),
      std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("[###############---------------] 1019/2038 blocks  50%"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("[##############################] 2038/2038 blocks  100%"), std::string::npos) << run.err;
}

// Output that is not a terminal, or a terminal without escape sequences, gets plain lines.
TEST(SpindraUpdateTest, NoEscapeSequencesOutsideATerminalThatTakesThem) {
  for (const char* terminal : {"TERM=xterm", "TERM=dumb"}) {
    const ProgramRun run = runProgram({"--simulate", "ready", "--update", "--yes"}, {"LANG=C", terminal});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ((run.out + run.err).find('\x1b'), std::string::npos) << terminal;
    EXPECT_NE(run.err.find("] 2038/2038 blocks  100%"), std::string::npos) << run.err;
  }
}

// On a terminal the progress bar redraws its line in place, unless the terminal is dumb.
// script(1) gives the program a pseudo-terminal for stdout and stderr and copies what it shows.
TEST(SpindraUpdateTest, ADumbTerminalGetsNoEscapeSequences) {
  for (const std::string terminal : {"xterm", "dumb"}) {
    const std::string command = "script -q -e -c 'TERM=" + terminal + " LANG=C " SPINDRA_UPDATE_PROGRAM
                                " --simulate ready --update --yes' /dev/null";
    std::FILE* shown = popen(command.c_str(), "r");
    ASSERT_NE(shown, nullptr);
    std::string screen;
    for (int c; (c = std::fgetc(shown)) != EOF;) screen += static_cast<char>(c);
    const int status = pclose(shown);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << terminal << ": " << screen;
    EXPECT_NE(screen.find("2038/2038 blocks  100%"), std::string::npos) << screen;
    EXPECT_EQ(screen.find('\x1b') != std::string::npos, terminal == "xterm") << terminal;
  }
}

// The report for people stays on stdout; the failure's box is an error and goes to stderr.
TEST(SpindraUpdateTest, AFailureIsReportedOnStderr) {
  const outcomes::AfterUpdate& erase = outcomes::afterUpdate("fail-at:EraseFirmware");
  const ProgramRun run = runProgram({"--simulate", erase.scenario, "--update", "--yes"});
  EXPECT_EQ(run.exitCode, erase.exitCode);
  const std::string box = "[" + shown(msg::kUpdateFailedCaption) + "]\n" + shown(erase.boxText);
  EXPECT_NE(run.err.find(box), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find(box), std::string::npos);
  EXPECT_NE(run.out.find(shown(erase.hint)), std::string::npos) << run.out;
}

std::vector<jsonl::Object> exchangeLines(const std::string& contents) {
  std::vector<jsonl::Object> lines;
  std::istringstream in(contents);
  for (std::string line; std::getline(in, line);) {
    jsonl::Object object;
    std::string error;
    EXPECT_TRUE(jsonl::parseObject(line, object, error)) << error;
    lines.push_back(object);
  }
  return lines;
}

std::string withoutTimesLeft(const std::string& text) {
  return std::regex_replace(text, std::regex("[0-9-]+:[0-9-]+ left"), "M:SS left");
}

TEST(SpindraUpdateTest, ARecordedUpdateCarriesTheImageAndReplaysByteForByte) {
  TempDir dir;
  const std::string file = dir.path("update.jsonl");
  const ProgramRun recorded = runProgram({"--simulate", "ready", "--update", "--yes", "--record", file});
  ASSERT_EQ(recorded.exitCode, 0) << recorded.err;

  // The blocks written are the image the program carries, in order.
  std::string blocks;
  for (jsonl::Object& line : exchangeLines(dir.read("update.jsonl"))) {
    std::vector<std::uint8_t> report;
    const std::string* data = line["data"].get_ptr<const std::string*>();
    if (line["op"] != "write" || !data || !hextext::toBytes(*data, report) || report.at(1) != 0x1B) continue;
    blocks.append(report.begin() + 4, report.begin() + 4 + report[2]);
  }
  const std::string image = fileContents(SPINDRA_UPDATE_IMAGE);
  EXPECT_EQ(blocks.size(), 97808u);
  EXPECT_TRUE(blocks == image) << "the recorded blocks differ from the embedded image";

  const ProgramRun replayed = runProgram({"--replay", file, "--update", "--yes"});
  EXPECT_EQ(replayed.exitCode, 0) << replayed.err;
  EXPECT_EQ(replayed.out, recorded.out);
  const std::string run = jsonl::line(exchangeLines(dir.read("update.jsonl")).front()["run"]);
  // The bar's estimates are measured, so a loaded machine may show other times left.
  EXPECT_EQ(withoutTimesLeft(replayed.err), withoutTimesLeft("Replaying a report of " + run + "\n" + recorded.err));

  const ProgramRun declined = runProgram({"--replay", file, "--update"});
  EXPECT_EQ(declined.exitCode, 41);
  EXPECT_NE(declined.err.find("This run differs from the recording: line 16: the recording has write, this run calls "
                              "close"),
            std::string::npos)
      << declined.err;
}

// A report's lines as text, to be changed the way a damaged or foreign report would be.
std::vector<std::string> textLines(const std::string& contents) {
  std::vector<std::string> lines;
  std::istringstream in(contents);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string hostName() {
  char name[256] = {};
  gethostname(name, sizeof name - 1);
  return name;
}

TEST(SpindraUpdateTest, AReportTellsTheRunTheAnswersAndTheOutcomeAndReplaysToIt) {
  TempDir dir;
  const std::string file = dir.path("report.jsonl");
  const ProgramRun reported = runProgram({"--simulate", "fail-at:EraseFirmware", "--update", "--yes", "--report", file});
  ASSERT_EQ(reported.exitCode, 33) << reported.err;
  const std::string contents = dir.read("report.jsonl");
  std::vector<jsonl::Object> lines = exchangeLines(contents);
  ASSERT_GE(lines.size(), 3u);

  const jsonl::Object& begin = lines.front();
  EXPECT_EQ(begin["version"], 2);
  const jsonl::Object& run = begin["run"];
  EXPECT_EQ(run["frontEnd"], "spindra-update");
  EXPECT_EQ(run["frontEndVersion"], "3.5");
  EXPECT_EQ(run["imageVersion"], "3.5");
  const std::string image = fileContents(SPINDRA_UPDATE_IMAGE);
  const Sha256Digest digest = sha256(reinterpret_cast<const std::uint8_t*>(image.data()), image.size());
  EXPECT_EQ(run["imageSha256"], hextext::fromBytes(digest.data(), digest.size()));
  EXPECT_EQ(run["language"], "en");
  EXPECT_EQ(run["platform"]["os"].get<std::string>().substr(0, 6), "Linux ");
  EXPECT_EQ(run["started"].get<std::string>().size(), 20u) << "UTC to the second, e.g. 2026-12-10T19:31:05Z";
  // Nothing of the user's: not where the report went, nor who or which computer made it.
  EXPECT_EQ(contents.find(dir.path()), std::string::npos);
  EXPECT_EQ(contents.find("\"" + hostName() + "\""), std::string::npos);

  std::vector<std::string> events;
  for (jsonl::Object& line : lines) {
    if (line["op"] == "event") events.push_back(jsonl::line(line).substr(line["ms"].dump().size() + 7));
  }
  EXPECT_EQ(events, (std::vector<std::string>{R"("op":"event","event":"answer","box":"ConfirmUpdate","answer":"goOn"})",
                                              R"("op":"event","event":"answer","box":"UpdateFailed","answer":"goOn"})"}));
  jsonl::Object outcome = lines.back();
  outcome.erase("ms");
  EXPECT_EQ(jsonl::line(outcome), R"({"op":"outcome","readiness":"Ready","outcome":"EraseFailed","step":"Erase",)"
                                  R"("code":-3,"systemError":31})");

  const ProgramRun replayed = runProgram({"--replay", file, "--update", "--yes"});
  EXPECT_EQ(replayed.exitCode, 33) << replayed.err;
  EXPECT_EQ(replayed.out, reported.out);
}

TEST(SpindraUpdateTest, AReplayThatEndsOtherwiseThanItsReportSaysSo) {
  TempDir dir;
  const std::string file = dir.path("report.jsonl");
  ASSERT_EQ(runProgram({"--simulate", "ready", "--report", file}).exitCode, 0);
  std::vector<std::string> lines = textLines(dir.read("report.jsonl"));
  ASSERT_NE(lines.back().find(R"("readiness":"Ready")"), std::string::npos) << lines.back();
  lines.back() = R"({"ms":9,"op":"outcome","readiness":"WrongMode"})";
  dir.write("report.jsonl", joined(lines));
  const ProgramRun replayed = runProgram({"--replay", file});
  EXPECT_EQ(replayed.exitCode, 42);
  EXPECT_NE(replayed.err.find(R"(This run ends otherwise than the report: the report {"readiness":"WrongMode"}, )"
                              R"(this run {"readiness":"Ready"})"),
            std::string::npos)
      << replayed.err;
}

TEST(SpindraUpdateTest, AReportOfAnotherImageIsReplayedWithAWarning) {
  TempDir dir;
  const std::string file = dir.path("report.jsonl");
  ASSERT_EQ(runProgram({"--simulate", "ready", "--report", file}).exitCode, 0);
  std::string contents = dir.read("report.jsonl");
  const std::size_t digest = contents.find(R"("imageSha256":")") + 15;
  const std::string ours = contents.substr(digest, 64);
  contents.replace(digest, 64, std::string(64, 'a'));
  dir.write("report.jsonl", contents);
  const ProgramRun replayed = runProgram({"--replay", file});
  EXPECT_EQ(replayed.exitCode, 0) << replayed.err;
  EXPECT_NE(replayed.err.find("Warning: the report's run carried the image with SHA-256 " + std::string(64, 'a') +
                              ", this program carries " + ours + "; the replay may differ."),
            std::string::npos)
      << replayed.err;
}

// Files as they come from older programs and crashed runs: read with a warning where they
// can be, refused with the reason where they cannot.
TEST(SpindraUpdateTest, OldCutOffAndForeignReportsReplayOrAreRefusedClearly) {
  TempDir dir;
  const std::string file = dir.path("report.jsonl");
  ASSERT_EQ(runProgram({"--simulate", "ready", "--update", "--yes", "--report", file}).exitCode, 0);
  const std::vector<std::string> lines = textLines(dir.read("report.jsonl"));

  // As the first version wrote it: no run, events or outcome.
  std::vector<std::string> firstVersion = {R"({"ms":0,"op":"begin","format":"spindra-exchanges","version":1})"};
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    if (lines[i].find(R"("op":"event")") == std::string::npos) firstVersion.push_back(lines[i]);
  }
  dir.write("v1.jsonl", joined(firstVersion));
  const ProgramRun old = runProgram({"--replay", dir.path("v1.jsonl"), "--update", "--yes"});
  EXPECT_EQ(old.exitCode, 0) << old.err;
  EXPECT_EQ(old.err.find("Replaying a report"), std::string::npos) << "a version 1 file names no run";

  // A crash in the middle of the last line written.
  std::string cut = joined(std::vector<std::string>(lines.begin(), lines.end() - 1)) + lines.back().substr(0, 20);
  dir.write("cut.jsonl", cut);
  const ProgramRun crashed = runProgram({"--replay", dir.path("cut.jsonl"), "--update", "--yes"});
  EXPECT_EQ(crashed.exitCode, 0) << crashed.err;
  EXPECT_NE(crashed.err.find("Warning: line " + std::to_string(lines.size()) + " is cut off and left out: column 21"),
            std::string::npos)
      << crashed.err;

  const struct {
    std::string contents;
    std::string error;
  } refused[] = {
      {"", ": empty, not a file of recorded exchanges"},
      {joined(std::vector<std::string>(lines.begin() + 1, lines.end())),
       " line 1: not a file of recorded exchanges: it does not start with a \"begin\" line"},
      {R"({"ms":0,"op":"begin","format":"spindra-exchanges","version":3,"run":{}})" "\n",
       " line 1: version 3 comes from a newer program; this one reads versions 1 to 2"},
  };
  for (const auto& c : refused) {
    dir.write("bad.jsonl", c.contents);
    const ProgramRun run = runProgram({"--replay", dir.path("bad.jsonl")});
    EXPECT_EQ(run.exitCode, 40) << c.error;
    EXPECT_EQ(run.err, "Cannot replay: " + dir.path("bad.jsonl") + c.error + "\n");
  }
}

// A dialog session's report (the Windows program's, the page's) replays as the session ran: its
// start among the calls. The page's is saved whenever the user asks, with the unit still open;
// the replay's own close at its end is then no difference, and a call it leaves out still is.
TEST(SpindraUpdateTest, ADialogSessionsReportReplaysAlsoWhenSavedWithTheUnitOpen) {
  TempDir dir;
  const std::string file = dir.path("report.jsonl");
  ASSERT_EQ(runProgram({"--simulate", "ready", "--report", file}).exitCode, 0);
  std::vector<std::string> session = textLines(dir.read("report.jsonl"));
  session.insert(session.begin() + 1, R"({"ms":0,"op":"event","event":"start"})");
  ASSERT_NE(session.end()[-2].find(R"("op":"close")"), std::string::npos) << session.end()[-2];
  std::vector<std::string> unitOpen = session;
  unitOpen.erase(unitOpen.end() - 2);
  std::vector<std::string> callLeftOut = unitOpen;
  callLeftOut.erase(callLeftOut.end() - 2);

  const struct {
    const char* name;
    std::vector<std::string> lines;
    int exitCode;
  } cases[] = {{"ended", session, 0}, {"saved with the unit open", unitOpen, 0}, {"a call left out", callLeftOut, 41}};
  for (const auto& c : cases) {
    dir.write("session.jsonl", joined(c.lines));
    const ProgramRun run = runProgram({"--replay", dir.path("session.jsonl")});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.name << ": " << run.err;
  }
}

TEST(SpindraUpdateTest, WaitingEndsWhenTheUnitArrives) {
  ProgramRun run = runProgram({"--simulate", "arrives"});
  EXPECT_EQ(run.exitCode, 10) << "without --wait it is not there yet";
  run = runProgram({"--simulate", "arrives", "--wait"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "Waiting for a programming unit...\n");
  run = runProgram({"--simulate", "arrives", "--wait=60"});
  EXPECT_EQ(run.exitCode, 0) << "a limit does not cut short a unit that comes";
}

// The limit counts the pauses between polls, which a simulated unit skips: the run ends at
// once, however long the limit, with the exit code of its own.
TEST(SpindraUpdateTest, WaitingWithALimitEndsWithoutAUnit) {
  const ProgramRun run = runProgram({"--simulate", "no-unit", "--wait=1"});
  EXPECT_EQ(run.exitCode, 16);
  EXPECT_EQ(run.err, "Waiting for a programming unit...\nNo unit came within 1 s.\n");
  const jsonl::Object json = jsonOf(runProgram({"--simulate", "no-unit", "--wait=3600", "--json"}));
  EXPECT_EQ(json.at("outcome"), "WaitTimedOut");
  EXPECT_EQ(json.at("exitCode"), 16);
}

// Each spelling is the same run as the long form with a separate value.
TEST(SpindraUpdateTest, OptionsHaveTheirUsualSpellings) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> same;
  } cases[] = {
      {{"--simulate", "ready", "--update", "-y"}, {"--simulate", "ready", "--update", "--yes"}},
      {{"--simulate", "ready", "--update", "--assume-yes"}, {"--simulate", "ready", "--update", "--yes"}},
      {{"--simulate", "ready", "--lang=de"}, {"--simulate", "ready", "--lang", "de"}},
      {{"--simulate=ready"}, {"--simulate", "ready"}},
      {{"--simulate", "ready", "--esc-version=0x0305"}, {"--simulate", "ready", "--esc-version", "0x0305"}},
  };
  for (const auto& c : cases) {
    const ProgramRun run = runProgram(c.args);
    const ProgramRun same = runProgram(c.same);
    EXPECT_EQ(run.exitCode, same.exitCode) << c.args.back();
    EXPECT_EQ(run.out, same.out) << c.args.back();
    EXPECT_EQ(run.err, same.err) << c.args.back();
  }
  // And the spellings do what the long form does, not merely the same as each other.
  EXPECT_EQ(runProgram({"--simulate", "ready", "--update", "-y"}).exitCode, 0);
  EXPECT_NE(runProgram({"--simulate", "ready", "--lang=de"}).out.find("Regler"), std::string::npos);
  EXPECT_NE(runProgram({"--simulate", "ready", "--esc-version=0x0305", "--json"}).out.find("\"escVersion\":\"3.5\""),
            std::string::npos);
}

TEST(SpindraUpdateTest, ARecordingReplacesAFileOnlyWithForce) {
  TempDir dir;
  dir.write("kept.jsonl", "mine\n");
  const std::string file = dir.path("kept.jsonl");
  const ProgramRun refused = runProgram({"--simulate", "ready", "--record", file});
  EXPECT_EQ(refused.exitCode, 40);
  EXPECT_EQ(refused.err, file + " exists already; --force replaces it\n");
  EXPECT_EQ(dir.read("kept.jsonl"), "mine\n");

  const ProgramRun forced = runProgram({"--simulate", "ready", "--record=" + file, "--force"});
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_EQ(runProgram({"--replay", file}).exitCode, 0) << "the file is now a whole recording";

  EXPECT_EQ(runProgram({"--simulate", "ready", "--report", file}).exitCode, 40) << "--report follows the same rule";
  EXPECT_EQ(runProgram({"--simulate", "ready", "--report", file, "--force"}).exitCode, 0);
}

TEST(SpindraUpdateTest, WrongOptionsAndUnusableFilesAreRefused) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  } cases[] = {
      {{"--frobnicate"}, 2, "Unknown option or missing value: --frobnicate (see --help)"},
      {{"--record"}, 2, "Unknown option or missing value: --record (see --help)"},
      {{"--lang", "fr"}, 2, "Unknown language: fr (there are en and de)"},
      {{"--lang=fr"}, 2, "Unknown language: fr (there are en and de)"},
      {{"--lang="}, 2, "Unknown option or missing value: --lang= (see --help)"},
      {{"--yes=1"}, 2, "Unknown option or missing value: --yes=1 (see --help)"},
      {{"--wait=0"}, 2, "Unknown option or missing value: --wait=0 (see --help)"},
      {{"--wait=soon"}, 2, "Unknown option or missing value: --wait=soon (see --help)"},
      {{"--simulate", "ready", "--replay", "x"}, 2, "These options cannot be used together: --replay --simulate"},
      {{"--replay", "x", "--report", "y"}, 2, "These options cannot be used together: --replay --report"},
      {{"--record", "x", "--report", "y"}, 2, "These options cannot be used together: --record --report"},
      {{"--simulate", "teapot"}, 2, "Unknown scenario teapot or ESC version .\nScenarios of the simulated unit:"},
      {{"--simulate", "ready", "--esc-version", "3.5"}, 2, "Unknown scenario ready or ESC version 3.5."},
      {{"--esc-version", "0x0305"}, 2, "--esc-version works only with --simulate"},
      {{"--simulate", "ready", "--record", "/nonexistent/dir/f"}, 40,
       "The exchanges cannot be recorded in /nonexistent/dir/f: No such file or directory"},
      {{"--replay", "/nonexistent/f"}, 40, "Cannot replay: /nonexistent/f: No such file or directory"},
      {{"--replay", "/"}, 40, "Cannot replay: /: Is a directory"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = runProgram(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args[0];
    EXPECT_EQ(run.err.substr(0, c.message.size()), c.message) << c.args[0];
  }
  const ProgramRun help = runProgram({"--help", "--lang", "de"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.substr(0, 30), "Aufruf: spindra-update [Option");
}

// A unit this user may not open is the whole answer: not the instructions for a unit that is
// missing, but how to get access, with an outcome and exit code of its own.
TEST(SpindraUpdateTest, AUnitThisUserMayNotOpenIsAnsweredWithHowToGetAccess) {
  TempDir tree;
  tree.write("sys/class/hidraw/hidraw0/device/uevent", "DRIVER=hid-generic\nHID_ID=0003:000021B8:00000001\n");
  tree.write("dev/hidraw0", "");
  const std::string node = tree.path("dev/hidraw0");
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(node.c_str(), 0000), 0);
  Launch how;
  how.program = SPINDRA_UPDATE_TEST_PROGRAM;
  how.environment = {"LANG=C", "SPINDRA_TEST_SYSFS=" + tree.path("sys"), "SPINDRA_TEST_DEV=" + tree.path("dev")};
  how.unprivileged = true;
  const std::string hint = cli::permissionHint(node);

  ProgramRun run = launch(how, {});
  EXPECT_EQ(run.exitCode, 14) << run.err;
  EXPECT_EQ(run.out, hint);

  run = launch(how, {"--json"});
  EXPECT_EQ(run.exitCode, 14);
  jsonl::Object facts = jsonOf(run);
  EXPECT_EQ(facts["outcome"], "PermissionDenied");
  EXPECT_EQ(facts["exitCode"], 14);
  EXPECT_EQ(facts["permissionDenied"], node);
  EXPECT_EQ(facts["hint"], hint);
}

// The rule the permission hint quotes gives the seat's user each of the unit's products.
TEST(SpindraUpdateTest, TheUdevRuleCoversExactlyTheUnitsIds) {
  char expected[160];
  std::string rules;
  for (std::uint16_t product : {kRoundelProductId, kDockBoxProductId}) {
    std::snprintf(expected, sizeof expected,
                  "KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\", "
                  "TAG+=\"uaccess\"\n",
                  kUnitVendorId, product);
    rules += expected;
  }
  const std::string rule = udev::kRule;
  EXPECT_EQ(rule.substr(rule.find('\n') + 1), rules) << "after its comment line";
  EXPECT_EQ(std::string(udev::kRuleFileName), "70-spindra-update.rules") << "read before the seat's uaccess rules";
}

}  // namespace
