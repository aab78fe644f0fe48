#include "link/unit_identity.h"

#include "link/unit_device.h"

namespace {

// Error replies of the ESC queries carry a 16-bit code; 0 means "no data, no error".
bool isErrorReply(const Report& reply) { return reply.u8(1) == kErrorStatus; }

ExchangeResult readWrongModeFields(const Report& state) {
  unitDevice.modeByteA = state.u8(4);
  unitDevice.modeWordB = state.u16(5);
  unitDevice.modeDwordC = state.u32(7);
  unitDevice.modeDwordD = state.u32(11);
  unitDevice.modeByteE = state.u8(15);

  Report memory;
  const ExchangeResult result = exchange(readUnitMemoryRequest(), memory);
  if (result != 0) return result;
  unitDevice.unitFirmwareVersion = memory.u32(8);
  unitDevice.unitInfoWord = memory.u32(12);
  return 0;
}

ExchangeResult readEscIdentity() {
  Report reply;
  ExchangeResult result = exchange(readEscInfoRequest(), reply);
  if (result != 0) return result;
  if (!isErrorReply(reply)) {
    reply.copyOut(4, unitDevice.escInfo.data(), unitDevice.escInfo.size());
  } else if (reply.u16(4) != 0) {
    return reply.u16(4);
  }

  result = exchange(readEscLoaderInfoRequest(), reply);
  if (result != 0) return result;
  if (isErrorReply(reply)) return reply.u16(4);
  reply.copyOut(4, unitDevice.escLoaderInfo.data(), unitDevice.escLoaderInfo.size());
  return 0;
}

}  // namespace

ExchangeResult identifyUnit() {
  if (!unitDevice.isOpen() || unitDevice.devicePath.empty()) return kNoUnitOpen;
  if (!hid::active().readReportLengths(unitDevice.handle, unitDevice.outputReportLength, unitDevice.inputReportLength) ||
      unitDevice.outputReportLength > kMaxReportLength || unitDevice.inputReportLength > kMaxReportLength) {
    return kNoUnitOpen;
  }

  Report state;
  const ExchangeResult result = exchange(queryStateRequest(), state);
  if (result != 0) return result;
  unitDevice.unitMode = state.u8(3);
  if (unitDevice.unitMode != 0) return readWrongModeFields(state);

  unitDevice.escState = state.u16(4);
  unitDevice.escStateAux = state.u16(6);
  unitDevice.unitFirmwareVersion = state.u32(8);
  unitDevice.unitInfoWord = state.u32(12);
  if (unitDevice.escState != kUpdatableEscState) return 0;
  return readEscIdentity();
}
