#pragma once
// What a report keeps beside the exchanges: the answer to every box, the events of a dialog
// session (the Windows program, the page), and how the run ended; and those read back, so that
// a replay hands the events over again and answers each box as it was answered.
#include <string>

#include "adapters/exchange/exchange_record.h"
#include "seams/dialog.h"
#include "ui/session.h"
#include "update/update_sequence.h"

namespace record {

// How a run ended, in the values of the history line.
struct RunOutcome {
  std::string readiness;  // a readiness, or what the run found instead (e.g. a refusal's step)
  bool updateRun = false;
  UpdateOutcome update;
  std::string interruptionHeld;  // the first signal held while the update wrote, if any
};

// The last line's fields.
jsonl::Object outcomeFields(const RunOutcome& outcome);

// The dialog session's outcome (session::outcome) in those values.
RunOutcome sessionOutcome();

// What the run came to in one word, for the name of its report: the step an update failed at
// or was refused at (e.g. BlockTransfer), Updated, Cancelled, or else the readiness.
std::string outcomeWord(const RunOutcome& outcome);

// Keeps every box's answer in recorder's report from now on; with events, the session's
// events too. Until stopFollowing.
void keepAnswers(Recorder& recorder);
void followSession(Recorder& recorder);
void stopFollowing();
// Any other event of the front end, into the report followed now, if any.
void noteEvent(const char* name, const jsonl::Object& fields);

// The report's file of a dialog session ended: the outcome line written, the sink closed;
// false when any of it was lost.
bool finishSession(Recorder& recorder);

// Read back: a report's event line as the session event it records, or as a box's answer.
// False for a line that is not one.
bool sessionEventOf(const jsonl::Object& line, session::Event& event);
bool answerOf(const jsonl::Object& line, dlg::BoxKind& kind, dlg::Answer& answer);
// The name a box kind has in a report, e.g. "ConfirmUpdate".
const char* boxName(dlg::BoxKind kind);

}  // namespace record
