#include "programs/cli/session_replay.h"

#include <algorithm>

#include "adapters/exchange/session_report.h"
#include "link/unit_device.h"
#include "programs/cli/finding.h"
#include "programs/cli/terminal_dialog.h"
#include "ui/main_window.h"
#include "ui/session.h"

namespace cli {
namespace {

struct Progress {
  const std::vector<replay::Event>* events = nullptr;
  std::size_t next = 0;
  std::string divergence;
};

Progress replayed;

void diverge(const std::string& message) {
  if (replayed.divergence.empty()) replayed.divergence = message;
}

std::string lineOf(const replay::Event& event) { return "line " + std::to_string(event.line) + ": "; }

bool isDeviceChange(const session::Event& event) {
  return event.kind == session::EventKind::Arrival || event.kind == session::EventKind::Removal;
}

// A box of this run: the units that came and went while it was open in the report are handled
// first, as the dialog handled them then; then it takes the report's answer.
dlg::Answer answerFromReport(dlg::BoxKind kind) {
  const std::vector<replay::Event>& events = *replayed.events;
  while (replayed.next < events.size()) {
    const replay::Event& line = events[replayed.next];
    dlg::BoxKind answered = kind;
    dlg::Answer answer = dlg::Answer::Stop;
    session::Event event;
    if (record::answerOf(line.fields, answered, answer)) {
      ++replayed.next;
      if (answered == kind) return answer;
      diverge(lineOf(line) + "the report answers a " + record::boxName(answered) + " box, this run shows " +
              record::boxName(kind));
      return dlg::Answer::Stop;
    }
    if (record::sessionEventOf(line.fields, event) && !isDeviceChange(event)) break;
    ++replayed.next;
    if (isDeviceChange(event)) session::handle(event);
  }
  diverge(std::string("this run shows a ") + record::boxName(kind) + " box that the report does not answer");
  return dlg::Answer::Stop;
}

}  // namespace

bool isSessionReport(const replay::Recording& report) {
  return std::any_of(report.events.begin(), report.events.end(), [](const replay::Event& line) {
    session::Event event;
    return record::sessionEventOf(line.fields, event) && event.kind == session::EventKind::Start;
  });
}

std::string replaySession(const replay::Recording& report, Facts& facts) {
  replayed = Progress{};
  replayed.events = &report.events;
  setRowLabels();
  session::reset();
  term::setAnswerSource(answerFromReport);
  while (replayed.next < report.events.size()) {
    const replay::Event& line = report.events[replayed.next++];
    session::Event event;
    dlg::BoxKind kind = dlg::BoxKind::UpdateFailed;
    dlg::Answer answer = dlg::Answer::Stop;
    if (record::sessionEventOf(line.fields, event)) {
      session::handle(event);
    } else if (record::answerOf(line.fields, kind, answer)) {
      diverge(lineOf(line) + "the report answers a " + record::boxName(kind) + " box that this run does not show");
    }
  }
  term::setAnswerSource(nullptr);

  const session::Outcome outcome = session::outcome();
  facts.sessionReadiness = outcome.readiness;
  facts.updateRun = outcome.updateRun;
  facts.update = outcome.update;
  if (!unitDevice.devicePath.empty()) {
    facts.device = wideToUtf8(unitDevice.devicePath);
    facts.productId = unitDevice.productId;
  }
  facts.exitCode = outcome.updateRun ? exitcode::ofStep(outcome.update.step) : readinessExit(facts);
  return replayed.divergence;
}

}  // namespace cli
