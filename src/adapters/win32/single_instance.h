#pragma once
// One updater per user session: a second copy would open the same unit in shared mode and
// could send requests in the middle of the first one's update.
#include <windows.h>

namespace win32 {

// True when no other copy holds the claim in this session. The claim lasts until the process
// ends. A claim the system cannot check lets the program run.
bool claimOnlyInstance();

// Brings a window of another process to the front, restored if minimised, with a box it has
// open in front of it. Sends it nothing it must answer: that copy may be busy writing.
void bringToFront(HWND window);

}  // namespace win32
