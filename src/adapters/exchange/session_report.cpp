#include "adapters/exchange/session_report.h"

#include <iterator>

#include "base/format_text.h"

namespace record {
namespace {

using dlg::BoxKind;
using session::EventKind;

// Index by the enums' values.
constexpr const char* kBoxNames[] = {"RegistrationFailed", "EscIncompatible",  "ConfirmUpdate",    "OverwriteSameOrNewer",
                                     "UpdateRefused",      "UpdateFailed",     "RunningElsewhere", "UnknownSimulation",
                                     "ReportNotWritten"};
constexpr const char* kEventNames[] = {"start", "arrival", "removal", "press", "press"};
constexpr const char* kButtonUpdate = "update";
constexpr const char* kButtonClose = "close";
constexpr const char* kGoOn = "goOn";
constexpr const char* kStop = "stop";

Recorder* following = nullptr;

void noteAnswer(BoxKind kind, dlg::Answer answer) {
  if (following) following->event("answer", {{"box", boxName(kind)}, {"answer", answer == dlg::Answer::GoOn ? kGoOn : kStop}});
}

void noteEvent(const session::Event& event) {
  if (!following) return;
  jsonl::Object fields = jsonl::Object::object();
  if (event.kind == EventKind::Arrival || event.kind == EventKind::Removal) fields["path"] = wideToUtf8(event.path);
  if (event.kind == EventKind::PressUpdate) fields["button"] = kButtonUpdate;
  if (event.kind == EventKind::PressClose) fields["button"] = kButtonClose;
  following->event(kEventNames[static_cast<std::size_t>(event.kind)], fields);
}

std::string textField(const jsonl::Object& line, const char* key) {
  const auto found = line.find(key);
  return found != line.end() && found->is_string() ? found->get<std::string>() : "";
}

}  // namespace

jsonl::Object outcomeFields(const RunOutcome& outcome) {
  jsonl::Object fields = {{"readiness", outcome.readiness}};
  if (!outcome.updateRun) return fields;
  const UpdateStep step = outcome.update.step;
  fields["outcome"] = updateOutcomeName(step);
  if (isRefusal(step) || isFailure(step)) fields["step"] = updateStepName(step);
  if (isFailure(step)) {
    fields["code"] = outcome.update.code;
    fields["systemError"] = outcome.update.systemError;
  }
  if (!outcome.interruptionHeld.empty()) fields["interruptionHeld"] = outcome.interruptionHeld;
  return fields;
}

RunOutcome sessionOutcome() {
  const session::Outcome now = session::outcome();
  RunOutcome outcome;
  outcome.readiness = readinessName(now.readiness);
  outcome.updateRun = now.updateRun;
  outcome.update = now.update;
  return outcome;
}

std::string outcomeWord(const RunOutcome& outcome) {
  if (!outcome.updateRun) return outcome.readiness;
  return outcome.update.step == UpdateStep::None ? "Updated" : updateStepName(outcome.update.step);
}

void keepAnswers(Recorder& recorder) {
  following = &recorder;
  dlg::setAnswerListener(noteAnswer);
}

void followSession(Recorder& recorder) {
  keepAnswers(recorder);
  session::setListener(noteEvent);
}

void noteEvent(const char* name, const jsonl::Object& fields) {
  if (following) following->event(name, fields);
}

void stopFollowing() {
  following = nullptr;
  dlg::setAnswerListener(nullptr);
  session::setListener(nullptr);
}

bool finishSession(Recorder& recorder) {
  stopFollowing();
  recorder.outcome(outcomeFields(sessionOutcome()));
  return recorder.finish();
}

bool sessionEventOf(const jsonl::Object& line, session::Event& event) {
  const std::string name = textField(line, "event");
  const std::string button = textField(line, "button");
  if (name == "start") {
    event = {EventKind::Start, {}};
  } else if (name == "arrival" || name == "removal") {
    event = {name == "arrival" ? EventKind::Arrival : EventKind::Removal, utf8ToWide(textField(line, "path"))};
  } else if (name == "press" && (button == kButtonUpdate || button == kButtonClose)) {
    event = {button == kButtonUpdate ? EventKind::PressUpdate : EventKind::PressClose, {}};
  } else {
    return false;
  }
  return true;
}

bool answerOf(const jsonl::Object& line, dlg::BoxKind& kind, dlg::Answer& answer) {
  if (textField(line, "event") != "answer") return false;
  const std::string box = textField(line, "box");
  const std::string given = textField(line, "answer");
  for (std::size_t i = 0; i < std::size(kBoxNames); ++i) {
    if (box != kBoxNames[i]) continue;
    kind = static_cast<BoxKind>(i);
    // Reports of the command line's first version 2 answered its questions yes or no.
    answer = given == kGoOn || given == "yes" ? dlg::Answer::GoOn : dlg::Answer::Stop;
    return true;
  }
  return false;
}

const char* boxName(BoxKind kind) { return kBoxNames[static_cast<std::size_t>(kind)]; }

}  // namespace record
