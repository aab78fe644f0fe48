#include "adapters/linux/hidraw.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "base/format_text.h"
#include "base/hex_text.h"

namespace hidraw {
namespace {

// The helpers below answer 0 on success, else the errno that stopped them.

constexpr const char* kNodePrefix = "hidraw";
constexpr std::size_t kMaxSysfsFileBytes = 64 * 1024;

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

int listNodePaths(const Roots& roots, std::vector<std::string>& paths) {
  paths.clear();
  DIR* dir = ::opendir(classDir(roots).c_str());
  if (!dir) return errno == ENOENT ? 0 : errno;
  std::vector<std::pair<unsigned long, std::string>> nodes;
  while (const dirent* entry = ::readdir(dir)) {
    unsigned long number = 0;
    if (nodeNumber(entry->d_name, number)) nodes.emplace_back(number, entry->d_name);
  }
  ::closedir(dir);
  std::sort(nodes.begin(), nodes.end());
  for (const auto& node : nodes) paths.push_back(roots.dev + "/" + node.second);
  return 0;
}

int readWholeFile(const std::string& path, std::vector<std::uint8_t>& contents) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  contents.clear();
  std::uint8_t chunk[4096];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || contents.size() + static_cast<std::size_t>(n) > kMaxSysfsFileBytes) {
      const int error = n < 0 ? errno : EBADMSG;
      ::close(fd);
      return error;
    }
    if (n == 0) break;
    contents.insert(contents.end(), chunk, chunk + n);
  }
  ::close(fd);
  return 0;
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

int readIds(const std::string& deviceDir, std::uint16_t& vendorId, std::uint16_t& productId) {
  std::vector<std::uint8_t> uevent;
  if (const int error = readWholeFile(deviceDir + "/uevent", uevent)) return error;
  const std::string text(uevent.begin(), uevent.end());
  const std::string key = "HID_ID=";
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (text.compare(start, key.size(), key) == 0) {
      const std::size_t valueStart = start + key.size();
      const std::string value = valueStart < end ? text.substr(valueStart, end - valueStart) : std::string();
      return parseHidId(value, vendorId, productId) ? 0 : EBADMSG;
    }
    start = end + 1;
  }
  return EBADMSG;
}

// The report lengths from the descriptor; an error instead when it cannot be read or parsed.
int describe(const std::string& deviceDir, ReportLayout& layout) {
  std::vector<std::uint8_t> descriptor;
  if (const int error = readWholeFile(deviceDir + "/report_descriptor", descriptor)) return error;
  return parseReportDescriptor(descriptor.data(), descriptor.size(), layout) == kDescriptorOk ? 0 : EBADMSG;
}

// Opens a node for reading and writing and takes its exclusive lock without waiting.
int openLocked(const std::string& path, int& fd) {
  fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
  const int error = errno;
  ::close(fd);
  fd = -1;
  return error;
}

// Waits until the node is ready for the given poll events, at most timeoutMs; ETIMEDOUT once
// that has passed. A node that went away counts as ready: the transfer that follows reports it.
int awaitReady(int fd, short events, std::uint32_t timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd node{fd, events, 0};
    const int ready = ::poll(&node, 1, static_cast<int>(std::max<decltype(left)>(left, 0)));
    if (ready > 0) return 0;
    if (ready == 0) return ETIMEDOUT;
    if (errno != EINTR) return errno;
  }
}

int writeWhole(int fd, const std::uint8_t* bytes, std::size_t length) {
  ssize_t written;
  do {
    written = ::write(fd, bytes, length);
  } while (written < 0 && errno == EINTR);
  if (written < 0) return errno;
  return static_cast<std::size_t>(written) == length ? 0 : EIO;
}

int readSome(int fd, std::uint8_t* bytes, std::size_t length, ssize_t& received) {
  do {
    received = ::read(fd, bytes, length);
  } while (received < 0 && errno == EINTR);
  if (received < 0) return errno;
  return received == 0 ? EIO : 0;  // nothing at all: the node went away
}

}  // namespace

std::string nodeName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  unsigned long number = 0;
  return nodeNumber(name, number) ? name : std::string();
}

bool readNodeIds(const Roots& roots, const std::string& name, std::uint16_t& vendorId, std::uint16_t& productId) {
  return readIds(deviceDirOf(roots, name), vendorId, productId) == 0;
}

bool Nodes::listNodes(std::vector<std::string>& paths) { return succeeded(listNodePaths(roots_, paths)); }

hid::Handle Nodes::openNode(const std::string& path, std::uint32_t reportTimeoutMs) {
  const std::string name = nodeName(path);
  if (name.empty()) {
    fail(ENODEV);
    return hid::kInvalidHandle;
  }
  int fd = -1;
  if (const int error = openLocked(path, fd)) {
    fail(error);
    return hid::kInvalidHandle;
  }
  OpenNode node;
  node.deviceDir = deviceDirOf(roots_, name);
  node.reportTimeoutMs = reportTimeoutMs;
  // A node whose descriptor cannot be read still opens; only its lengths are unknown.
  node.descriptorError = describe(node.deviceDir, node.layout);
  openNodes_[fd] = std::move(node);
  return fd;
}

// Device paths are UTF-8 on Linux and wide in the core.
bool Nodes::listInterfaces(std::vector<std::wstring>& paths) {
  std::vector<std::string> nodes;
  if (!listNodes(nodes)) return false;
  paths.clear();
  for (const std::string& node : nodes) paths.push_back(utf8ToWide(node));
  return true;
}

hid::Handle Nodes::openInterface(const std::wstring& path) { return openNode(wideToUtf8(path)); }

bool Nodes::readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  const OpenNode* node = findNode(handle);
  return node && succeeded(readIds(node->deviceDir, vendorId, productId));
}

bool Nodes::readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  const OpenNode* node = findNode(handle);
  if (!node || !succeeded(node->descriptorError)) return false;
  outputLength = node->layout.outputLength;
  inputLength = node->layout.inputLength;
  return true;
}

bool Nodes::writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length) {
  const OpenNode* node = findNode(handle);
  if (!node) return false;
  if (length == 0) return fail(EINVAL);
  const int fd = static_cast<int>(handle);
  const int waited = awaitReady(fd, POLLOUT, node->reportTimeoutMs);
  return succeeded(waited != 0 ? waited : writeWhole(fd, bytes, length));
}

bool Nodes::readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length) {
  const OpenNode* node = findNode(handle);
  if (!node) return false;
  // Without a readable descriptor the reports are taken to be numbered, as the unit's are.
  const std::size_t idBytes = node->descriptorError == 0 && !node->layout.numberedReports ? 1 : 0;
  if (length <= idBytes) return fail(EINVAL);
  const int fd = static_cast<int>(handle);
  ssize_t received = 0;
  const int waited = awaitReady(fd, POLLIN, node->reportTimeoutMs);
  if (!succeeded(waited != 0 ? waited : readSome(fd, bytes + idBytes, length - idBytes, received))) return false;
  if (idBytes != 0) bytes[0] = 0;
  std::fill(bytes + idBytes + received, bytes + length, 0);
  return true;
}

void Nodes::closeInterface(hid::Handle handle) {
  auto it = openNodes_.find(handle);
  if (it == openNodes_.end()) return;  // never close a descriptor this transport did not open
  ::close(static_cast<int>(handle));
  openNodes_.erase(it);
}

hid::Transport Nodes::transport() { return hid::transportOf(*this); }

Nodes::OpenNode* Nodes::findNode(hid::Handle handle) {
  auto it = openNodes_.find(handle);
  if (it != openNodes_.end()) return &it->second;
  fail(EBADF);
  return nullptr;
}

bool Nodes::fail(int error) {
  lastError_ = static_cast<std::uint32_t>(error);
  return false;
}

// True for no error; a failure's errno becomes the last error.
bool Nodes::succeeded(int error) { return error == 0 || fail(error); }

UnusableNode unusableNode(const Roots& roots, std::uint16_t vendorId, const std::vector<std::uint16_t>& productIds) {
  std::vector<std::string> paths;
  if (listNodePaths(roots, paths) != 0) return {};
  for (const std::string& path : paths) {
    std::uint16_t vendor = 0, product = 0;
    if (!readNodeIds(roots, nodeName(path), vendor, product) || vendor != vendorId ||
        std::find(productIds.begin(), productIds.end(), product) == productIds.end()) {
      continue;
    }
    int fd = -1;
    const int error = openLocked(path, fd);
    if (error == 0) ::close(fd);
    if (error == EACCES || error == EWOULDBLOCK) return {path, error};
  }
  return {};
}

}  // namespace hidraw
