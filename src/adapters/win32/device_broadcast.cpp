#include "adapters/win32/device_broadcast.h"

#include <dbt.h>

#include <cstddef>

#include "base/broadcast_record.h"

static_assert(sizeof(DEV_BROADCAST_HDR) == kBroadcastHeaderSize, "layout of DEV_BROADCAST_HDR");
static_assert(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) == kBroadcastNameOffset,
              "layout of DEV_BROADCAST_DEVICEINTERFACE_W");
static_assert(sizeof(wchar_t) == 2, "paths are UTF-16");

DeviceBroadcast readDeviceBroadcast(LPARAM record) {
  return readBroadcastRecord(reinterpret_cast<const std::uint8_t*>(record));
}
