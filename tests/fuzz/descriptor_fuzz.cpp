// Report descriptors as a device's sysfs entry hands them over: any bytes at all.
#include <cstdint>

#include "adapters/linux/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  hidraw::ReportLayout layout;
  if (hidraw::parseReportDescriptor(data, size, layout) == hidraw::kDescriptorOk &&
      (layout.inputLength > hidraw::kMaxReportBytes + 1 || layout.outputLength > hidraw::kMaxReportBytes + 1)) {
    __builtin_trap();  // an accepted descriptor never yields a report hidraw cannot carry
  }
  return 0;
}
