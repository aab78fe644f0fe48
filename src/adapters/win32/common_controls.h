#pragma once

namespace win32 {

// Registers the common-control window classes (the progress bar among them). comctl32 is
// loaded from the system directory at run time rather than imported.
void initCommonControls();

}  // namespace win32
