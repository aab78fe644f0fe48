#include "platform/win32/device_broadcast.h"

#include <dbt.h>

#include <cstddef>
#include <cwchar>

DeviceBroadcast readDeviceBroadcast(LPARAM record) {
  DeviceBroadcast broadcast;
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(record);
  if (header == nullptr || header->dbch_size < sizeof(DEV_BROADCAST_HDR)) return broadcast;
  if (header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) {
    broadcast.deviceType = header->dbch_devicetype;
    return broadcast;
  }
  constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  if (header->dbch_size < kNameOffset) return broadcast;
  broadcast.deviceType = header->dbch_devicetype;
  const auto* interfaceRecord = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
  const std::size_t maxChars = (header->dbch_size - kNameOffset) / sizeof(wchar_t);
  broadcast.name.assign(interfaceRecord->dbcc_name, wcsnlen(interfaceRecord->dbcc_name, maxChars));
  return broadcast;
}
