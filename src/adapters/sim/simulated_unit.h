#pragma once
// A model of the HID bus with programming units and their ESCs behind the transport
// seam. It keeps the state the protocol changes (lock, write protection, flash, write
// cursor), refuses what the protocol forbids, records every request and fails on demand.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/unit_device.h"
#include "link/unit_protocol.h"
#include "seams/device_events.h"
#include "seams/hid_transport.h"

namespace sim {

struct EscModel {
  std::uint16_t state = 3;
  std::uint16_t stateAux = 0;
  std::uint16_t firmwareVersion = 0x0304;
  std::uint32_t typeCode = kCompatibleTypeCodes[0];
  std::uint32_t loaderVersion = 0x00000102;
  bool infoErrorReport = false;  // ReadEscInfo answers with an error report...
  std::uint16_t infoErrorCode = 0;  // ...carrying this code
  bool loaderErrorReport = false;
  std::uint16_t loaderErrorCode = 0;
};

constexpr std::size_t kFlashSize = 128 * 1024;
constexpr std::uint8_t kOldFirmwareByte = 0xA5;
// Error codes the model answers with when a request breaks the protocol.
constexpr std::uint32_t kCodeRefused = 0x0E01;
constexpr std::uint32_t kCodeUnknownCommand = 0x0E02;
// Last-error values of failed transfers, as the platform reports them.
constexpr std::uint32_t kErrorGeneralFailure = 31;
constexpr std::uint32_t kErrorDeviceNotConnected = 1167;
constexpr std::uint32_t kErrorTimeout = 1460;

struct UnitModel {
  std::uint8_t mode = 0;
  std::uint32_t firmwareVersion = 0x00010203;
  std::uint32_t infoWord = 0;
  std::uint8_t modeByteA = 0;
  std::uint16_t modeWordB = 0;
  std::uint32_t modeDwordC = 0;
  std::uint32_t modeDwordD = 0;
  std::uint8_t modeByteE = 0;
  EscModel esc;
  std::uint32_t outputReportLength = 60;
  std::uint32_t inputReportLength = 60;
  bool capabilitiesFail = false;

  bool systemLock = false;
  bool writeProtected = true;
  bool erased = false;
  bool addressSet = false;
  std::uint32_t writeCursor = 0;
  std::vector<std::uint8_t> flash = std::vector<std::uint8_t>(kFlashSize, kOldFirmwareByte);
};

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

// The bus, process-wide like the platform's. Every call is safe from any thread.
void resetBus();
// Adds a device and returns a copy of what was added; change it through updateDevice.
void addDevice(const Device& device);
void addUnit(const UnitModel& unit = {}, std::uint16_t productId = kRoundelProductId,
             const std::wstring& path = unitPath());
void updateDevice(const std::wstring& path, const std::function<void(Device&)>& change);
Device device(const std::wstring& path);
void setListingFails(bool fails);
void setFault(const Fault& fault);

// Plugging in and pulling out post the platform's arrival and removal events.
void plug(const std::wstring& path);
void unplug(const std::wstring& path);
void setDeviceChangeHook(std::function<void(std::uint32_t event, const std::wstring& path)> hook);
void setClock(std::function<std::uint64_t()> clock);
// Rewrites every reply before the host reads it, as a faulty or hostile unit might.
void setReplyFilter(std::function<void(std::vector<std::uint8_t>& reply)> filter);

std::vector<LoggedRequest> requests();
std::vector<UnitCommand> commands();
void clearRequests();

// The bus as a HID transport: a program or test puts it behind the hid:: seam.
const hid::Transport& transport();

}  // namespace sim
