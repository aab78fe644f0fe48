#include "programs/cli/telling.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "adapters/exchange/json_line.h"
#include "adapters/exchange/session_report.h"
#include "base/hex_text.h"
#include "base/sha256.h"
#include "link/unit_device.h"
#include "programs/cli/history.h"
#include "programs/cli/permission_hint.h"
#include "programs/cli/terminal_dialog.h"
#include "res/literals.h"
#include "ui/main_view.h"
#include "ui/main_window.h"
#include "ui/update_report.h"
#include "update/readiness.h"

namespace cli {
namespace {

// "Ready" only when an update would start: a refusal, a denied node and a node held by
// another program are named instead.
const char* outcomeName(const Facts& facts) {
  if (facts.sessionReadiness) return readinessName(*facts.sessionReadiness);
  if (facts.exitCode == exitcode::kWaitTimedOut) return "WaitTimedOut";
  if (!facts.deniedNode.empty()) return "PermissionDenied";
  if (!facts.inUseNode.empty()) return "UnitInUse";
  if (facts.refusal != UpdateStep::None) return updateStepName(facts.refusal);
  return readinessName(mainView().readiness);
}

const char* updateName(const Facts& facts) {
  if (!facts.updateRun) return "not run";
  if (facts.update.step == UpdateStep::None) return "succeeded";
  if (facts.update.step == UpdateStep::Cancelled) return "cancelled";
  return "failed";
}

bool updateFailed(const Facts& facts) { return isRefusal(facts.update.step) || isFailure(facts.update.step); }

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

// The kind of unit found, by fixed name; null when none was found.
jsonl::Object unitName(const Facts& facts) {
  if (facts.device.empty()) return nullptr;
  return wideToUtf8(facts.productId == kRoundelProductId ? lit::kRoundelName : lit::kDockBoxName);
}

// An update of the history as a line for people; a line it cannot read as it is.
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

}  // namespace

void printError(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

std::string imageDigest(const sys::FirmwareImage& image) {
  const Sha256Digest digest = sha256(image.bytes, image.size);
  return hextext::fromBytes(digest.data(), digest.size());
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
    json["step"] = updateStepName(facts.update.step);
    json["failure"] = forTerminal(outcomeMessage(facts.update));
  }
  if (!facts.heldSignal.empty()) json["interruptionHeld"] = facts.heldSignal;
  std::printf("%s\n", jsonl::line(json).c_str());
  std::fputs(passedOver.c_str(), stderr);
}

// What a status run found (its readiness, or why the unit was passed over); of an update, its
// outcome, and where and why it failed.
jsonl::Object outcomeFields(const Facts& facts) {
  return record::outcomeFields({outcomeName(facts), facts.updateRun, facts.update, facts.heldSignal});
}

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
  return exitcode::ofStep(refusal);
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

}  // namespace cli
