#pragma once
// HID interfaces through the kernel's hidraw nodes: sysfs describes each node (ids in
// its device's uevent, reports in its report descriptor), /dev carries the reports.
// Both roots are parameters so the transport can run on a prepared tree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "seams/hid_transport.h"

namespace hidraw {

struct Roots {
  std::string sysfs = "/sys";
  std::string dev = "/dev";
};

// <dev>/hidrawN for every <sysfs>/class/hidraw/hidrawN, in ascending N. A system
// without the hidraw class has no interfaces; false only when the class cannot be read.
bool listInterfaces(const Roots& roots, std::vector<std::string>& paths);

// Opens <dev>/hidrawN for reading and writing; its sysfs entry is looked up under the same
// roots. Each report's write and read on it waits at most reportTimeoutMs, then fails with
// ETIMEDOUT (a shorter bound is for tests). kInvalidHandle on failure, with errno as the
// last error.
hid::Handle openInterface(const Roots& roots, const std::string& path,
                          std::uint32_t reportTimeoutMs = hid::kReportTimeoutMs);

// Vendor and product id of a node from its uevent (HID_ID=bus:vendor:product, hex).
bool readNodeIds(const Roots& roots, const std::string& nodeName, std::uint16_t& vendorId,
                 std::uint16_t& productId);

// The operations of the hid:: seam: listing and opening under /sys and /dev (paths in
// UTF-8), and these on any handle opened above. A read gets the next whole input report,
// report id first; a device without report ids gets a 0 in front, the way the Windows
// driver hands such reports over, and a shorter report is padded with zeros. The last
// error is errno of the last failed call on this thread; EBADMSG for malformed sysfs
// contents, ETIMEDOUT for a report the node did not take or deliver in time.
const hid::Transport& transport();

// The first node of a device with this vendor id and one of these product ids that
// this user may not open (EACCES); empty when there is none.
std::string deniedNode(const Roots& roots, std::uint16_t vendorId, const std::vector<std::uint16_t>& productIds);

// "hidrawN" of a path, or empty when its last component is not a hidraw node name.
std::string nodeName(const std::string& path);

}  // namespace hidraw
