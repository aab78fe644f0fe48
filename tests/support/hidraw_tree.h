#pragma once
// What the hidraw transport reads of a node in sysfs, written into a tree of a test's own:
// <tree>/sys/class/hidraw/hidrawN/device with its uevent and report descriptor. The node
// itself, <tree>/dev/hidrawN, is the test's to make.
#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace hidrawtree {

// The unit's shape: 59 data bytes out in report 1, in through report 2.
inline const std::vector<std::uint8_t> kUnitDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08,
                                                          0x85, 0x01, 0x95, 0x3B, 0x09, 0x01, 0x91, 0x02, 0x85,
                                                          0x02, 0x95, 0x3B, 0x09, 0x01, 0x81, 0x02, 0xC0};

constexpr const char* kRoundelId = "0003:000021B8:00000001";

inline void describeNode(const TempDir& tree, unsigned number, const std::string& hidId,
                         const std::vector<std::uint8_t>& descriptor) {
  const std::string device = "sys/class/hidraw/hidraw" + std::to_string(number) + "/device/";
  tree.write(device + "uevent", "DRIVER=hid-generic\nHID_ID=" + hidId +
                                    "\nHID_NAME=Test Device\nHID_PHYS=usb-0000:00:14.0-2/input0\nHID_UNIQ=\n");
  tree.write(device + "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
}

}  // namespace hidrawtree
