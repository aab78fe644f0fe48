#pragma once
// Updating the ready unit as Update does: what the question shows first, the interruption
// held meanwhile, and the history of updates that reached the unit.
#include "programs/cli/facts.h"

namespace cli {

// Runs the update and notes how it went: the outcome, the image written, the ESC's version
// before, an interruption held, and the exit code.
void updateAndJudge(Facts& facts);

// Adds an update that reached the unit to the history; a warning when it cannot.
void keepInHistory(const Facts& facts);

// The notice of the first interruption held while the update writes (interruptions::setNotice):
// the update goes on, and about when it finishes.
void tellInterruptionHeld(int signal);

}  // namespace cli
