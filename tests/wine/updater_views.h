#pragma once
// What the updater's dialog shows in the states the end-to-end tests meet, in the interface
// language the test runs under, and the steps that start an update.
#include <windows.h>

#include <string>

#include "wine/dialog_driver.h"

namespace drive {

// No unit open: three "0.0.0", the panel greyed, Update off. The row-1 label keeps the name
// of the last unit shown.
DialogView withoutUnit(const std::wstring& hint, const std::wstring& unitLabel = catalogueText(40039));

// The scenarios' ROUNDEL, ready: its firmware 0x00010203 shows as 2.3, the ESC's loader
// 0x00000102 as 1.2 and the ESC's firmware 0x0304 as 3.4.
DialogView withReadyUnit();

// The same unit after a successful update: the ESC shows the image's version 3.5, the hint
// says so and Update is off.
DialogView afterSuccessfulUpdate();

// The hint of a row of tests/shared/scenario_outcomes.def.
template <typename Row>
std::wstring hintOf(const Row& row) {
  return row.withInstructions ? hintWithInstructions(row.hint) : catalogueText(row.hint);
}

// Presses Update and confirms the warning, which must be the only question for this ESC.
void confirmUpdate(HWND dialog);

}  // namespace drive
