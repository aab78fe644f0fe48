#pragma once
// Following the unit being plugged in and pulled out.
#include <cstdint>
#include <string>

constexpr std::uint32_t kDeviceArrival = 0x8000;
constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;
constexpr std::uint32_t kDeviceTypeInterface = 5;

// The fields of the platform's broadcast record the updater reads.
struct DeviceBroadcast {
  std::uint32_t deviceType = 0;
  std::wstring name;  // interface path
};

// Registers the main dialog for HID interface events; tells the user when it cannot.
bool registerDeviceNotifications();
void unregisterDeviceNotifications();

// Whether the event comes with a broadcast record to read: arrival and removal only. Any
// program can send the event with any other code and anything as its data, which is
// therefore never read.
bool carriesBroadcastRecord(std::uint32_t event);

// 1 for arrival and removal events, whatever was done with them; 0 for any other.
std::int32_t handleDeviceChange(std::uint32_t event, const DeviceBroadcast* record);

// Whole-string comparison that folds only the letters A to Z.
bool samePath(const std::wstring& a, const std::wstring& b);
