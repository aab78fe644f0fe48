#pragma once
// A programming unit and its ESC as the protocol sees them: the state the requests change
// (lock, write protection, flash, write cursor), and each request's reply as a function of
// that state alone. What forbids a request is answered with an error report.
#include <cstdint>
#include <vector>

#include "link/unit_device.h"

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

// The unit's reply to one request, after the state change the request causes. The request
// comes report id first, padded to at least kReportBufferSize bytes; so does the reply.
std::vector<std::uint8_t> answer(UnitModel& unit, const std::vector<std::uint8_t>& request);

// Turns a reply into an error report carrying code.
void makeErrorReport(std::vector<std::uint8_t>& reply, std::uint32_t code);

}  // namespace sim
