#pragma once
// Device-change events as the platform delivers them: the event codes the updater acts on
// and the fields of the broadcast record that comes with them. Shared by the platform's
// adapters, the simulated bus and the handling in ui/.
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

// Whether the event comes with a broadcast record to read: arrival and removal only. Any
// program can send the event with any other code and anything as its data, which is
// therefore never read.
constexpr bool carriesBroadcastRecord(std::uint32_t event) {
  return event == kDeviceArrival || event == kDeviceRemoveComplete;
}
