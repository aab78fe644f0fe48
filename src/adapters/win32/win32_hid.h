#pragma once
// The real USB bus as the hid:: seam's transport: SetupAPI lists the interfaces, hid.dll
// describes them, overlapped file I/O with a bound carries the reports.
#include "seams/hid_transport.h"

namespace win32 {

const hid::Transport& hidTransport();

}  // namespace win32
