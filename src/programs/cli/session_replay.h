#pragma once
// A report of a dialog session (the Windows program, the page) replayed as it happened: its
// events handed to the core in their order, and every box answered as the report says it was.
#include <string>

#include "adapters/exchange/recorded_calls.h"
#include "programs/cli/facts.h"

namespace cli {

// Whether the report is a dialog session's: it records the dialog's start.
bool isSessionReport(const replay::Recording& report);

// Replays the session and notes how it ended in facts. Empty when every event and answer could
// be handed over as recorded; otherwise the first place where this run went another way.
std::string replaySession(const replay::Recording& report, Facts& facts);

}  // namespace cli
