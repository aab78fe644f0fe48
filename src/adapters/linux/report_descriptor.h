#pragma once
// Report lengths from a HID report descriptor, counted the way the Windows HID class
// driver counts its capabilities: the longest report of each kind, in bytes, plus the
// report id byte (present in the buffer even when the device numbers no reports).
#include <cstddef>
#include <cstdint>

namespace hidraw {

struct ReportLayout {
  std::uint32_t inputLength = 0;   // 0 when the device has no input report
  std::uint32_t outputLength = 0;  // 0 when the device has no output report
  bool numberedReports = false;    // the descriptor declares report ids
};

// Results of parseReportDescriptor.
constexpr int kDescriptorOk = 0;
constexpr int kDescriptorEmpty = -1;
constexpr int kDescriptorTruncated = -2;       // an item runs past the end
constexpr int kDescriptorBadItem = -3;         // reserved item type or unknown global tag
constexpr int kDescriptorBadReportId = -4;     // report id 0 or above 255
constexpr int kDescriptorBadStack = -5;        // pop without push, or pushes nested too deep
constexpr int kDescriptorBadCollection = -6;   // end without collection, or a collection left open
constexpr int kDescriptorReportTooLong = -7;   // a report beyond what hidraw can carry

// The largest report hidraw hands over, in bytes.
constexpr std::uint32_t kMaxReportBytes = 16384;

int parseReportDescriptor(const std::uint8_t* bytes, std::size_t size, ReportLayout& layout);

}  // namespace hidraw
