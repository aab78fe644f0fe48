#include "adapters/linux/report_descriptor.h"

#include <algorithm>
#include <array>

#include "base/little_endian.h"

namespace hidraw {
namespace {

constexpr std::uint8_t kLongItemPrefix = 0xFE;

enum ItemType : unsigned { kMainItem = 0, kGlobalItem = 1, kLocalItem = 2, kReservedItem = 3 };

constexpr unsigned kInputTag = 0x8;
constexpr unsigned kOutputTag = 0x9;
constexpr unsigned kCollectionTag = 0xA;
constexpr unsigned kEndCollectionTag = 0xC;

constexpr unsigned kReportSizeTag = 0x7;
constexpr unsigned kReportIdTag = 0x8;
constexpr unsigned kReportCountTag = 0x9;
constexpr unsigned kPushTag = 0xA;
constexpr unsigned kPopTag = 0xB;

constexpr std::size_t kMaxPushDepth = 8;
constexpr std::uint64_t kMaxReportBits = (kMaxReportBytes - 1) * 8ull;  // the id byte is counted apart

struct GlobalState {
  std::uint32_t reportSize = 0;
  std::uint32_t reportCount = 0;
  std::uint32_t reportId = 0;
};

// Bits per report id of one kind (input or output).
struct ReportBits {
  std::array<std::uint64_t, 256> bits{};
  bool present = false;

  int add(const GlobalState& global) {
    present = true;
    std::uint64_t& total = bits[global.reportId];
    total += static_cast<std::uint64_t>(global.reportSize) * global.reportCount;  // no overflow: both < 2^32
    return total > kMaxReportBits ? kDescriptorReportTooLong : kDescriptorOk;
  }

  std::uint32_t byteLength() const {
    if (!present) return 0;
    const std::uint64_t longest = *std::max_element(bits.begin(), bits.end());
    return static_cast<std::uint32_t>((longest + 7) / 8 + 1);
  }
};

struct Parser {
  GlobalState global;
  std::array<GlobalState, kMaxPushDepth> pushed{};
  std::size_t pushDepth = 0;
  std::size_t openCollections = 0;
  bool numbered = false;
  ReportBits input;
  ReportBits output;

  int mainItem(unsigned tag) {
    switch (tag) {
      case kInputTag: return input.add(global);
      case kOutputTag: return output.add(global);
      case kCollectionTag: ++openCollections; return kDescriptorOk;
      case kEndCollectionTag:
        if (openCollections == 0) return kDescriptorBadCollection;
        --openCollections;
        return kDescriptorOk;
      default: return kDescriptorOk;  // feature reports and unknown main items carry nothing we count
    }
  }

  int globalItem(unsigned tag, std::uint32_t value) {
    switch (tag) {
      case kReportSizeTag: global.reportSize = value; return kDescriptorOk;
      case kReportCountTag: global.reportCount = value; return kDescriptorOk;
      case kReportIdTag:
        if (value == 0 || value > 255) return kDescriptorBadReportId;
        global.reportId = value;
        numbered = true;
        return kDescriptorOk;
      case kPushTag:
        if (pushDepth == pushed.size()) return kDescriptorBadStack;
        pushed[pushDepth++] = global;
        return kDescriptorOk;
      case kPopTag:
        if (pushDepth == 0) return kDescriptorBadStack;
        global = pushed[--pushDepth];
        return kDescriptorOk;
      default:
        return tag < kReportSizeTag ? kDescriptorOk : kDescriptorBadItem;  // usage page, limits, units
    }
  }
};

}  // namespace

int parseReportDescriptor(const std::uint8_t* bytes, std::size_t size, ReportLayout& layout) {
  if (size == 0) return kDescriptorEmpty;
  Parser parser;
  std::size_t at = 0;
  while (at < size) {
    const std::uint8_t prefix = bytes[at];
    if (prefix == kLongItemPrefix) {
      // No long item tags are defined; they are skipped whole.
      if (size - at < 3 || size - at - 3 < bytes[at + 1]) return kDescriptorTruncated;
      at += 3 + bytes[at + 1];
      continue;
    }
    const std::size_t dataSize = (prefix & 3) == 3 ? 4 : prefix & 3;
    if (size - at - 1 < dataSize) return kDescriptorTruncated;
    const std::uint32_t value = le::read(bytes + at + 1, dataSize);
    const unsigned tag = prefix >> 4;
    int result = kDescriptorOk;
    switch ((prefix >> 2) & 3) {
      case kMainItem: result = parser.mainItem(tag); break;
      case kGlobalItem: result = parser.globalItem(tag, value); break;
      case kLocalItem: break;  // usages do not change report lengths
      case kReservedItem: result = kDescriptorBadItem; break;
    }
    if (result != kDescriptorOk) return result;
    at += 1 + dataSize;
  }
  if (parser.openCollections != 0) return kDescriptorBadCollection;

  layout.inputLength = parser.input.byteLength();
  layout.outputLength = parser.output.byteLength();
  layout.numberedReports = parser.numbered;
  return kDescriptorOk;
}

}  // namespace hidraw
