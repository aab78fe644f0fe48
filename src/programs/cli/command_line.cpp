#include "programs/cli/command_line.h"

#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "base/hex_text.h"
#include "base/sha256.h"
#include "link/unit_device.h"
#include "programs/cli/exit_codes.h"
#include "programs/cli/history.h"
#include "adapters/linux/linux_system.h"
#include "programs/cli/options.h"
#include "programs/cli/scenarios.h"
#include "programs/cli/permission_hint.h"
#include "adapters/exchange/exchange_record.h"
#include "adapters/exchange/exchange_replay.h"
#include "adapters/linux/hidraw.h"
#include "adapters/linux/interruptions.h"
#include "adapters/exchange/json_line.h"
#include "adapters/sim/simulated_bus.h"
#include "res/literals.h"
#include "ui/main_view.h"
#include "ui/main_window.h"
#include "ui/unit_status.h"
#include "ui/update_report.h"
#include "update/image_transfer.h"
#include "update/readiness.h"
#include "update/update_sequence.h"

namespace cli {
namespace {

constexpr std::uint32_t kPollMs = 500;
constexpr unsigned kPollsBetweenDiscoveries = 10;  // also retried without a change, e.g. after a udev reload
// The version of the image written, which is also the program's.
constexpr std::uint32_t kVersionMajor = SPINDRA_IMAGE_VERSION_MAJOR;
constexpr std::uint32_t kVersionMinor = SPINDRA_IMAGE_VERSION_MINOR;

struct Facts {
  std::string device;       // the unit found, even when it was then given up
  std::uint16_t productId = 0;  // and its kind, kept as long as device
  std::string deniedNode;   // a unit this user may not open
  std::string inUseNode;    // a unit another program holds
  UpdateStep refusal = UpdateStep::None;  // what Update would refuse the ready unit for
  bool updateRun = false;
  UpdateOutcome update;
  std::string escVersionBefore;  // as the panel showed it before the update
  std::string imageSha256;       // of the image written
  std::string heldSignal;   // the first interruption held while the update wrote, e.g. SIGINT
  bool waitTimedOut = false;  // --wait=SECONDS passed without a unit
  int exitCode = exitcode::kNoUnit;
};

// Names the same in every language: for scripts (--json) and for the history.
const struct {
  UpdateStep step;
  int exitCode;
  const char* stepName;     // where the update ended, as --json tells scripts
  const char* outcomeName;  // how it ended, as the history keeps it
} kUpdateExits[] = {
    {UpdateStep::None, exitcode::kReady, "None", "Succeeded"},
    {UpdateStep::Cancelled, exitcode::kCancelled, "Cancelled", "Cancelled"},
    {UpdateStep::ImageMissing, exitcode::kNoImage, "ImageMissing", "ImageMissing"},
    {UpdateStep::ImageDamaged, exitcode::kImageDamaged, "ImageDamaged", "ImageDamaged"},
    {UpdateStep::UnitReportsTooShort, exitcode::kUnitReportsTooShort, "UnitReportsTooShort", "UnitReportsTooShort"},
    {UpdateStep::UnitNotDetected, exitcode::kUnitLost, "UnitNotDetected", "UnitLost"},
    {UpdateStep::SystemLock, exitcode::kSystemLockFailed, "SystemLock", "SystemLockFailed"},
    {UpdateStep::WriteProtection, exitcode::kWriteProtectionFailed, "WriteProtection", "WriteProtectionFailed"},
    {UpdateStep::Erase, exitcode::kEraseFailed, "Erase", "EraseFailed"},
    {UpdateStep::WriteAddress, exitcode::kAddressFailed, "WriteAddress", "WriteAddressFailed"},
    {UpdateStep::BlockTransfer, exitcode::kTransferFailed, "BlockTransfer", "BlockTransferFailed"},
};

// The row of a step; a step the table does not name counts as a failed block transfer.
const auto& exitOf(UpdateStep step) {
  for (const auto& entry : kUpdateExits) {
    if (entry.step == step) return entry;
  }
  return kUpdateExits[std::size(kUpdateExits) - 1];
}

int updateExit(UpdateStep step) { return exitOf(step).exitCode; }
const char* updateOutcomeName(UpdateStep step) { return exitOf(step).outcomeName; }
const char* stepName(UpdateStep step) { return exitOf(step).stepName; }

const char* readinessName(Readiness readiness) {
  switch (readiness) {
    case Readiness::NoUnit: return "NoUnit";
    case Readiness::WrongMode: return "WrongMode";
    case Readiness::NoUpdatableEsc: return "NoUpdatableEsc";
    case Readiness::EscIncompatible: return "EscIncompatible";
    case Readiness::Ready: break;
  }
  return "Ready";
}

// "Ready" only when an update would start: a refusal, a denied node and a node held by
// another program are named instead.
const char* outcomeName(const Facts& facts) {
  if (facts.exitCode == exitcode::kWaitTimedOut) return "WaitTimedOut";
  if (!facts.deniedNode.empty()) return "PermissionDenied";
  if (!facts.inUseNode.empty()) return "UnitInUse";
  if (facts.refusal != UpdateStep::None) return stepName(facts.refusal);
  return readinessName(mainView().readiness);
}

int readinessExit(const Facts& facts) {
  switch (mainView().readiness) {
    case Readiness::NoUnit:
      if (!facts.inUseNode.empty()) return exitcode::kUnitInUse;
      return facts.deniedNode.empty() ? exitcode::kNoUnit : exitcode::kPermissionDenied;
    case Readiness::WrongMode: return exitcode::kWrongMode;
    case Readiness::NoUpdatableEsc: return exitcode::kNoUpdatableEsc;
    case Readiness::EscIncompatible: return exitcode::kEscIncompatible;
    case Readiness::Ready: break;
  }
  return exitcode::kReady;
}

const char* updateName(const Facts& facts) {
  if (!facts.updateRun) return "not run";
  if (facts.update.step == UpdateStep::None) return "succeeded";
  if (facts.update.step == UpdateStep::Cancelled) return "cancelled";
  return "failed";
}

bool updateFailed(const Facts& facts) { return isRefusal(facts.update.step) || isFailure(facts.update.step); }

void printError(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

// --- transport -------------------------------------------------------------------

// What a run can talk through, held for the whole run: the hidraw nodes, the simulated bus
// of --simulate, a replay in place of either and a recorder in front of any of them.
struct Transports {
  explicit Transports(const hidraw::Roots& roots) : hidraw(roots) {}
  hidraw::Nodes hidraw;
  sim::Bus simulatedBus;
  replay::Replay replay;
  record::Recorder recorder;
};

// Puts the chosen transport behind the hid:: seam; an exit code when that fails, else 0.
int chooseTransport(const Options& options, Transports& transports) {
  hid::Transport transport = transports.hidraw.transport();
  if (!options.scenario.empty()) {
    transport = transports.simulatedBus.transport();
  }
  if (!options.replayFile.empty()) {
    std::string error;
    if (!transports.replay.load(options.replayFile, error)) {
      printError(text(Text::kReplayUnusable, {utf8ToWide(error)}));
      return exitcode::kExchangeFileUnusable;
    }
    transport = transports.replay.transport();
  }
  if (!options.recordFile.empty()) {
    if (!transports.recorder.start(options.recordFile, transport, options.force)) {
      const std::wstring file = utf8ToWide(options.recordFile);
      printError(errno == EEXIST ? text(Text::kRecordExists, {file})
                                 : text(Text::kRecordFailed, {file, utf8ToWide(std::strerror(errno))}));
      return exitcode::kExchangeFileUnusable;
    }
    transport = transports.recorder.transport();
  }
  if (transport.reach == hid::Reach::StandIn) linuxsys::skipPauses();
  hid::use(transport);
  return 0;
}

bool onHidraw(const Options& options) { return options.scenario.empty() && options.replayFile.empty(); }

// A unit's node that discovery had to pass over: this user denied, or another program holding it.
void notePassedOverUnit(const Options& options, const hidraw::Roots& roots, Facts& facts) {
  if (!onHidraw(options)) return;
  const hidraw::UnusableNode node =
      hidraw::unusableNode(roots, kUnitVendorId, {kRoundelProductId, kDockBoxProductId});
  if (node.error == EACCES) facts.deniedNode = node.path;
  if (node.error == EWOULDBLOCK) facts.inUseNode = node.path;
}

// --- finding the unit ------------------------------------------------------------

// Discovers again whenever the set of interfaces changes, and every few polls besides. A limit
// counts the pauses between polls rather than the clock: a simulated unit does not pause, so
// a simulated wait reaches its limit at once, and the same way every run.
std::int32_t waitForUnit(unsigned limitSeconds, bool& timedOut) {
  std::vector<std::wstring> known;
  for (unsigned poll = 0;; ++poll) {
    std::vector<std::wstring> present;
    hid::active().listInterfaces(present);
    if (poll % kPollsBetweenDiscoveries == 0 || present != known) {
      known = present;
      const std::int32_t result = discoverUnit();
      if (result != kNoMatchingDevice) return result;
    }
    if (limitSeconds > 0 && std::uint64_t{poll} * kPollMs >= std::uint64_t{limitSeconds} * 1000) {
      timedOut = true;
      return kNoMatchingDevice;
    }
    if (poll == 0) printError(text(Text::kWaiting));
    sys::pause(kPollMs);
  }
}

// The checks Update makes before its questions: a unit they rule out is shown as the window
// shows it after Update was refused, not as ready.
void findRefusal(Facts& facts) {
  sys::FirmwareImage image;
  facts.refusal = updateRefusal(image);
  if (facts.refusal != UpdateStep::None) showRefusalHint(facts.refusal);
}

void findAndAssess(const Options& options, const hidraw::Roots& roots, Facts& facts) {
  setRowLabels();
  const std::int32_t discovered = options.wait ? waitForUnit(options.waitSeconds, facts.waitTimedOut) : discoverUnit();
  if (!unitDevice.devicePath.empty()) {
    facts.device = wideToUtf8(unitDevice.devicePath);
    facts.productId = unitDevice.productId;
  }
  assessReadiness(discovered);
  if (mainView().readiness == Readiness::NoUnit) notePassedOverUnit(options, roots, facts);
  if (mainView().readiness == Readiness::Ready) findRefusal(facts);
  facts.exitCode = facts.refusal == UpdateStep::None ? readinessExit(facts) : updateExit(facts.refusal);
  if (facts.waitTimedOut && facts.exitCode == exitcode::kNoUnit) {
    printError(text(Text::kWaitTimedOut, {options.waitSeconds}));
    facts.exitCode = exitcode::kWaitTimedOut;
  }
}

// --- updating --------------------------------------------------------------------

// The unit, the ESC's firmware before and after, and what is written: the panel's rows as
// the window shows them.
std::string whatChanges(const sys::FirmwareImage& image) {
  const MainView& view = mainView();
  return text(Text::kWhatChanges,
              {view.rows[0].label, view.rows[0].value, view.rows[2].value, kVersionMajor, kVersionMinor, image.size});
}

// About what the rest of an update waits: the pause after each block still to write and,
// before the first block, the erase's waits; rounded up to whole seconds.
std::uint32_t secondsLeft() {
  const term::TransferLeft left = term::transferLeft();
  std::uint32_t milliseconds = left.blocks * kCommandPauseMs;
  if (!left.begun) milliseconds += kEraseWaitMs + kEraseSettleMs;
  return (milliseconds + 999) / 1000;
}

// On the thread that holds the signals, at once; on a terminal below the progress bar.
void tellInterruptionHeld(int) {
  const char* lineStart = term::redrawsInPlace() ? "\n" : "";
  std::fprintf(stderr, "%s%s\n", lineStart, text(Text::kInterruptionHeld, {secondsLeft()}).c_str());
}

std::string imageDigest(const sys::FirmwareImage& image) {
  const Sha256Digest digest = sha256(image.bytes, image.size);
  return hextext::fromBytes(digest.data(), digest.size());
}

void updateAndJudge(Facts& facts) {
  sys::FirmwareImage image;
  if (sys::locateFirmwareImage(image)) {
    term::expectBlocks((image.size + kBlockBytes - 1) / kBlockBytes);
    term::setConfirmDetails(whatChanges(image));
    facts.imageSha256 = imageDigest(image);
  }
  facts.escVersionBefore = forTerminal(mainView().rows[2].value);
  facts.updateRun = true;
  facts.update = updateAndReport();
  facts.heldSignal = interruptions::nameOf(interruptions::firstHeld());
  facts.exitCode = updateExit(facts.update.step);
}

// An update that sent its first request: it succeeded, failed or ran on through a held
// interruption. Refused and cancelled ones never reached the unit.
bool reachedUnit(const Facts& facts) { return facts.update.step == UpdateStep::None || isFailure(facts.update.step); }

jsonl::Object historyEntry(const Facts& facts) {
  const MainView& view = mainView();
  jsonl::Object entry = {{"time", history::utcNow()},
                         {"unit", forTerminal(view.rows[0].label)},
                         {"unitVersion", forTerminal(view.rows[0].value)},
                         {"escVersionBefore", facts.escVersionBefore},
                         {"escVersionAfter", forTerminal(view.rows[2].value)},
                         {"imageSha256", facts.imageSha256},
                         {"outcome", updateOutcomeName(facts.update.step)}};
  if (isFailure(facts.update.step)) {
    entry["code"] = facts.update.code;
    entry["systemError"] = facts.update.systemError;
  }
  if (!facts.heldSignal.empty()) entry["interruptionHeld"] = facts.heldSignal;
  return entry;
}

// A history that cannot be written costs the entry, not the update: a warning, same exit code.
void keepInHistory(const Facts& facts) {
  if (!reachedUnit(facts) || history::append(historyEntry(facts))) return;
  printError(text(Text::kHistoryNotWritten, {utf8ToWide(history::path()), utf8ToWide(std::strerror(errno))}));
}

// --- telling ---------------------------------------------------------------------

// Why a unit found was not used, when it was not: the permission hint or that it is in use.
std::string passedOverText(const Facts& facts) {
  if (!facts.deniedNode.empty()) return permissionHint(facts.deniedNode);
  if (!facts.inUseNode.empty()) return text(Text::kUnitInUse, {utf8ToWide(facts.inUseNode)});
  return "";
}

// Without the caption's trailing space.
std::string title() {
  std::wstring title = mainWindowTitle();
  while (!title.empty() && title.back() == L' ') title.pop_back();
  return wideToUtf8(title);
}

bool carriesImage() {
  sys::FirmwareImage image;
  return imageRefusal(image) != UpdateStep::ImageMissing;
}

void printStatus(const Facts& facts) {
  const MainView& view = mainView();
  if (!term::boxes().empty()) std::printf("\n");  // apart from the last message box
  std::printf("%s\n\n", title().c_str());
  std::size_t width = 0;
  for (const PanelRow& row : view.rows) width = std::max(width, row.label.size());
  for (const PanelRow& row : view.rows) {
    std::printf("%s%s   %s\n", forTerminal(row.label).c_str(), std::string(width - row.label.size(), ' ').c_str(),
                forTerminal(row.value).c_str());
  }
  std::printf("\n%s\n", forTerminal(view.hint).c_str());
  // Where the window's Update button is enabled, the terminal names the option that does its work.
  if (view.updateEnabled) std::printf("%s\n", text(Text::kUpdateFromTerminal).c_str());
  if (!facts.heldSignal.empty()) {
    std::printf("%s\n", text(Text::kInterruptionWasHeld, {utf8ToWide(facts.heldSignal)}).c_str());
  }
}

// A unit passed over (one this user may not open, one another program holds) is all there is
// to tell: the window's status would be that no unit was found. A build without an image says
// so last, whatever the status.
void printForPeople(const Facts& facts) {
  const std::string passedOver = passedOverText(facts);
  if (passedOver.empty()) {
    printStatus(facts);
  } else {
    std::fputs(passedOver.c_str(), stdout);
  }
  if (!carriesImage()) std::printf("\n%s\n", text(Text::kNoImageCarried).c_str());
}

// The kind of unit found, by fixed name; null when none was found.
jsonl::Object unitName(const Facts& facts) {
  if (facts.device.empty()) return nullptr;
  return wideToUtf8(facts.productId == kRoundelProductId ? lit::kRoundelName : lit::kDockBoxName);
}

// Every field a script compares is the same in every language; the texts for people (the
// row label, the hint, the failure) have fields of their own.
void printJson(const Facts& facts) {
  const MainView& view = mainView();
  jsonl::Object json = {{"version", 1}, {"outcome", outcomeName(facts)}, {"exitCode", facts.exitCode}};
  if (!facts.device.empty()) json["device"] = facts.device;
  if (!facts.deniedNode.empty()) json["permissionDenied"] = facts.deniedNode;
  if (!facts.inUseNode.empty()) json["unitInUse"] = facts.inUseNode;
  json["unit"] = unitName(facts);
  json["unitLabel"] = forTerminal(view.rows[0].label);
  json["unitVersion"] = forTerminal(view.rows[0].value);
  json["escLoaderVersion"] = forTerminal(view.rows[1].value);
  json["escVersion"] = forTerminal(view.rows[2].value);
  const std::string passedOver = passedOverText(facts);
  json["hint"] = passedOver.empty() ? forTerminal(view.hint) : passedOver;
  json["update"] = updateName(facts);
  if (updateFailed(facts)) {
    json["step"] = stepName(facts.update.step);
    json["failure"] = forTerminal(outcomeMessage(facts.update));
  }
  if (!facts.heldSignal.empty()) json["interruptionHeld"] = facts.heldSignal;
  std::printf("%s\n", jsonl::line(json).c_str());
  std::fputs(passedOver.c_str(), stderr);
}

// --- the run ---------------------------------------------------------------------

void showUsage() {
  std::fputs(text(Text::kUsage, {lit::kTargetModel, kVersionMajor, kVersionMinor}).c_str(), stdout);
}

// The program's version, which is the firmware's it writes, and the image it carries as it
// is now: a damaged one is told as Update would refuse it.
int showVersion() {
  std::printf("%s\n", text(Text::kVersion, {kVersionMajor, kVersionMinor}).c_str());
  sys::FirmwareImage image;
  const UpdateStep refusal = imageRefusal(image);
  if (refusal == UpdateStep::ImageMissing) {
    std::printf("%s\n", text(Text::kNoImageCarried).c_str());
    return exitcode::kReady;
  }
  const std::wstring digestText = utf8ToWide(imageDigest(image));
  std::printf("%s\n", text(Text::kImageCarried, {kVersionMajor, kVersionMinor, image.size, digestText}).c_str());
  if (refusal == UpdateStep::None) return exitcode::kReady;
  std::printf("%s\n", forTerminal(outcomeMessage({refusal})).c_str());
  return updateExit(refusal);
}

// One line per update for people; with --json the lines as stored.
std::string historyLine(const std::string& stored) {
  jsonl::Object entry;
  std::string error;
  if (!jsonl::parseObject(stored, entry, error)) return stored;
  std::string outcome = entry.value("outcome", "");
  if (entry.contains("code")) {
    char code[32];
    std::snprintf(code, sizeof code, " 0x%08x-0x%08x", entry.value("code", 0u), entry.value("systemError", 0u));
    outcome += code;
  }
  if (entry.contains("interruptionHeld")) outcome += " " + entry.value("interruptionHeld", "");
  std::vector<std::wstring> fields;
  for (const char* key : {"time", "unit", "unitVersion", "escVersionBefore", "escVersionAfter"}) {
    fields.push_back(utf8ToWide(entry.value(key, "")));
  }
  return text(Text::kHistoryLine, {fields[0], fields[1], fields[2], fields[3], fields[4], utf8ToWide(outcome)});
}

int showHistory(bool json) {
  std::vector<std::string> lines;
  if (!history::read(lines)) {
    printError(text(Text::kHistoryNotRead, {utf8ToWide(history::path()), utf8ToWide(std::strerror(errno))}));
    return exitcode::kExchangeFileUnusable;
  }
  if (lines.empty() && !json) std::printf("%s\n", text(Text::kHistoryEmpty, {utf8ToWide(history::path())}).c_str());
  for (const std::string& line : lines) std::printf("%s\n", json ? line.c_str() : historyLine(line).c_str());
  return exitcode::kReady;
}

Text optionsProblem(OptionsResult result) {
  switch (result) {
    case OptionsResult::UnknownLanguage: return Text::kUnknownLanguage;
    case OptionsResult::Conflicting: return Text::kConflictingOptions;
    case OptionsResult::NeedsSimulation: return Text::kNeedsSimulation;
    default: return Text::kUnknownOption;
  }
}

// The recording must be whole and a replay must have matched; either overrides the outcome.
int closeExchangeFiles(const Options& options, Transports& transports, int exitCode) {
  if (!options.recordFile.empty() && !transports.recorder.finish()) {
    printError(text(Text::kRecordFailed, {utf8ToWide(options.recordFile), utf8ToWide(std::strerror(errno))}));
    return exitcode::kExchangeFileUnusable;
  }
  if (!options.replayFile.empty()) {
    const std::string mismatch = transports.replay.mismatch();
    if (!mismatch.empty()) {
      printError(text(Text::kReplayDiffers, {utf8ToWide(mismatch)}));
      return exitcode::kReplayDiffers;
    }
  }
  return exitCode;
}

int prepare(int argc, const char* const* argv, Options& options, sim::Bus& simulatedBus) {
  setLanguage(languageFromEnvironment());
  std::string problem;
  const OptionsResult parsed = parseOptions(argc, argv, options, problem);
  if (options.languageGiven) setLanguage(options.language);
  if (parsed != OptionsResult::Ok) {
    printError(text(optionsProblem(parsed), {utf8ToWide(problem)}));
    return exitcode::kWrongOptions;
  }
  if (options.help) {
    showUsage();
    return exitcode::kReady;
  }
  if (options.version) return showVersion();
  if (options.history) return showHistory(options.json);
  if (options.scenario == "list") {
    std::fputs(scenario::list().c_str(), stdout);
    return exitcode::kReady;
  }
  if (!options.scenario.empty() && !scenario::prepare(simulatedBus, options.scenario, options.escVersion)) {
    printError(text(Text::kUnknownScenario, {utf8ToWide(options.scenario), utf8ToWide(options.escVersion)}));
    std::fputs(scenario::list().c_str(), stderr);
    return exitcode::kWrongOptions;
  }
  return -1;
}

}  // namespace

int run(int argc, const char* const* argv, const hidraw::Roots& roots) {
  // A reader that went away (a closed terminal, a pipe) costs only the output: the update
  // goes on and the exit code still tells its outcome.
  std::signal(SIGPIPE, SIG_IGN);
  interruptions::setNotice(tellInterruptionHeld);
  Options options;
  Transports transports(roots);
  const int early = prepare(argc, argv, options, transports.simulatedBus);
  if (early >= 0) return early;
  const int transportProblem = chooseTransport(options, transports);
  if (transportProblem != 0) return transportProblem;
  term::setAnswers(options.answers);
  term::setBoxStream(options.json ? stderr : stdout);

  Facts facts;
  findAndAssess(options, roots, facts);
  // Simulated updates and replays are tries, not updates of an ESC: the history keeps neither.
  if (options.update && mainView().readiness == Readiness::Ready) {
    updateAndJudge(facts);
    if (onHidraw(options)) keepInHistory(facts);
  }
  resetDevice();

  facts.exitCode = closeExchangeFiles(options, transports, facts.exitCode);
  if (options.json) {
    printJson(facts);
  } else {
    printForPeople(facts);
  }
  return facts.exitCode;
}

}  // namespace cli
