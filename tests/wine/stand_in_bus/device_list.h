#pragma once
// The stand-in bus's devices as its server describes them, for the stand-in DLLs.
#include <windows.h>

#include <vector>

#include "protocol.h"

namespace stand_in {

// The HID device interface class, as HidD_GetHidGuid gives it.
constexpr GUID kHidInterfaceClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// False when the server does not answer.
bool listDevices(std::vector<DeviceDescription>& devices);

// The device whose pipe handle is open, or false.
bool deviceOfHandle(HANDLE handle, DeviceDescription& device);

}  // namespace stand_in
