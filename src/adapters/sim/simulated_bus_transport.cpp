// The simulated bus as the host sees it through the hid:: seam: interfaces listed and
// opened, requests taken and answered, and the faults that strike them.
#include <algorithm>
#include <utility>

#include "adapters/sim/simulated_bus.h"
#include "seams/device_events.h"
#include "seams/system.h"

namespace sim {

using hid::Handle;
using hid::kInvalidHandle;

bool Bus::listInterfaces(std::vector<std::wstring>& paths) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (listingsUntilArrival_ != 0 && --listingsUntilArrival_ == 0) {
    if (Device* d = findDevice(arrivingPath_)) d->present = true;
  }
  if (listingFails_) return false;
  paths.clear();
  for (const Device& d : devices_) {
    if (d.present) paths.push_back(d.path);
  }
  return true;
}

Handle Bus::openInterface(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  Device* d = findDevice(path);
  if (!d || !d->present || !d->openable) {
    fail(kErrorFileNotFound);
    return kInvalidHandle;
  }
  ++d->opens;
  const Handle handle = nextHandle_++;
  openHandles_[handle] = path;
  return handle;
}

bool Bus::readAttributes(Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Device* d = deviceOf(handle);
  if (!d || !d->attributesReadable) return false;
  vendorId = d->vendorId;
  productId = d->productId;
  return true;
}

bool Bus::readReportLengths(Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Device* d = deviceOf(handle);
  if (!d || d->unit.capabilitiesFail) return false;
  outputLength = d->unit.outputReportLength;
  inputLength = d->unit.inputReportLength;
  return true;
}

bool Bus::writeReport(Handle handle, const std::uint8_t* bytes, std::size_t length) {
  std::unique_lock<std::mutex> lock(mutex_);
  Device* d = deviceOf(handle);
  if (!d || !d->present) return fail(kErrorDeviceNotConnected);
  std::vector<std::uint8_t> request(bytes, bytes + length);
  request.resize(std::max(request.size(), kReportBufferSize), 0);
  std::function<void(std::vector<std::uint8_t>&)> spoilReply;
  bool readFails = false;
  if (faultStrikes(static_cast<UnitCommand>(request[1]))) {
    switch (fault_.kind) {
      case FaultKind::WriteFails:
        return fail(kErrorGeneralFailure);
      case FaultKind::Unplug:
        return unplugWhileWriting(lock, *d);
      case FaultKind::Stalled:
        d->stalled = true;
        [[fallthrough]];
      case FaultKind::Silent:
        d->silent = true;
        break;
      case FaultKind::ReadFails:
        readFails = true;
        break;
      case FaultKind::ErrorReport:
        spoilReply = [code = fault_.code](std::vector<std::uint8_t>& reply) {
          std::fill(reply.begin() + 2, reply.end(), 0);
          makeErrorReport(reply, code);
        };
        break;
      case FaultKind::WrongResultByte:
        spoilReply = [](std::vector<std::uint8_t>& reply) { reply[3] ^= 1; };
        break;
    }
  }
  if (d->stalled) return timeOut(lock);
  log_.push_back({d->path, std::vector<std::uint8_t>(bytes, bytes + length), clock_ ? clock_() : 0});
  std::vector<std::uint8_t> reply = d->isUnit && length == d->unit.outputReportLength
                                        ? answer(d->unit, request)
                                        : std::vector<std::uint8_t>(kReportBufferSize, 0);
  if (spoilReply) spoilReply(reply);
  if (replyFilter_) replyFilter_(reply);
  pendingReadFault_[handle] = readFails;
  pendingReplies_[handle] = std::move(reply);
  return true;
}

bool Bus::readReport(Handle handle, std::uint8_t* bytes, std::size_t length) {
  std::unique_lock<std::mutex> lock(mutex_);
  const Device* d = deviceOf(handle);
  auto pending = pendingReplies_.find(handle);
  if (!d || !d->present || (pending == pendingReplies_.end() && !d->silent)) return fail(kErrorDeviceNotConnected);
  if (d->silent) {
    pendingReplies_.erase(handle);
    return timeOut(lock);
  }
  std::vector<std::uint8_t> reply = std::move(pending->second);
  pendingReplies_.erase(pending);
  if (pendingReadFault_[handle]) return fail(kErrorGeneralFailure);
  reply.resize(std::max(reply.size(), length), 0);
  std::copy(reply.begin(), reply.begin() + length, bytes);
  return true;
}

void Bus::closeInterface(Handle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Device* d = deviceOf(handle)) ++d->closes;
  openHandles_.erase(handle);
  pendingReplies_.erase(handle);
}

std::uint32_t Bus::lastError() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastError_;
}

hid::Transport Bus::transport() { return hid::transportOf(*this, hid::Reach::StandIn); }

Device* Bus::deviceOf(Handle handle) {
  auto it = openHandles_.find(handle);
  return it == openHandles_.end() ? nullptr : findDevice(it->second);
}

bool Bus::fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

// What the platform does with a transfer the unit never completes: waits the transport's
// bound, then fails with the timeout error. The bus stays free meanwhile.
bool Bus::timeOut(std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  sys::pause(hid::kReportTimeoutMs);
  lock.lock();
  return fail(kErrorTimeout);
}

// The device is pulled out as the request goes to it: the write fails, and the removal is
// announced once the bus is free again.
bool Bus::unplugWhileWriting(std::unique_lock<std::mutex>& lock, Device& device) {
  device.present = false;
  const std::wstring path = device.path;
  fail(kErrorDeviceNotConnected);
  lock.unlock();
  notify(kDeviceRemoveComplete, path);
  return false;
}

}  // namespace sim
