#pragma once
// Device-change events as the platform delivers them: the event codes the updater acts on
// and the record that comes with them (base/broadcast_record.h). Shared by the platform's
// adapters, the simulated bus and the handling in ui/.
#include <cstdint>

#include "base/broadcast_record.h"

constexpr std::uint32_t kDeviceArrival = 0x8000;
constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;

// Whether the event comes with a broadcast record to read: arrival and removal only. Any
// program can send the event with any other code and anything as its data, which is
// therefore never read.
constexpr bool carriesBroadcastRecord(std::uint32_t event) {
  return event == kDeviceArrival || event == kDeviceRemoveComplete;
}
