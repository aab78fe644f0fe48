#include "link/unit_device.h"

#include <vector>

#include "base/little_endian.h"
#include "link/unit_identity.h"

UnitDevice unitDevice;

namespace {

bool isUnit(std::uint16_t vendorId, std::uint16_t productId) {
  return vendorId == kUnitVendorId && (productId == kRoundelProductId || productId == kDockBoxProductId);
}

}  // namespace

std::uint16_t UnitDevice::escFirmwareVersion() const {
  return le::read16(&escInfo[4]);
}

void UnitDevice::setEscFirmwareVersion(std::uint16_t version) {
  le::write16(&escInfo[4], version);
}

std::uint32_t UnitDevice::escTypeCode() const { return le::read32(&escLoaderInfo[0]); }

std::uint32_t UnitDevice::escLoaderVersion() const { return le::read32(&escLoaderInfo[4]); }

void resetDevice() {
  if (unitDevice.isOpen()) hid::active().closeInterface(unitDevice.handle);
  unitDevice = UnitDevice{};
}

std::int32_t discoverUnit() {
  resetDevice();
  std::vector<std::wstring> paths;
  if (!hid::active().listInterfaces(paths)) return -1;

  for (const std::wstring& path : paths) {
    hid::Handle handle = hid::active().openInterface(path);
    if (handle == hid::kInvalidHandle) continue;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    if (hid::active().readAttributes(handle, vendorId, productId) && isUnit(vendorId, productId)) {
      unitDevice.productId = productId;
      unitDevice.handle = handle;
      unitDevice.devicePath = path;
      return identifyUnit();
    }
    hid::active().closeInterface(handle);
  }
  return kNoMatchingDevice;
}
