#pragma once
// The history of updates that reached a unit, one JSON object an update, in the same values
// whichever front end keeps it (spindra-update in a file, the page in the browser's storage).
#include <string>

#include "adapters/exchange/json_line.h"
#include "update/update_sequence.h"

namespace record {

// What the history keeps of an update beside the panel as it shows the unit afterwards.
struct UpdateRun {
  std::string escVersionBefore;  // the ESC row before the update
  std::string imageSha256;       // of the image written; empty when none was found
  UpdateOutcome update;
  std::string interruptionHeld;  // the first signal held while it wrote, if any
};

// An update that sent its first request: it succeeded, failed or ran on through a held
// interruption. Refused and cancelled ones never reached the unit.
bool reachedUnit(UpdateStep step);

// The history's entry of an update that has just ended: now, the unit and the ESC's version as
// the panel shows them, and the run's values.
jsonl::Object historyEntry(const UpdateRun& run);

// Now in UTC to the second, e.g. 2026-12-10T19:31:05Z: the history's and the reports' time.
std::string utcNow();

}  // namespace record
