#pragma once
// The WM_DEVICECHANGE record as the core reads it.
#include <windows.h>

#include "seams/device_events.h"

// The record behind a WM_DEVICECHANGE lParam, read as readBroadcastRecord does.
DeviceBroadcast readDeviceBroadcast(LPARAM record);
