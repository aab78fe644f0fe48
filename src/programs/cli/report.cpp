#include "programs/cli/report.h"

#include <sys/utsname.h>

#include <cstring>

#include "adapters/exchange/session_report.h"
#include "adapters/exchange/update_history.h"
#include "programs/cli/telling.h"
#include "programs/cli/terminal_dialog.h"
#include "programs/cli/transport_choice.h"
#include "update/readiness.h"

namespace cli {
namespace {

const replay::Recording* replayedReport = nullptr;

// The kernel's name and release alone: the host's name is the user's.
std::string operatingSystem() {
  utsname system{};
  if (uname(&system) != 0) return "Linux";
  return std::string(system.sysname) + " " + system.release;
}

record::Run runFacts() {
  record::Run run = record::programRun("spindra-update");
  run.language = language() == Language::German ? "de" : "en";
  run.os = operatingSystem();
  run.started = record::utcNow();
  return run;
}

std::string errnoWords(std::uint32_t error) { return std::strerror(static_cast<int>(error)); }

// Keys in any order: another front end may write them in its own.
nlohmann::json comparable(const jsonl::Object& outcome) { return nlohmann::json::parse(outcome.dump()); }

void warnOfAnotherImage(const jsonl::Object& run) {
  if (!run.is_object() || !run.contains("imageSha256")) return;
  const jsonl::Object& digest = run["imageSha256"];
  const std::string theirs = digest.is_string() ? digest.get<std::string>() : "";
  const std::string ours = record::carriedImageSha256();
  if (theirs == ours) return;
  printError(text(Text::kReportImageDiffers,
                  {utf8ToWide(theirs.empty() ? "-" : theirs), utf8ToWide(ours.empty() ? "-" : ours)}));
}

}  // namespace

bool startReport(const Options& options, const hid::Transport& transport, record::Recorder& recorder) {
  if (!recorder.start(options.recordFile, transport, options.force, runFacts())) return false;
  // The simulated unit's codes are its own, not the system's.
  if (onHidraw(options)) recorder.describeErrorsWith(errnoWords);
  record::keepAnswers(recorder);
  return true;
}

void noteEvent(const char* name, const jsonl::Object& fields) {
  record::noteEvent(name, fields);
}

bool finishReport(const Facts& facts, record::Recorder& recorder) {
  recorder.outcome(outcomeFields(facts));
  record::stopFollowing();
  return recorder.finish();
}

void announceReplay(const replay::Replay& replay) {
  const replay::Recording& report = replay.recording();
  replayedReport = &report;
  if (!report.run.is_null()) printError(text(Text::kReplayingReport, {utf8ToWide(jsonl::line(report.run))}));
  for (const std::string& warning : report.warnings) printError(text(Text::kReplayWarning, {utf8ToWide(warning)}));
  warnOfAnotherImage(report.run);
}

hidraw::UnusableNode reportedPassedOverNode() {
  if (!replayedReport) return {};
  for (const replay::Event& event : replayedReport->events) {
    const jsonl::Object& fields = event.fields;
    const auto path = fields.find("path");
    const auto error = fields.find("error");
    if (fields.value("event", "") != "passedOver" || path == fields.end() || !path->is_string() ||
        error == fields.end() || !error->is_number_integer()) {
      continue;
    }
    return {path->get<std::string>(), error->get<int>()};
  }
  return {};
}

bool endsOtherwise(const Facts& facts, const replay::Replay& replay) {
  const jsonl::Object& reported = replay.recording().outcome;
  if (reported.is_null()) return false;
  jsonl::Object recorded = reported;
  recorded.erase("ms");
  recorded.erase("op");
  const jsonl::Object ours = outcomeFields(facts);
  if (comparable(recorded) == comparable(ours)) return false;
  printError(text(Text::kReplayOutcomeDiffers, {utf8ToWide(jsonl::line(recorded)), utf8ToWide(jsonl::line(ours))}));
  return true;
}

}  // namespace cli
