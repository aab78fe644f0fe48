#include "adapters/win32/program_handles.h"

HINSTANCE moduleInstance = nullptr;
HWND mainDialog = nullptr;
