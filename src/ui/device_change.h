#pragma once
// Following the unit being plugged in and pulled out.
#include <cstdint>
#include <string>

#include "seams/device_events.h"

// Registers the main dialog for HID interface events; tells the user when it cannot.
bool registerDeviceNotifications();
void unregisterDeviceNotifications();

// 1 for arrival and removal events, whatever was done with them; 0 for any other.
std::int32_t handleDeviceChange(std::uint32_t event, const DeviceBroadcast* record);

// Whole-string comparison that folds only the letters A to Z.
bool samePath(const std::wstring& a, const std::wstring& b);
