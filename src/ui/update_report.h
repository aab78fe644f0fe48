#pragma once
// Running the update from the Update button and showing how it ended.
#include <string>

#include "update/update_sequence.h"

// Runs the update and shows its outcome: the refusal or failure box, or the success hint.
UpdateOutcome updateAndReport();

// What the window keeps of a refusal once its box is closed: the refusal's hint and Update
// disabled.
void showRefusalHint(UpdateStep refusal);

// The text of the box that reports a refusal or failure: the step's text, then the code
// line when the code has one.
std::wstring outcomeMessage(const UpdateOutcome& outcome);
