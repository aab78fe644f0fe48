#include "platform/broadcast_record.h"

namespace {

std::uint32_t littleEndian16(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8;
}

std::uint32_t littleEndian32(const std::uint8_t* bytes) {
  return littleEndian16(bytes) | littleEndian16(bytes + 2) << 16;
}

}  // namespace

DeviceBroadcast readBroadcastRecord(const std::uint8_t* record) {
  DeviceBroadcast broadcast;
  if (record == nullptr) return broadcast;
  const std::uint32_t size = littleEndian32(record);
  if (size < kBroadcastHeaderSize) return broadcast;
  const std::uint32_t deviceType = littleEndian32(record + 4);
  if (deviceType != kDeviceTypeInterface) {
    broadcast.deviceType = deviceType;
    return broadcast;
  }
  if (size < kBroadcastNameOffset) return broadcast;
  broadcast.deviceType = deviceType;
  for (std::size_t at = kBroadcastNameOffset; at + 2 <= size; at += 2) {
    const std::uint32_t unit = littleEndian16(record + at);
    if (unit == 0) break;
    broadcast.name += static_cast<wchar_t>(unit);
  }
  return broadcast;
}
