#pragma once
// Report layout, commands and the request/reply exchange with the programming unit.
#include <cstddef>
#include <cstdint>
#include <vector>

// 0 success, -1 no unit open or a request the unit cannot take as asked, -2 report not
// written, -3 reply not read, anything else an error code reported by the unit.
using ExchangeResult = std::int32_t;
constexpr ExchangeResult kNoUnitOpen = -1;
// Too long for the unit's reports, or more words than a block holds: never sent.
constexpr ExchangeResult kRequestRefused = -1;
constexpr ExchangeResult kReportNotWritten = -2;
constexpr ExchangeResult kReplyNotRead = -3;

enum class UnitCommand : std::uint8_t {
  QueryState = 0x08,
  ReadUnitMemory = 0x0A,
  SetSystemLock = 0x0B,
  WriteBlock = 0x1B,
  ReadEscInfo = 0x1D,
  EraseFirmware = 0x1E,
  SetWriteAddress = 0x1F,
  SetWriteProtection = 0x20,
  ReadEscLoaderInfo = 0x22,
};

constexpr std::uint8_t kOutputReportId = 1;
constexpr std::uint8_t kInputReportId = 2;
constexpr std::uint8_t kErrorStatus = 0xFF;
constexpr std::size_t kReportBufferSize = 60;
constexpr std::uint32_t kConfirmationCode = 0x5A17C3E9;
constexpr std::uint32_t kUnitMemoryAddress = 0x0801FC00;
constexpr std::uint8_t kUnitMemoryReadLength = 12;
constexpr std::uint32_t kEscInfoLength = 32;
constexpr std::uint32_t kEraseWaitMs = 1000;
constexpr std::size_t kBlockDataOffset = 4;  // report id, command, length and option byte come first
constexpr unsigned kMaxBlockWords = 14;      // 56 data bytes, bytes 4 to 59

// One report buffer, never smaller than kReportBufferSize. Bytes nobody set are zero,
// and reads past the end give zero, so a short report can never expose other memory.
class Report {
 public:
  explicit Report(std::size_t size = kReportBufferSize);

  std::uint8_t u8(std::size_t offset) const;
  std::uint16_t u16(std::size_t offset) const;  // little-endian
  std::uint32_t u32(std::size_t offset) const;  // little-endian
  void put8(std::size_t offset, std::uint8_t value);
  void put32(std::size_t offset, std::uint32_t value);
  void copyOut(std::size_t offset, std::uint8_t* destination, std::size_t length) const;
  void copyIn(std::size_t offset, const std::uint8_t* source, std::size_t length);

  std::uint8_t* data() { return bytes_.data(); }
  const std::uint8_t* data() const { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  // Bytes up to the last one set through put8, put32 or copyIn: what a request needs sent.
  std::size_t contentSize() const { return contentSize_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t contentSize_ = 0;
};

// Requests of the command table. Bytes the table leaves unset are zero.
Report queryStateRequest();
Report readUnitMemoryRequest();
Report setSystemLockRequest(bool lock);
Report writeBlockRequest(const std::uint8_t* block, std::size_t blockSize, unsigned words);
Report readEscInfoRequest();
Report eraseFirmwareRequest();
Report setWriteAddressRequest();
Report setWriteProtectionRequest(bool protect);
Report readEscLoaderInfoRequest();

// Writes the request as one output report and reads one input report into reply,
// pausing readDelayMs in between. A request longer than the unit's output report is not
// sent cut short: -1.
ExchangeResult exchange(const Report& request, Report& reply, std::uint32_t readDelayMs = 0);

// Error report (status 0xFF): its 32-bit code; any other reply: success.
ExchangeResult standardStatus(const Report& reply);

ExchangeResult eraseFirmware();
// Sends the first 4 * words bytes of block as data; the whole block (at most 56 bytes)
// goes into the report, so a staged final block carries its 0xFF padding too. More words
// than kMaxBlockWords, or than the block holds, are refused.
ExchangeResult writeBlock(const std::uint8_t* block, std::size_t blockSize, unsigned words);
