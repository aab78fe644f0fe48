#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/little_endian.h"
#include "base/broadcast_record.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A record of exactly its declared size (so that a read past it is a read past the memory):
// header, class GUID, then the name in UTF-16 with its terminator, as far as the size reaches.
Bytes record(std::uint32_t deviceType, const std::wstring& name, std::uint32_t declaredSize) {
  Bytes bytes(kBroadcastNameOffset + 2 * (name.size() + 1), 0xEE);
  le::write32(&bytes[0], declaredSize);
  le::write32(&bytes[4], deviceType);
  le::write32(&bytes[8], 0);
  for (std::size_t i = 0; i <= name.size(); ++i) {
    const std::uint16_t unit = i < name.size() ? static_cast<std::uint16_t>(name[i]) : 0;
    le::write16(&bytes[kBroadcastNameOffset + 2 * i], unit);
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
