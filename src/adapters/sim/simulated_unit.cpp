#include "adapters/sim/simulated_unit.h"

#include <algorithm>
#include <map>
#include <utility>

#include "base/little_endian.h"
#include "link/unit_device.h"
#include "seams/hid_transport.h"
#include "seams/system.h"

namespace sim {
namespace {

struct Bus {
  std::mutex mutex;
  std::vector<Device> devices;
  std::map<hid::Handle, std::wstring> openHandles;
  hid::Handle nextHandle = 0x100;
  bool listingFails = false;
  bool faultArmed = false;
  Fault fault;
  unsigned exchangesSinceFault = 0;
  unsigned commandsSinceFault = 0;
  std::vector<LoggedRequest> log;
  std::function<void(std::uint32_t, const std::wstring&)> deviceChangeHook;
  std::function<std::uint64_t()> clock;
  std::function<void(std::vector<std::uint8_t>&)> replyFilter;
  // A reply is produced when its request is written and handed out by the next read.
  std::map<hid::Handle, std::vector<std::uint8_t>> pendingReplies;
  std::map<hid::Handle, bool> pendingReadFault;
};

Bus& bus() {
  static Bus instance;
  return instance;
}

thread_local std::uint32_t lastErrorValue = 0;

Device* findDevice(Bus& b, const std::wstring& path) {
  for (Device& d : b.devices) {
    if (d.path == path) return &d;
  }
  return nullptr;
}

Device* deviceOf(Bus& b, hid::Handle handle) {
  auto it = b.openHandles.find(handle);
  return it == b.openHandles.end() ? nullptr : findDevice(b, it->second);
}

void errorReport(std::vector<std::uint8_t>& reply, std::uint32_t code) {
  reply[1] = kErrorStatus;
  le::write(&reply[4], code, 4);
}

void answerQueryState(const UnitModel& unit, std::vector<std::uint8_t>& reply) {
  reply[3] = unit.mode;
  if (unit.mode != 0) {
    reply[4] = unit.modeByteA;
    le::write(&reply[5], unit.modeWordB, 2);
    le::write(&reply[7], unit.modeDwordC, 4);
    le::write(&reply[11], unit.modeDwordD, 4);
    reply[15] = unit.modeByteE;
    return;
  }
  le::write(&reply[4], unit.esc.state, 2);
  le::write(&reply[6], unit.esc.stateAux, 2);
  le::write(&reply[8], unit.firmwareVersion, 4);
  le::write(&reply[12], unit.infoWord, 4);
}

void answerWriteBlock(UnitModel& unit, const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>& reply) {
  const std::size_t count = request[2];
  const bool fits = count % 4 == 0 && count <= 4 * kMaxBlockWords && 4 + count <= request.size() &&
                    unit.writeCursor + count <= unit.flash.size();
  if (!unit.addressSet || unit.writeProtected || !fits) return errorReport(reply, kCodeRefused);
  // Flash programs only erased cells.
  auto target = unit.flash.begin() + unit.writeCursor;
  if (!std::all_of(target, target + count, [](std::uint8_t b) { return b == 0xFF; })) {
    return errorReport(reply, kCodeRefused);
  }
  std::copy(request.begin() + 4, request.begin() + 4 + count, target);
  unit.writeCursor += static_cast<std::uint32_t>(count);
}

void answerEscQuery(const EscModel& esc, bool loader, std::vector<std::uint8_t>& reply) {
  const bool error = loader ? esc.loaderErrorReport : esc.infoErrorReport;
  if (error) return errorReport(reply, loader ? esc.loaderErrorCode : esc.infoErrorCode);
  if (loader) {
    le::write(&reply[4], esc.typeCode, 4);
    le::write(&reply[8], esc.loaderVersion, 4);
  } else {
    le::write(&reply[8], esc.firmwareVersion, 2);
  }
}

// The unit's answer to one request, and the state change it causes.
std::vector<std::uint8_t> answer(UnitModel& unit, const std::vector<std::uint8_t>& request) {
  std::vector<std::uint8_t> reply(std::max<std::size_t>(unit.inputReportLength, kReportBufferSize), 0);
  reply[0] = kInputReportId;
  reply[1] = request[1];
  const std::uint8_t option = request[3];
  switch (static_cast<UnitCommand>(request[1])) {
    case UnitCommand::QueryState:
      answerQueryState(unit, reply);
      break;
    case UnitCommand::ReadUnitMemory:
      if (request[2] != kUnitMemoryReadLength || le::read32(&request[4]) != kUnitMemoryAddress) {
        errorReport(reply, kCodeRefused);
        break;
      }
      le::write(&reply[8], unit.firmwareVersion, 4);
      le::write(&reply[12], unit.infoWord, 4);
      break;
    case UnitCommand::SetSystemLock:
      unit.systemLock = option == 1;
      reply[3] = unit.systemLock ? 1 : 0;
      break;
    case UnitCommand::SetWriteProtection:
      if (option == 0 && !unit.systemLock) {
        errorReport(reply, kCodeRefused);
        break;
      }
      unit.writeProtected = option != 0;
      reply[3] = unit.writeProtected ? 1 : 0;
      break;
    case UnitCommand::EraseFirmware:
      if (!unit.systemLock || unit.writeProtected || le::read32(&request[4]) != kConfirmationCode) {
        errorReport(reply, kCodeRefused);
        break;
      }
      std::fill(unit.flash.begin(), unit.flash.end(), 0xFF);
      unit.erased = true;
      break;
    case UnitCommand::SetWriteAddress:
      if (!unit.erased || option != 1 || le::read32(&request[8]) != kConfirmationCode ||
          le::read32(&request[4]) >= unit.flash.size()) {
        errorReport(reply, kCodeRefused);
        break;
      }
      unit.writeCursor = le::read32(&request[4]);
      unit.addressSet = true;
      break;
    case UnitCommand::WriteBlock:
      answerWriteBlock(unit, request, reply);
      break;
    case UnitCommand::ReadEscInfo:
      answerEscQuery(unit.esc, false, reply);
      break;
    case UnitCommand::ReadEscLoaderInfo:
      answerEscQuery(unit.esc, true, reply);
      break;
    default:
      errorReport(reply, kCodeUnknownCommand);
      break;
  }
  return reply;
}

// Counts the request against the armed fault and reports whether it strikes now.
bool faultStrikes(Bus& b, UnitCommand command) {
  if (!b.faultArmed) return false;
  ++b.exchangesSinceFault;
  if (command == b.fault.command) ++b.commandsSinceFault;
  const bool strikes = b.fault.anyCommand ? b.exchangesSinceFault == b.fault.occurrence
                                          : command == b.fault.command && b.commandsSinceFault == b.fault.occurrence;
  if (strikes) b.faultArmed = false;
  return strikes;
}

void applyReplyFault(const Fault& fault, std::vector<std::uint8_t>& reply) {
  if (fault.kind == FaultKind::ErrorReport) {
    std::fill(reply.begin() + 2, reply.end(), 0);
    errorReport(reply, fault.code);
  } else if (fault.kind == FaultKind::WrongResultByte) {
    reply[3] ^= 1;
  }
}

// What the platform does with a transfer the unit never completes: waits the transport's
// bound, then fails with the timeout error. The bus stays free meanwhile.
bool timeOut(std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  sys::pause(hid::kReportTimeoutMs);
  lastErrorValue = kErrorTimeout;
  return false;
}

void notify(std::uint32_t event, const std::wstring& path) {
  std::function<void(std::uint32_t, const std::wstring&)> hook;
  {
    std::lock_guard<std::mutex> lock(bus().mutex);
    hook = bus().deviceChangeHook;
  }
  if (hook) hook(event, path);
}

void setPresence(const std::wstring& path, bool present) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  if (Device* d = findDevice(bus(), path)) d->present = present;
}

}  // namespace

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

void resetBus() {
  Bus& b = bus();
  std::lock_guard<std::mutex> lock(b.mutex);
  b.devices.clear();
  b.openHandles.clear();
  b.pendingReplies.clear();
  b.pendingReadFault.clear();
  b.listingFails = false;
  b.faultArmed = false;
  b.log.clear();
  b.deviceChangeHook = nullptr;
  b.clock = nullptr;
  b.replyFilter = nullptr;
}

void addDevice(const Device& device) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  bus().devices.push_back(device);
}

void addUnit(const UnitModel& unit, std::uint16_t productId, const std::wstring& path) {
  Device d;
  d.path = path;
  d.vendorId = kUnitVendorId;
  d.productId = productId;
  d.isUnit = true;
  d.unit = unit;
  addDevice(d);
}

void updateDevice(const std::wstring& path, const std::function<void(Device&)>& change) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  if (Device* d = findDevice(bus(), path)) change(*d);
}

Device device(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  const Device* d = findDevice(bus(), path);
  return d ? *d : Device{};
}

void setListingFails(bool fails) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  bus().listingFails = fails;
}

void setFault(const Fault& fault) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  bus().fault = fault;
  bus().faultArmed = true;
  bus().exchangesSinceFault = 0;
  bus().commandsSinceFault = 0;
}

void plug(const std::wstring& path) {
  setPresence(path, true);
  notify(kDeviceArrival, path);
}

void unplug(const std::wstring& path) {
  setPresence(path, false);
  notify(kDeviceRemoveComplete, path);
}

void setDeviceChangeHook(std::function<void(std::uint32_t, const std::wstring&)> hook) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  bus().deviceChangeHook = std::move(hook);
}

void setClock(std::function<std::uint64_t()> clock) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  bus().clock = std::move(clock);
}

void setReplyFilter(std::function<void(std::vector<std::uint8_t>& reply)> filter) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  bus().replyFilter = std::move(filter);
}

std::vector<LoggedRequest> requests() {
  std::lock_guard<std::mutex> lock(bus().mutex);
  return bus().log;
}

std::vector<UnitCommand> commands() {
  std::vector<UnitCommand> result;
  for (const LoggedRequest& r : requests()) result.push_back(r.command());
  return result;
}

void clearRequests() {
  std::lock_guard<std::mutex> lock(bus().mutex);
  bus().log.clear();
}

// The bus as a HID transport.
namespace {

using hid::Handle;
using hid::kInvalidHandle;

bool listInterfaces(std::vector<std::wstring>& paths) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  if (bus().listingFails) return false;
  paths.clear();
  for (const Device& d : bus().devices) {
    if (d.present) paths.push_back(d.path);
  }
  return true;
}

Handle openInterface(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  Device* d = findDevice(bus(), path);
  if (!d || !d->present || !d->openable) {
    lastErrorValue = 2;  // file not found
    return kInvalidHandle;
  }
  ++d->opens;
  const Handle handle = bus().nextHandle++;
  bus().openHandles[handle] = path;
  return handle;
}

bool readAttributes(Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  const Device* d = deviceOf(bus(), handle);
  if (!d || !d->attributesReadable) return false;
  vendorId = d->vendorId;
  productId = d->productId;
  return true;
}

bool readReportLengths(Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  const Device* d = deviceOf(bus(), handle);
  if (!d || d->unit.capabilitiesFail) return false;
  outputLength = d->unit.outputReportLength;
  inputLength = d->unit.inputReportLength;
  return true;
}

bool writeReport(Handle handle, const std::uint8_t* bytes, std::size_t length) {
  Bus& b = bus();
  std::unique_lock<std::mutex> lock(b.mutex);
  Device* d = deviceOf(b, handle);
  if (!d || !d->present) {
    lastErrorValue = kErrorDeviceNotConnected;
    return false;
  }
  std::vector<std::uint8_t> request(bytes, bytes + length);
  request.resize(std::max(request.size(), kReportBufferSize), 0);
  const UnitCommand command = static_cast<UnitCommand>(request[1]);
  const bool strikes = faultStrikes(b, command);
  if (strikes && b.fault.kind == FaultKind::Unplug) {
    d->present = false;
    const std::wstring path = d->path;
    lastErrorValue = kErrorDeviceNotConnected;
    lock.unlock();
    notify(kDeviceRemoveComplete, path);
    return false;
  }
  if (strikes && b.fault.kind == FaultKind::WriteFails) {
    lastErrorValue = kErrorGeneralFailure;
    return false;
  }
  if (strikes && (b.fault.kind == FaultKind::Silent || b.fault.kind == FaultKind::Stalled)) d->silent = true;
  if (strikes && b.fault.kind == FaultKind::Stalled) d->stalled = true;
  if (d->stalled) return timeOut(lock);
  b.log.push_back({d->path, std::vector<std::uint8_t>(bytes, bytes + length), b.clock ? b.clock() : 0});
  std::vector<std::uint8_t> reply = d->isUnit && length == d->unit.outputReportLength
                                        ? answer(d->unit, request)
                                        : std::vector<std::uint8_t>(kReportBufferSize, 0);
  if (strikes) applyReplyFault(b.fault, reply);
  if (b.replyFilter) b.replyFilter(reply);
  b.pendingReadFault[handle] = strikes && b.fault.kind == FaultKind::ReadFails;
  b.pendingReplies[handle] = std::move(reply);
  return true;
}

bool readReport(Handle handle, std::uint8_t* bytes, std::size_t length) {
  Bus& b = bus();
  std::unique_lock<std::mutex> lock(b.mutex);
  const Device* d = deviceOf(b, handle);
  auto pending = b.pendingReplies.find(handle);
  if (!d || !d->present || (pending == b.pendingReplies.end() && !d->silent)) {
    lastErrorValue = kErrorDeviceNotConnected;
    return false;
  }
  if (d->silent) {
    b.pendingReplies.erase(handle);
    return timeOut(lock);
  }
  std::vector<std::uint8_t> reply = std::move(pending->second);
  b.pendingReplies.erase(pending);
  if (b.pendingReadFault[handle]) {
    lastErrorValue = kErrorGeneralFailure;
    return false;
  }
  reply.resize(std::max(reply.size(), length), 0);
  std::copy(reply.begin(), reply.begin() + length, bytes);
  return true;
}

void closeInterface(Handle handle) {
  std::lock_guard<std::mutex> lock(bus().mutex);
  if (Device* d = deviceOf(bus(), handle)) ++d->closes;
  bus().openHandles.erase(handle);
  bus().pendingReplies.erase(handle);
}

std::uint32_t lastError() { return lastErrorValue; }

const hid::Transport kSimulatedBus{listInterfaces, openInterface,  readAttributes, readReportLengths,
                                   writeReport,    readReport,     closeInterface, lastError};

}  // namespace

const hid::Transport& transport() { return kSimulatedBus; }

}  // namespace sim
