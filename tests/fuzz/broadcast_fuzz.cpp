// Device-change records of the fuzzer's making, read and handled with or without a unit open.
// The record's memory is exactly as long as it says (the platform's promise), so a read past
// its declared size is a read past the memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/little_endian.h"
#include "fuzz/fuzz_input.h"
#include "link/unit_device.h"
#include "base/broadcast_record.h"
#include "adapters/sim/simulated_bus.h"
#include "support/recording_dialog.h"
#include "ui/device_change.h"

namespace {

std::uint32_t declaredSize(const std::vector<std::uint8_t>& record) { return le::read32(record.data()); }

void declare(std::vector<std::uint8_t>& record, std::uint32_t size) { le::write32(record.data(), size); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t choices = data[0];
  std::vector<std::uint8_t> bytes(data + 1, data + size);
  bytes.resize(std::max<std::size_t>(bytes.size(), 4), 0);
  if (declaredSize(bytes) > bytes.size()) declare(bytes, static_cast<std::uint32_t>(bytes.size()));
  const std::size_t length = std::max<std::size_t>(declaredSize(bytes), 4);
  const std::unique_ptr<std::uint8_t[]> record(new std::uint8_t[length]);
  std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length), record.get());

  sim::Bus bus;
  hid::use(bus.transport());
  resetDevice();
  rec::reset();
  bus.addUnit();
  if (choices & 1) discoverUnit();
  const DeviceBroadcast broadcast = readBroadcastRecord(record.get());
  const std::uint32_t declared = declaredSize(bytes);
  require(broadcast.name.size() <= (declared > kBroadcastNameOffset ? (declared - kBroadcastNameOffset) / 2 : 0),
          "the path lies within the record");
  const bool unitWasOpen = unitDevice.isOpen();
  const std::uint32_t event = choices & 2 ? kDeviceRemoveComplete : kDeviceArrival;
  require(handleDeviceChange(event, &broadcast) == 1, "arrivals and removals are answered 1");
  if (event == kDeviceRemoveComplete && unitWasOpen) {
    require(unitDevice.isOpen() != (broadcast.deviceType == kDeviceTypeInterface &&
                                    samePath(broadcast.name, sim::unitPath())),
            "only the removal of the open unit gives it up");
  }
  requireNoTestFailure();
  resetDevice();
  return 0;
}
