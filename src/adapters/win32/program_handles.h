#pragma once
// The two process-wide handles through which the Windows adapters reach the program.
#include <windows.h>

// Source of every resource (dialog, texts, icon, picture, image); set by the entry.
// Null stands for the program's own module where the platform accepts that.
extern HINSTANCE moduleInstance;
// The main dialog; owner of message boxes and the progress window. Set first thing when
// the dialog initialises.
extern HWND mainDialog;
