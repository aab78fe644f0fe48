#pragma once
// One updater per computer, across user sessions: a second copy would open the same unit in
// shared mode, send requests in the middle of the first one's update, and, as every open
// handle gets every input report, read the first one's replies as its own.
#include <windows.h>

namespace win32 {

// True when no other copy holds the claim, in this session or another. The claim lasts
// until the process ends. A claim the system cannot check lets the program run.
bool claimOnlyInstance();

// Brings a window of another process to the front, restored if minimised, with a box it has
// open in front of it. Sends it nothing it must answer: that copy may be busy writing.
void bringToFront(HWND window);

}  // namespace win32
