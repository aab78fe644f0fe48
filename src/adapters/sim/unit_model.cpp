#include "adapters/sim/unit_model.h"

#include <algorithm>

#include "base/little_endian.h"
#include "link/unit_protocol.h"

namespace sim {
namespace {

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
  if (!unit.addressSet || unit.writeProtected || !fits) return makeErrorReport(reply, kCodeRefused);
  // Flash programs only erased cells.
  auto target = unit.flash.begin() + unit.writeCursor;
  if (!std::all_of(target, target + count, [](std::uint8_t b) { return b == 0xFF; })) {
    return makeErrorReport(reply, kCodeRefused);
  }
  std::copy(request.begin() + 4, request.begin() + 4 + count, target);
  unit.writeCursor += static_cast<std::uint32_t>(count);
}

void answerEscQuery(const EscModel& esc, bool loader, std::vector<std::uint8_t>& reply) {
  const bool error = loader ? esc.loaderErrorReport : esc.infoErrorReport;
  if (error) return makeErrorReport(reply, loader ? esc.loaderErrorCode : esc.infoErrorCode);
  if (loader) {
    le::write(&reply[4], esc.typeCode, 4);
    le::write(&reply[8], esc.loaderVersion, 4);
  } else {
    le::write(&reply[8], esc.firmwareVersion, 2);
  }
}

}  // namespace

void makeErrorReport(std::vector<std::uint8_t>& reply, std::uint32_t code) {
  reply[1] = kErrorStatus;
  le::write(&reply[4], code, 4);
}

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
        makeErrorReport(reply, kCodeRefused);
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
        makeErrorReport(reply, kCodeRefused);
        break;
      }
      unit.writeProtected = option != 0;
      reply[3] = unit.writeProtected ? 1 : 0;
      break;
    case UnitCommand::EraseFirmware:
      if (!unit.systemLock || unit.writeProtected || le::read32(&request[4]) != kConfirmationCode) {
        makeErrorReport(reply, kCodeRefused);
        break;
      }
      std::fill(unit.flash.begin(), unit.flash.end(), 0xFF);
      unit.erased = true;
      break;
    case UnitCommand::SetWriteAddress:
      if (!unit.erased || option != 1 || le::read32(&request[8]) != kConfirmationCode ||
          le::read32(&request[4]) >= unit.flash.size()) {
        makeErrorReport(reply, kCodeRefused);
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
      makeErrorReport(reply, kCodeUnknownCommand);
      break;
  }
  return reply;
}

}  // namespace sim
