#pragma once
// A model of the HID bus with programming units and their ESCs behind the transport seam.
// It holds the devices, records every request and fails on demand; the units answer as
// their model says (unit_model.h).
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "adapters/sim/unit_model.h"
#include "link/unit_device.h"
#include "link/unit_protocol.h"
#include "seams/hid_transport.h"

namespace sim {

// Last-error values of failed transfers, as the platform reports them.
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorGeneralFailure = 31;
constexpr std::uint32_t kErrorDeviceNotConnected = 1167;
constexpr std::uint32_t kErrorTimeout = 1460;

struct Device {
  std::wstring path;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  bool present = true;
  bool openable = true;
  bool attributesReadable = true;
  bool isUnit = false;
  // A unit that has hung: once silent it takes requests but never answers, once stalled it
  // takes none either. Either way the transfer waits the transport's bound and times out.
  bool silent = false;
  bool stalled = false;
  UnitModel unit;
  int opens = 0;
  int closes = 0;
};

// Silent and Stalled last: from the exchange they strike on, the unit never answers (its
// requests are still taken) or takes no request at all.
enum class FaultKind { WriteFails, ReadFails, ErrorReport, WrongResultByte, Unplug, Silent, Stalled };

// Where a fault strikes: at the occurrence-th request of a command, or at the
// exchange-th request of any kind (both counted from 1 after the fault is set).
struct Fault {
  FaultKind kind = FaultKind::ReadFails;
  bool anyCommand = false;
  UnitCommand command = UnitCommand::QueryState;
  unsigned occurrence = 1;
  std::uint32_t code = 0;  // for ErrorReport
};
Fault faultAtCommand(FaultKind kind, UnitCommand command, unsigned occurrence = 1, std::uint32_t code = 0);
Fault faultAtExchange(FaultKind kind, unsigned exchange, std::uint32_t code = 0);

struct LoggedRequest {
  std::wstring path;
  std::vector<std::uint8_t> bytes;  // as written, report id first
  std::uint64_t time = 0;           // from the clock set with setClock
  UnitCommand command() const { return static_cast<UnitCommand>(bytes.size() > 1 ? bytes[1] : 0); }
};

std::wstring unitPath(unsigned index = 0);

// One bus, empty when made. Every call is safe from any thread.
class Bus {
 public:
  Bus() = default;
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  // --- what is on the bus, and what it does on demand (simulated_bus.cpp) ---

  void addDevice(const Device& device);
  void addUnit(const UnitModel& unit = {}, std::uint16_t productId = kRoundelProductId,
               const std::wstring& path = unitPath());
  void updateDevice(const std::wstring& path, const std::function<void(Device&)>& change);
  // A copy of the device as it is now; change it through updateDevice.
  Device device(const std::wstring& path) const;
  void setListingFails(bool fails);
  void setFault(const Fault& fault);

  // Plugging in and pulling out post the platform's arrival and removal events.
  void plug(const std::wstring& path);
  void unplug(const std::wstring& path);
  // Takes the device off the bus until the listing-th listing from now, which finds it
  // again, as if it were plugged in meanwhile. No event is posted.
  void arriveAtListing(const std::wstring& path, unsigned listing);
  void setDeviceChangeHook(std::function<void(std::uint32_t event, const std::wstring& path)> hook);
  void setClock(std::function<std::uint64_t()> clock);
  // Rewrites every reply before the host reads it, as a faulty or hostile unit might.
  void setReplyFilter(std::function<void(std::vector<std::uint8_t>& reply)> filter);

  std::vector<LoggedRequest> requests() const;
  std::vector<UnitCommand> commands() const;
  void clearRequests();

  // --- the operations of the hid:: seam on this bus (simulated_bus_transport.cpp) ---

  bool listInterfaces(std::vector<std::wstring>& paths);
  hid::Handle openInterface(const std::wstring& path);
  bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId);
  bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength);
  bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length);
  bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length);
  void closeInterface(hid::Handle handle);
  // The error of this bus's last failed call.
  std::uint32_t lastError() const;

  // The bus as a HID transport, a stand-in: a program or test puts it behind the hid:: seam.
  hid::Transport transport();

 private:
  const Device* findDevice(const std::wstring& path) const;
  Device* findDevice(const std::wstring& path);
  Device* deviceOf(hid::Handle handle);
  bool faultStrikes(UnitCommand command);
  void notify(std::uint32_t event, const std::wstring& path);
  void setPresence(const std::wstring& path, bool present);
  bool fail(std::uint32_t error);
  bool timeOut(std::unique_lock<std::mutex>& lock);
  bool unplugWhileWriting(std::unique_lock<std::mutex>& lock, Device& device);

  mutable std::mutex mutex_;
  std::vector<Device> devices_;
  std::map<hid::Handle, std::wstring> openHandles_;
  hid::Handle nextHandle_ = 0x100;
  bool listingFails_ = false;
  std::wstring arrivingPath_;
  unsigned listingsUntilArrival_ = 0;
  bool faultArmed_ = false;
  Fault fault_;
  unsigned exchangesSinceFault_ = 0;
  unsigned commandsSinceFault_ = 0;
  std::vector<LoggedRequest> log_;
  std::function<void(std::uint32_t, const std::wstring&)> deviceChangeHook_;
  std::function<std::uint64_t()> clock_;
  std::function<void(std::vector<std::uint8_t>&)> replyFilter_;
  // A reply is produced when its request is written and handed out by the next read.
  std::map<hid::Handle, std::vector<std::uint8_t>> pendingReplies_;
  std::map<hid::Handle, bool> pendingReadFault_;
  std::uint32_t lastError_ = 0;
};

}  // namespace sim
