#pragma once
// HID interfaces through the kernel's hidraw nodes: sysfs describes each node (ids in
// its device's uevent, reports in its report descriptor), /dev carries the reports.
// Both roots are parameters so the transport can run on a prepared tree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/hid_transport.h"

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

bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId);
// Lengths from the report descriptor, report id byte included.
bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength);

// One whole output report, report id first (0 for a device without report ids).
bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length);
// The next whole input report, report id first; a device without report ids gets a 0
// in front, the way the Windows driver hands such reports over. A shorter report is
// padded with zeros.
bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length);

void closeInterface(hid::Handle handle);

// errno of the last failed call on this thread; EBADMSG for malformed sysfs contents,
// ETIMEDOUT for a report the node did not take or deliver in time.
std::uint32_t lastError();

// The first node of a device with this vendor id and one of these product ids that
// this user may not open (EACCES); empty when there is none.
std::string deniedNode(const Roots& roots, std::uint16_t vendorId, const std::vector<std::uint16_t>& productIds);

// "hidrawN" of a path, or empty when its last component is not a hidraw node name.
std::string nodeName(const std::string& path);

}  // namespace hidraw
