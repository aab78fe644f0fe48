#include "adapters/sim/simulated_bus.h"

#include <utility>

#include "seams/device_events.h"

namespace sim {

Fault faultAtCommand(FaultKind kind, UnitCommand command, unsigned occurrence, std::uint32_t code) {
  Fault fault;
  fault.kind = kind;
  fault.command = command;
  fault.occurrence = occurrence;
  fault.code = code;
  return fault;
}

Fault faultAtExchange(FaultKind kind, unsigned exchange, std::uint32_t code) {
  Fault fault;
  fault.kind = kind;
  fault.anyCommand = true;
  fault.occurrence = exchange;
  fault.code = code;
  return fault;
}

std::wstring unitPath(unsigned index) {
  return L"\\\\?\\HID#VID_21B8&PID_0001#7&2A5F3C1&0&" + std::to_wstring(index) +
         L"#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

void Bus::addDevice(const Device& device) {
  std::lock_guard<std::mutex> lock(mutex_);
  devices_.push_back(device);
}

void Bus::addUnit(const UnitModel& unit, std::uint16_t productId, const std::wstring& path) {
  Device d;
  d.path = path;
  d.vendorId = kUnitVendorId;
  d.productId = productId;
  d.isUnit = true;
  d.unit = unit;
  addDevice(d);
}

void Bus::updateDevice(const std::wstring& path, const std::function<void(Device&)>& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Device* d = findDevice(path)) change(*d);
}

Device Bus::device(const std::wstring& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Device* d = findDevice(path);
  return d ? *d : Device{};
}

void Bus::setListingFails(bool fails) {
  std::lock_guard<std::mutex> lock(mutex_);
  listingFails_ = fails;
}

void Bus::setFault(const Fault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  fault_ = fault;
  faultArmed_ = true;
  exchangesSinceFault_ = 0;
  commandsSinceFault_ = 0;
}

void Bus::plug(const std::wstring& path) {
  setPresence(path, true);
  notify(kDeviceArrival, path);
}

void Bus::unplug(const std::wstring& path) {
  setPresence(path, false);
  notify(kDeviceRemoveComplete, path);
}

void Bus::arriveAtListing(const std::wstring& path, unsigned listing) {
  setPresence(path, false);
  std::lock_guard<std::mutex> lock(mutex_);
  arrivingPath_ = path;
  listingsUntilArrival_ = listing;
}

void Bus::setDeviceChangeHook(std::function<void(std::uint32_t, const std::wstring&)> hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  deviceChangeHook_ = std::move(hook);
}

void Bus::setClock(std::function<std::uint64_t()> clock) {
  std::lock_guard<std::mutex> lock(mutex_);
  clock_ = std::move(clock);
}

void Bus::setReplyFilter(std::function<void(std::vector<std::uint8_t>& reply)> filter) {
  std::lock_guard<std::mutex> lock(mutex_);
  replyFilter_ = std::move(filter);
}

std::vector<LoggedRequest> Bus::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_;
}

std::vector<UnitCommand> Bus::commands() const {
  std::vector<UnitCommand> result;
  for (const LoggedRequest& r : requests()) result.push_back(r.command());
  return result;
}

void Bus::clearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  log_.clear();
}

const Device* Bus::findDevice(const std::wstring& path) const {
  for (const Device& d : devices_) {
    if (d.path == path) return &d;
  }
  return nullptr;
}

Device* Bus::findDevice(const std::wstring& path) {
  return const_cast<Device*>(std::as_const(*this).findDevice(path));
}

// Counts the request against the armed fault and reports whether it strikes now.
bool Bus::faultStrikes(UnitCommand command) {
  if (!faultArmed_) return false;
  ++exchangesSinceFault_;
  if (command == fault_.command) ++commandsSinceFault_;
  const bool strikes = fault_.anyCommand ? exchangesSinceFault_ == fault_.occurrence
                                         : command == fault_.command && commandsSinceFault_ == fault_.occurrence;
  if (strikes) faultArmed_ = false;
  return strikes;
}

// The hook runs outside the lock: it may call back into the bus.
void Bus::notify(std::uint32_t event, const std::wstring& path) {
  std::function<void(std::uint32_t, const std::wstring&)> hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    hook = deviceChangeHook_;
  }
  if (hook) hook(event, path);
}

void Bus::setPresence(const std::wstring& path, bool present) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Device* d = findDevice(path)) d->present = present;
}

}  // namespace sim
