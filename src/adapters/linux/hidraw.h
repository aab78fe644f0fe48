#pragma once
// HID interfaces through the kernel's hidraw nodes: sysfs describes each node (ids in
// its device's uevent, reports in its report descriptor), /dev carries the reports.
// Both roots are parameters so the transport can run on a prepared tree.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "adapters/linux/report_descriptor.h"
#include "seams/hid_transport.h"

namespace hidraw {

struct Roots {
  std::string sysfs = "/sys";
  std::string dev = "/dev";
};

// The hidraw nodes under a pair of roots, and the ones this object has opened. Its last
// error is errno of its last failed call; EBADMSG for malformed sysfs contents, ETIMEDOUT
// for a report the node did not take or deliver in time.
class Nodes {
 public:
  explicit Nodes(Roots roots = Roots{}) : roots_(std::move(roots)) {}
  Nodes(const Nodes&) = delete;
  Nodes& operator=(const Nodes&) = delete;

  // <dev>/hidrawN for every <sysfs>/class/hidraw/hidrawN, in ascending N. A system
  // without the hidraw class has no interfaces; false only when the class cannot be read.
  bool listNodes(std::vector<std::string>& paths);

  // Opens <dev>/hidrawN for reading and writing; its sysfs entry is looked up under the same
  // roots. Each report's write and read on it waits at most reportTimeoutMs, then fails with
  // ETIMEDOUT (a shorter bound is for tests). kInvalidHandle on failure.
  // While open the node is held under an exclusive advisory lock (flock), so that no other
  // program sends to the unit between two of our requests; a node another program holds
  // fails at once with EWOULDBLOCK.
  hid::Handle openNode(const std::string& path, std::uint32_t reportTimeoutMs = hid::kReportTimeoutMs);

  // The operations of the hid:: seam: listing and opening as above (paths in UTF-8), and
  // these on any handle opened here. A read gets the next whole input report, report id
  // first; a device without report ids gets a 0 in front, the way the Windows driver hands
  // such reports over, and a shorter report is padded with zeros.
  bool listInterfaces(std::vector<std::wstring>& paths);
  hid::Handle openInterface(const std::wstring& path);
  bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId);
  bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength);
  bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length);
  bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length);
  void closeInterface(hid::Handle handle);
  std::uint32_t lastError() const { return lastError_; }

  hid::Transport transport();

 private:
  struct OpenNode {
    std::string deviceDir;  // <sysfs>/class/hidraw/hidrawN/device
    ReportLayout layout;
    int descriptorError = 0;  // 0 when layout holds the descriptor's lengths
    std::uint32_t reportTimeoutMs = hid::kReportTimeoutMs;
  };

  OpenNode* findNode(hid::Handle handle);
  bool fail(int error);
  bool succeeded(int error);

  Roots roots_;
  std::map<hid::Handle, OpenNode> openNodes_;
  std::uint32_t lastError_ = 0;
};

// Vendor and product id of a node from its uevent (HID_ID=bus:vendor:product, hex).
bool readNodeIds(const Roots& roots, const std::string& nodeName, std::uint16_t& vendorId,
                 std::uint16_t& productId);

// A node of a device this program looked for but cannot use, and why: EACCES when this
// user may not open it, EWOULDBLOCK when another program holds it.
struct UnusableNode {
  std::string path;  // empty when there is none
  int error = 0;
};

// The first node of a device with this vendor id and one of these product ids that cannot
// be opened, this user denied or another program holding it.
UnusableNode unusableNode(const Roots& roots, std::uint16_t vendorId, const std::vector<std::uint16_t>& productIds);

// "hidrawN" of a path, or empty when its last component is not a hidraw node name.
std::string nodeName(const std::string& path);

}  // namespace hidraw
