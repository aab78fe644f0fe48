#pragma once
// The operations of the HID seam as a table, so that one transport can stand in front
// of another (a recorder in front of hidraw) or in place of it (a replay), chosen when
// the program starts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/hid_transport.h"

namespace hidio {

struct Transport {
  bool (*listInterfaces)(std::vector<std::wstring>& paths);
  hid::Handle (*openInterface)(const std::wstring& path);
  bool (*readAttributes)(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId);
  bool (*readReportLengths)(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength);
  bool (*writeReport)(hid::Handle handle, const std::uint8_t* bytes, std::size_t length);
  bool (*readReport)(hid::Handle handle, std::uint8_t* bytes, std::size_t length);
  void (*closeInterface)(hid::Handle handle);
  std::uint32_t (*lastError)();
};

}  // namespace hidio
