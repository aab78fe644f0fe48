#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "adapters/linux/report_descriptor.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Vendor-defined, 63 data bytes each way: output report 1, input report 2.
const Bytes kVendorNumbered = {
    0x06, 0x00, 0xFF,  // usage page (vendor)
    0x09, 0x01,        // usage
    0xA1, 0x01,        // collection (application)
    0x15, 0x00, 0x26, 0xFF, 0x00,  // logical 0..255
    0x75, 0x08,        // report size 8
    0x85, 0x01, 0x95, 0x3F, 0x09, 0x01, 0x91, 0x02,  // id 1, count 63, output
    0x85, 0x02, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02,  // id 2, count 63, input
    0xC0};

// Vendor-defined, 64 data bytes each way, no report ids; one count is a four-byte item.
const Bytes kVendorUnnumbered = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
    0x97, 0x40, 0x00, 0x00, 0x00, 0x09, 0x01, 0x81, 0x02,  // count 64 (4-byte data), input
    0x95, 0x40, 0x09, 0x01, 0x91, 0x02,                    // count 64, output
    0xC0};

// The boot keyboard: modifiers, a reserved byte, six keys in; five LEDs and padding out.
const Bytes kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

// A mouse (report 1, 4 bytes) and a consumer control (report 3, 2 bytes); nothing goes out.
const Bytes kMouseAndConsumer = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19, 0x01,
    0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01, 0x75, 0x05,
    0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08,
    0x95, 0x03, 0x81, 0x06, 0xC0, 0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00,
    0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};

// Push keeps size 8, count 32 and id 1 while a 4-bit report 5 is declared; pop brings
// all three back for the 32-byte reports of id 1.
const Bytes kPushPop = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
    0x75, 0x08, 0x95, 0x20, 0x85, 0x01,  // size 8, count 32, id 1
    0xA4,                                // push
    0x75, 0x01, 0x95, 0x04, 0x85, 0x05,  // size 1, count 4, id 5
    0x81, 0x02,                          // input, report 5
    0xB4,                                // pop
    0x91, 0x02, 0x81, 0x02,              // output and input, report 1
    0xC0};

// A long item whose data look like items that would change the lengths if they were read.
const Bytes kWithLongItem = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08,
    0xFE, 0x04, 0xF0, 0x95, 0xFF, 0x81, 0x02,  // long item, 4 data bytes
    0x85, 0x01, 0x95, 0x3F, 0x91, 0x02, 0x85, 0x02, 0x95, 0x3F, 0x81, 0x02, 0xC0};

struct GoodCase {
  const char* name;
  const Bytes* descriptor;
  std::uint32_t inputLength;
  std::uint32_t outputLength;
  bool numbered;
};

const GoodCase kGoodCases[] = {
    {"vendor with report ids", &kVendorNumbered, 64, 64, true},
    {"vendor without report ids", &kVendorUnnumbered, 65, 65, false},
    {"boot keyboard", &kBootKeyboard, 9, 2, false},
    {"mouse and consumer control", &kMouseAndConsumer, 5, 0, true},
    {"push and pop", &kPushPop, 33, 33, true},
    {"long item", &kWithLongItem, 64, 64, true},
};

TEST(ReportDescriptorTest, LengthsCountTheLongestReportOfEachKindPlusTheIdByte) {
  for (const GoodCase& c : kGoodCases) {
    hidraw::ReportLayout layout;
    ASSERT_EQ(hidraw::parseReportDescriptor(c.descriptor->data(), c.descriptor->size(), layout), hidraw::kDescriptorOk)
        << c.name;
    EXPECT_EQ(layout.inputLength, c.inputLength) << c.name;
    EXPECT_EQ(layout.outputLength, c.outputLength) << c.name;
    EXPECT_EQ(layout.numberedReports, c.numbered) << c.name;
  }
}

TEST(ReportDescriptorTest, MalformedDescriptorsAreRefusedWithTheirReason) {
  const Bytes ninePushes(9, 0xA4);
  const struct {
    const char* name;
    Bytes descriptor;
    int expected;
  } cases[] = {
      {"empty", {}, hidraw::kDescriptorEmpty},
      {"short item without its byte", {0x05, 0x01, 0xA1, 0x01, 0x95}, hidraw::kDescriptorTruncated},
      {"four-byte item cut short", {0x97, 0x40, 0x00}, hidraw::kDescriptorTruncated},
      {"long item prefix alone", {0xFE}, hidraw::kDescriptorTruncated},
      {"long item without its tag", {0xFE, 0x05}, hidraw::kDescriptorTruncated},
      {"long item data cut short", {0xFE, 0x05, 0xF0, 0x01, 0x02}, hidraw::kDescriptorTruncated},
      {"report id 0", {0x85, 0x00}, hidraw::kDescriptorBadReportId},
      {"report id 256", {0x86, 0x00, 0x01}, hidraw::kDescriptorBadReportId},
      {"pop without push", {0xB4}, hidraw::kDescriptorBadStack},
      {"pushes nested too deep", ninePushes, hidraw::kDescriptorBadStack},
      {"end without collection", {0xC0}, hidraw::kDescriptorBadCollection},
      {"collection left open", {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, hidraw::kDescriptorBadCollection},
      {"reserved item type", {0x0C}, hidraw::kDescriptorBadItem},
      {"unknown global tag", {0xC5, 0x00}, hidraw::kDescriptorBadItem},
      {"report beyond 16 KiB", {0x75, 0xFF, 0x96, 0xFF, 0xFF, 0x81, 0x02}, hidraw::kDescriptorReportTooLong},
  };
  for (const auto& c : cases) {
    hidraw::ReportLayout layout;
    layout.inputLength = 7;
    EXPECT_EQ(hidraw::parseReportDescriptor(c.descriptor.data(), c.descriptor.size(), layout), c.expected) << c.name;
    EXPECT_EQ(layout.inputLength, 7u) << c.name << ": a refused descriptor leaves the layout alone";
  }
}

TEST(ReportDescriptorTest, EveryCutOfAGoodDescriptorIsRefused) {
  // Each ends by closing its last application collection, so no cut after that
  // collection opens can be complete.
  const Bytes applicationCollection = {0xA1, 0x01};
  for (const GoodCase& c : kGoodCases) {
    const Bytes& whole = *c.descriptor;
    const std::size_t opened =
        std::find_end(whole.begin(), whole.end(), applicationCollection.begin(), applicationCollection.end()) -
        whole.begin() + applicationCollection.size();
    for (std::size_t size = opened; size < whole.size(); ++size) {
      const Bytes cut(whole.begin(), whole.begin() + size);
      hidraw::ReportLayout layout;
      const int result = hidraw::parseReportDescriptor(cut.data(), cut.size(), layout);
      EXPECT_TRUE(result == hidraw::kDescriptorTruncated || result == hidraw::kDescriptorBadCollection)
          << c.name << " cut to " << size << " bytes gave " << result;
    }
  }
}

}  // namespace
