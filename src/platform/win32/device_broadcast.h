#pragma once
// The WM_DEVICECHANGE record as the core reads it.
#include <windows.h>

#include "ui/device_change.h"

// Reads the record within the size it declares. No record, or one too short for its
// header or, for a device interface, for the interface fields, reads as device type 0.
DeviceBroadcast readDeviceBroadcast(LPARAM record);
