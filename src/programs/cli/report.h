#pragma once
// The report of a run (--report, --record): its facts, the questions' answers and arrivals
// beside the exchanges, and its outcome; and what a replay of one says about it.
#include "adapters/exchange/exchange_record.h"
#include "adapters/exchange/exchange_replay.h"
#include "adapters/linux/hidraw.h"
#include "programs/cli/facts.h"
#include "programs/cli/options.h"

namespace cli {

// Starts the report in front of transport; false with errno set when its file cannot be made.
bool startReport(const Options& options, const hid::Transport& transport, record::Recorder& recorder);

// An arrival or removal seen while waiting, for the report when one is written.
void noteEvent(const char* name, const jsonl::Object& fields);

// Writes the outcome and closes the report; false when any of it was lost.
bool finishReport(const Facts& facts, record::Recorder& recorder);

// On stderr: whose run the report is, what was left out of it, and whether its image is this
// program's. The report is kept for what the replay asks of it.
void announceReplay(const replay::Replay& replay);

// The unit's node the replayed report's discovery passed over (denied, or in use), if any.
hidraw::UnusableNode reportedPassedOverNode();

// When the report tells an outcome and this run ended otherwise: says so, and true.
bool endsOtherwise(const Facts& facts, const replay::Replay& replay);

}  // namespace cli
