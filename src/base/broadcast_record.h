#pragma once
// The platform's device-change record, read from its bytes: a header of size, device type and
// a reserved word; for a device interface then the class GUID and the NUL-terminated UTF-16
// path. The record is the platform's, not the unit's, but its size field is all that bounds it.
#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::uint32_t kDeviceTypeInterface = 5;

// The fields of the record the updater reads.
struct DeviceBroadcast {
  std::uint32_t deviceType = 0;
  std::wstring name;  // interface path
};

constexpr std::size_t kBroadcastHeaderSize = 12;
constexpr std::size_t kBroadcastNameOffset = 28;

// Reads nothing past the size the record declares in its first four bytes. No record, or one
// too short for its header or, for a device interface, for the fields before the path, reads
// as device type 0; a path without terminator ends with the record.
DeviceBroadcast readBroadcastRecord(const std::uint8_t* record);
