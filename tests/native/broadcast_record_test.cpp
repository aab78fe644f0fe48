#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/broadcast_record.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A record of exactly its declared size (so that a read past it is a read past the memory):
// header, class GUID, then the name in UTF-16 with its terminator, as far as the size reaches.
Bytes record(std::uint32_t deviceType, const std::wstring& name, std::uint32_t declaredSize) {
  Bytes bytes(kBroadcastNameOffset + 2 * (name.size() + 1), 0xEE);
  put32(bytes, 0, declaredSize);
  put32(bytes, 4, deviceType);
  put32(bytes, 8, 0);
  for (std::size_t i = 0; i <= name.size(); ++i) {
    const std::uint32_t unit = i < name.size() ? static_cast<std::uint32_t>(name[i]) : 0;
    bytes[kBroadcastNameOffset + 2 * i] = static_cast<std::uint8_t>(unit);
    bytes[kBroadcastNameOffset + 2 * i + 1] = static_cast<std::uint8_t>(unit >> 8);
  }
  bytes.resize(std::max<std::size_t>(declaredSize, 4));
  return bytes;
}

TEST(BroadcastRecordTest, ReadsTypeAndPathWithinTheDeclaredSize) {
  const std::wstring path = L"\\\\?\\HID#VID_21B8&PID_0001#{4d1e55b2}";
  const auto whole = static_cast<std::uint32_t>(kBroadcastNameOffset + 2 * (path.size() + 1));
  const struct {
    const char* what;
    Bytes bytes;
    std::uint32_t deviceType;
    std::wstring name;
  } cases[] = {
      {"interface record", record(5, path, whole), 5, path},
      {"larger than its terminated path", record(5, path + L'\0' + L"tail", whole + 10), 5, path},
      {"path without terminator, cut by the size", record(5, path, kBroadcastNameOffset + 6), 5, path.substr(0, 3)},
      {"size ending inside a character", record(5, path, kBroadcastNameOffset + 7), 5, path.substr(0, 3)},
      {"interface record without path", record(5, L"", kBroadcastNameOffset), 5, L""},
      {"non-ASCII path", record(5, L"\u00e4\u2122\xD83D\xDE00", whole), 5, L"\u00e4\u2122\xD83D\xDE00"},
      {"volume", record(2, path, 18), 2, L""},
      {"interface record too short for its fields", record(5, path, 20), 0, L""},
      {"header too short", record(5, path, 8), 0, L""},
      {"size zero", record(5, path, 0), 0, L""},
  };
  for (const auto& c : cases) {
    const DeviceBroadcast broadcast = readBroadcastRecord(c.bytes.data());
    EXPECT_EQ(broadcast.deviceType, c.deviceType) << c.what;
    EXPECT_TRUE(broadcast.name == c.name) << c.what;
  }
  EXPECT_EQ(readBroadcastRecord(nullptr).deviceType, 0u);
}

}  // namespace
