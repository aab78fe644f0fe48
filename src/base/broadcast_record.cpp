#include "base/broadcast_record.h"

#include "base/little_endian.h"

DeviceBroadcast readBroadcastRecord(const std::uint8_t* record) {
  DeviceBroadcast broadcast;
  if (record == nullptr) return broadcast;
  const std::uint32_t size = le::read32(record);
  if (size < kBroadcastHeaderSize) return broadcast;
  const std::uint32_t deviceType = le::read32(record + 4);
  if (deviceType != kDeviceTypeInterface) {
    broadcast.deviceType = deviceType;
    return broadcast;
  }
  if (size < kBroadcastNameOffset) return broadcast;
  broadcast.deviceType = deviceType;
  for (std::size_t at = kBroadcastNameOffset; at + 2 <= size; at += 2) {
    const std::uint32_t unit = le::read16(record + at);
    if (unit == 0) break;
    broadcast.name += static_cast<wchar_t>(unit);
  }
  return broadcast;
}
