#pragma once
// The main dialog, the program's one window: what the entry calls. Windows only.
// Runs dialog 110 modally, a new session, until it ends and releases what it held.
// moduleInstance is set.
void runMainDialog();
// The main dialog of another copy already running, brought to the front; false when no
// such window is found on this desktop within a moment (a copy in another session).
bool bringRunningMainDialogForward();
