#include "adapters/linux/hidraw.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <utility>

#include "base/hex_text.h"
#include "adapters/linux/report_descriptor.h"
#include "base/format_text.h"

namespace hidraw {
namespace {

constexpr const char* kNodePrefix = "hidraw";
constexpr std::size_t kMaxSysfsFileBytes = 64 * 1024;

struct OpenNode {
  std::string deviceDir;  // <sysfs>/class/hidraw/hidrawN/device
  ReportLayout layout;
  std::uint32_t descriptorError = 0;  // 0 when layout holds the descriptor's lengths
  std::uint32_t reportTimeoutMs = hid::kReportTimeoutMs;
};

std::map<hid::Handle, OpenNode>& openNodes() {
  static std::map<hid::Handle, OpenNode> nodes;
  return nodes;
}

thread_local std::uint32_t lastErrorValue = 0;

bool fail(int error) {
  lastErrorValue = static_cast<std::uint32_t>(error);
  return false;
}

std::string classDir(const Roots& roots) { return roots.sysfs + "/class/hidraw"; }

std::string deviceDirOf(const Roots& roots, const std::string& name) {
  return classDir(roots) + "/" + name + "/device";
}

// The N of "hidrawN"; false for any other name.
bool nodeNumber(const std::string& name, unsigned long& number) {
  const std::size_t prefixLength = std::strlen(kNodePrefix);
  const std::size_t digits = name.size() - std::min(name.size(), prefixLength);
  if (name.compare(0, prefixLength, kNodePrefix) != 0 || digits == 0 || digits > 9) return false;
  number = 0;
  for (std::size_t i = prefixLength; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    number = number * 10 + static_cast<unsigned long>(name[i] - '0');
  }
  return true;
}

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& contents) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(errno);
  contents.clear();
  std::uint8_t chunk[4096];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || contents.size() + static_cast<std::size_t>(n) > kMaxSysfsFileBytes) {
      const int error = n < 0 ? errno : EBADMSG;
      ::close(fd);
      return fail(error);
    }
    if (n == 0) break;
    contents.insert(contents.end(), chunk, chunk + n);
  }
  ::close(fd);
  return true;
}

// One to eight hex digits, the way the kernel prints HID_ID fields.
bool parseHexField(const std::string& field, std::uint32_t& value) {
  if (field.empty() || field.size() > 8) return false;
  value = 0;
  for (char c : field) {
    const int digit = hextext::digitValue(c);
    if (digit < 0) return false;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return true;
}

// HID_ID=bus:vendor:product with ids that fit USB's 16 bits.
bool parseHidId(const std::string& value, std::uint16_t& vendorId, std::uint16_t& productId) {
  const std::size_t first = value.find(':');
  const std::size_t second = first == std::string::npos ? first : value.find(':', first + 1);
  if (second == std::string::npos) return false;
  std::uint32_t bus = 0, vendor = 0, product = 0;
  const bool parsed = parseHexField(value.substr(0, first), bus) &&
                      parseHexField(value.substr(first + 1, second - first - 1), vendor) &&
                      parseHexField(value.substr(second + 1), product);
  if (!parsed || vendor > 0xFFFF || product > 0xFFFF) return false;
  vendorId = static_cast<std::uint16_t>(vendor);
  productId = static_cast<std::uint16_t>(product);
  return true;
}

bool readIds(const std::string& deviceDir, std::uint16_t& vendorId, std::uint16_t& productId) {
  std::vector<std::uint8_t> uevent;
  if (!readWholeFile(deviceDir + "/uevent", uevent)) return false;
  const std::string text(uevent.begin(), uevent.end());
  const std::string key = "HID_ID=";
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (text.compare(start, key.size(), key) == 0) {
      const std::size_t valueStart = start + key.size();
      const std::string value = valueStart < end ? text.substr(valueStart, end - valueStart) : std::string();
      return parseHidId(value, vendorId, productId) || fail(EBADMSG);
    }
    start = end + 1;
  }
  return fail(EBADMSG);
}

void describe(OpenNode& node) {
  std::vector<std::uint8_t> descriptor;
  if (!readWholeFile(node.deviceDir + "/report_descriptor", descriptor)) {
    node.descriptorError = lastErrorValue;
    return;
  }
  if (parseReportDescriptor(descriptor.data(), descriptor.size(), node.layout) != kDescriptorOk) {
    node.descriptorError = EBADMSG;
  }
}

OpenNode* findNode(hid::Handle handle) {
  auto it = openNodes().find(handle);
  if (it != openNodes().end()) return &it->second;
  fail(EBADF);
  return nullptr;
}

// Waits until the node is ready for the given poll events, at most timeoutMs; false with
// ETIMEDOUT once that has passed. A node that went away counts as ready: the transfer that
// follows reports it.
bool awaitReady(int fd, short events, std::uint32_t timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd node{fd, events, 0};
    const int ready = ::poll(&node, 1, static_cast<int>(std::max<decltype(left)>(left, 0)));
    if (ready > 0) return true;
    if (ready == 0) return fail(ETIMEDOUT);
    if (errno != EINTR) return fail(errno);
  }
}

}  // namespace

std::string nodeName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  unsigned long number = 0;
  return nodeNumber(name, number) ? name : std::string();
}

bool listInterfaces(const Roots& roots, std::vector<std::string>& paths) {
  paths.clear();
  DIR* dir = ::opendir(classDir(roots).c_str());
  if (!dir) return errno == ENOENT || fail(errno);
  std::vector<std::pair<unsigned long, std::string>> nodes;
  while (const dirent* entry = ::readdir(dir)) {
    unsigned long number = 0;
    if (nodeNumber(entry->d_name, number)) nodes.emplace_back(number, entry->d_name);
  }
  ::closedir(dir);
  std::sort(nodes.begin(), nodes.end());
  for (const auto& node : nodes) paths.push_back(roots.dev + "/" + node.second);
  return true;
}

hid::Handle openInterface(const Roots& roots, const std::string& path, std::uint32_t reportTimeoutMs) {
  const std::string name = nodeName(path);
  if (name.empty()) {
    fail(ENODEV);
    return hid::kInvalidHandle;
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    fail(errno);
    return hid::kInvalidHandle;
  }
  OpenNode node;
  node.deviceDir = deviceDirOf(roots, name);
  node.reportTimeoutMs = reportTimeoutMs;
  describe(node);  // a node whose descriptor cannot be read still opens; only its lengths are unknown
  openNodes()[fd] = std::move(node);
  return fd;
}

bool readNodeIds(const Roots& roots, const std::string& name, std::uint16_t& vendorId, std::uint16_t& productId) {
  return readIds(deviceDirOf(roots, name), vendorId, productId);
}

// The operations of the hid:: seam on open nodes, and the transport they make.
namespace {

bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  const OpenNode* node = findNode(handle);
  return node && readIds(node->deviceDir, vendorId, productId);
}

bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  const OpenNode* node = findNode(handle);
  if (!node) return false;
  if (node->descriptorError != 0) return fail(static_cast<int>(node->descriptorError));
  outputLength = node->layout.outputLength;
  inputLength = node->layout.inputLength;
  return true;
}

bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length) {
  const OpenNode* node = findNode(handle);
  if (!node) return false;
  if (length == 0) return fail(EINVAL);
  if (!awaitReady(static_cast<int>(handle), POLLOUT, node->reportTimeoutMs)) return false;
  ssize_t written;
  do {
    written = ::write(static_cast<int>(handle), bytes, length);
  } while (written < 0 && errno == EINTR);
  if (written < 0) return fail(errno);
  return static_cast<std::size_t>(written) == length || fail(EIO);
}

bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length) {
  const OpenNode* node = findNode(handle);
  if (!node) return false;
  // Without a readable descriptor the reports are taken to be numbered, as the unit's are.
  const std::size_t idBytes = node->descriptorError == 0 && !node->layout.numberedReports ? 1 : 0;
  if (length <= idBytes) return fail(EINVAL);
  if (!awaitReady(static_cast<int>(handle), POLLIN, node->reportTimeoutMs)) return false;
  ssize_t received;
  do {
    received = ::read(static_cast<int>(handle), bytes + idBytes, length - idBytes);
  } while (received < 0 && errno == EINTR);
  if (received < 0) return fail(errno);
  if (received == 0) return fail(EIO);  // the node went away
  if (idBytes != 0) bytes[0] = 0;
  std::fill(bytes + idBytes + received, bytes + length, 0);
  return true;
}

void closeInterface(hid::Handle handle) {
  auto it = openNodes().find(handle);
  if (it == openNodes().end()) return;  // never close a descriptor this transport did not open
  ::close(static_cast<int>(handle));
  openNodes().erase(it);
}

std::uint32_t lastError() { return lastErrorValue; }

// Device paths are UTF-8 on Linux and wide in the core.
bool listUnderSystemRoots(std::vector<std::wstring>& paths) {
  std::vector<std::string> nodes;
  if (!listInterfaces(Roots{}, nodes)) return false;
  paths.clear();
  for (const std::string& node : nodes) paths.push_back(utf8ToWide(node));
  return true;
}

hid::Handle openUnderSystemRoots(const std::wstring& path) { return openInterface(Roots{}, wideToUtf8(path)); }

const hid::Transport kHidraw{listUnderSystemRoots, openUnderSystemRoots, readAttributes, readReportLengths,
                             writeReport,          readReport,           closeInterface, lastError};

}  // namespace

const hid::Transport& transport() { return kHidraw; }

std::string deniedNode(const Roots& roots, std::uint16_t vendorId, const std::vector<std::uint16_t>& productIds) {
  std::vector<std::string> paths;
  if (!listInterfaces(roots, paths)) return "";
  for (const std::string& path : paths) {
    std::uint16_t vendor = 0, product = 0;
    if (!readNodeIds(roots, nodeName(path), vendor, product) || vendor != vendorId ||
        std::find(productIds.begin(), productIds.end(), product) == productIds.end()) {
      continue;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0) {
      ::close(fd);
    } else if (errno == EACCES) {
      return path;
    }
  }
  return "";
}

}  // namespace hidraw
