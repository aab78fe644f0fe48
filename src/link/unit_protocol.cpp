#include "link/unit_protocol.h"

#include <algorithm>
#include <cstring>

#include "link/unit_device.h"
#include "seams/hid_transport.h"
#include "seams/system.h"

Report::Report(std::size_t size) : bytes_(std::max(size, kReportBufferSize), 0) {}

std::uint8_t Report::u8(std::size_t offset) const {
  return offset < bytes_.size() ? bytes_[offset] : 0;
}

std::uint16_t Report::u16(std::size_t offset) const {
  return static_cast<std::uint16_t>(u8(offset) | (u8(offset + 1) << 8));
}

std::uint32_t Report::u32(std::size_t offset) const {
  return static_cast<std::uint32_t>(u16(offset)) | (static_cast<std::uint32_t>(u16(offset + 2)) << 16);
}

void Report::put8(std::size_t offset, std::uint8_t value) {
  if (offset >= bytes_.size()) return;
  bytes_[offset] = value;
  contentSize_ = std::max(contentSize_, offset + 1);
}

void Report::put32(std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) put8(offset + i, static_cast<std::uint8_t>(value >> (8 * i)));
}

void Report::copyOut(std::size_t offset, std::uint8_t* destination, std::size_t length) const {
  for (std::size_t i = 0; i < length; ++i) destination[i] = u8(offset + i);
}

void Report::copyIn(std::size_t offset, const std::uint8_t* source, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) put8(offset + i, source[i]);
}

namespace {

Report commandRequest(UnitCommand command, std::uint8_t lengthByte) {
  Report request;
  request.put8(0, kOutputReportId);
  request.put8(1, static_cast<std::uint8_t>(command));
  request.put8(2, lengthByte);
  return request;
}

Report optionRequest(UnitCommand command, std::uint8_t option) {
  Report request = commandRequest(command, 1);
  request.put8(3, option);
  return request;
}

}  // namespace

Report queryStateRequest() { return commandRequest(UnitCommand::QueryState, 0); }

Report readUnitMemoryRequest() {
  Report request = commandRequest(UnitCommand::ReadUnitMemory, kUnitMemoryReadLength);
  request.put32(4, kUnitMemoryAddress);
  return request;
}

Report setSystemLockRequest(bool lock) { return optionRequest(UnitCommand::SetSystemLock, lock ? 1 : 0); }

Report writeBlockRequest(const std::uint8_t* block, std::size_t blockSize, unsigned words) {
  Report request = commandRequest(UnitCommand::WriteBlock, static_cast<std::uint8_t>(4 * words));
  request.copyIn(kBlockDataOffset, block, std::min<std::size_t>(blockSize, 4 * kMaxBlockWords));
  return request;
}

Report readEscInfoRequest() {
  Report request = commandRequest(UnitCommand::ReadEscInfo, 8);
  request.put32(4, kEscInfoLength);
  request.put32(8, 0u - kEscInfoLength);
  return request;
}

Report eraseFirmwareRequest() {
  Report request = commandRequest(UnitCommand::EraseFirmware, 4);
  request.put32(4, kConfirmationCode);
  return request;
}

Report setWriteAddressRequest() {
  Report request = commandRequest(UnitCommand::SetWriteAddress, 9);
  request.put8(3, 1);
  request.put32(4, 0);
  request.put32(8, kConfirmationCode);
  return request;
}

Report setWriteProtectionRequest(bool protect) {
  return optionRequest(UnitCommand::SetWriteProtection, protect ? 1 : 0);
}

Report readEscLoaderInfoRequest() {
  Report request;
  request.put8(0, kOutputReportId);
  request.put8(1, static_cast<std::uint8_t>(UnitCommand::ReadEscLoaderInfo));
  return request;
}

ExchangeResult exchange(const Report& request, Report& reply, std::uint32_t readDelayMs) {
  if (!unitDevice.isOpen()) return kNoUnitOpen;
  // Cut short, a block would reach the flash with whatever the unit pads it with.
  if (request.contentSize() > unitDevice.outputReportLength) return kRequestRefused;

  // The transport sees exactly the reported lengths; the buffers are at least that long.
  Report output(unitDevice.outputReportLength);
  output.copyIn(0, request.data(), std::min(request.size(), output.size()));
  if (!hid::active().writeReport(unitDevice.handle, output.data(), unitDevice.outputReportLength)) {
    return kReportNotWritten;
  }
  if (readDelayMs != 0) sys::pause(readDelayMs);

  reply = Report(unitDevice.inputReportLength);
  reply.put8(0, kInputReportId);
  if (!hid::active().readReport(unitDevice.handle, reply.data(), unitDevice.inputReportLength)) {
    return kReplyNotRead;
  }
  return 0;
}

ExchangeResult standardStatus(const Report& reply) {
  if (reply.u8(1) != kErrorStatus) return 0;
  return static_cast<ExchangeResult>(reply.u32(4));
}

ExchangeResult eraseFirmware() {
  Report reply;
  const ExchangeResult result = exchange(eraseFirmwareRequest(), reply, kEraseWaitMs);
  return result != 0 ? result : standardStatus(reply);
}

ExchangeResult writeBlock(const std::uint8_t* block, std::size_t blockSize, unsigned words) {
  if (!unitDevice.isOpen()) return kNoUnitOpen;
  if (words > kMaxBlockWords || 4 * words > blockSize) return kRequestRefused;
  Report reply;
  const ExchangeResult result = exchange(writeBlockRequest(block, blockSize, words), reply);
  return result != 0 ? result : standardStatus(reply);
}
