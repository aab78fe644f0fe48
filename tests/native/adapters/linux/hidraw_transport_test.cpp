#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <vector>

#include "adapters/linux/hidraw.h"
#include "support/hidraw_tree.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using hidrawtree::kRoundelId;
using hidrawtree::kUnitDescriptor;

// Eight data bytes each way, reports not numbered.
const Bytes kUnnumberedDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x08,
                                     0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// A sysfs and /dev of our own. Each node is a FIFO: it carries both directions in
// order, so a test puts the unit's reply in before the host writes its request.
class HidrawTest : public ::testing::Test {
 protected:
  void addNode(unsigned number, const std::string& hidId, const Bytes& descriptor) {
    hidrawtree::describeNode(tree, number, hidId, descriptor);
    std::filesystem::create_directories(tree.path("dev"));
    ASSERT_EQ(mkfifo(node(number).c_str(), 0600), 0);
  }

  std::string node(unsigned number) const { return roots.dev + "/hidraw" + std::to_string(number); }

  hid::Handle open(unsigned number) {
    const hid::Handle handle = nodes.openNode(node(number));
    if (handle != hid::kInvalidHandle) handles.push_back(handle);
    return handle;
  }

  void deviceSends(unsigned number, const Bytes& report) {
    const int fd = ::open(node(number).c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, report.data(), report.size()), static_cast<ssize_t>(report.size()));
    ::close(fd);
  }

  // Everything the host wrote that is still in the pipe.
  Bytes hostSent(unsigned number) {
    Bytes bytes(4096);
    const int fd = ::open(node(number).c_str(), O_RDWR | O_NONBLOCK);
    const ssize_t n = ::read(fd, bytes.data(), bytes.size());
    ::close(fd);
    bytes.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    return bytes;
  }

  void TearDown() override {
    for (hid::Handle h : handles) nodes.transport().closeInterface(h);
  }

  TempDir tree;
  hidraw::Roots roots{tree.path("sys"), tree.path("dev")};
  hidraw::Nodes nodes{roots};
  std::vector<hid::Handle> handles;
};

TEST_F(HidrawTest, NodesAreListedInNumericOrderAndOtherEntriesIgnored) {
  addNode(10, kRoundelId, kUnitDescriptor);
  addNode(2, kRoundelId, kUnitDescriptor);
  addNode(0, "0003:0000046D:0000C31C", kUnnumberedDescriptor);
  tree.write("sys/class/hidraw/hidrawx/device/uevent", "");
  tree.write("sys/class/hidraw/README", "");

  std::vector<std::string> paths;
  ASSERT_TRUE(nodes.listNodes(paths));
  EXPECT_EQ(paths, (std::vector<std::string>{node(0), node(2), node(10)}));
}

TEST_F(HidrawTest, NoHidrawClassMeansNoInterfacesButAnUnreadableOneFails) {
  std::vector<std::string> paths{"stale"};
  EXPECT_TRUE(nodes.listNodes(paths));
  EXPECT_TRUE(paths.empty());

  tree.write("sys/class/hidraw", "not a directory");
  EXPECT_FALSE(nodes.listNodes(paths));
  EXPECT_EQ(nodes.transport().lastError(), static_cast<std::uint32_t>(ENOTDIR));
}

TEST_F(HidrawTest, IdsComeFromTheUeventAndLengthsFromTheDescriptor) {
  const struct {
    const char* hidId;
    const Bytes* descriptor;
    std::uint16_t vendor, product;
    std::uint32_t output, input;
  } cases[] = {
      {kRoundelId, &kUnitDescriptor, 0x21B8, 1, 60, 60},
      {"0003:000021b8:00000002", &kUnitDescriptor, 0x21B8, 2, 60, 60},
      {"0005:0000046D:0000B33D", &kUnnumberedDescriptor, 0x046D, 0xB33D, 9, 9},
  };
  unsigned number = 0;
  for (const auto& c : cases) {
    addNode(number, c.hidId, *c.descriptor);
    const hid::Handle handle = open(number++);
    ASSERT_NE(handle, hid::kInvalidHandle) << c.hidId;
    std::uint16_t vendor = 0, product = 0;
    std::uint32_t output = 0, input = 0;
    ASSERT_TRUE(nodes.transport().readAttributes(handle, vendor, product)) << c.hidId;
    ASSERT_TRUE(nodes.transport().readReportLengths(handle, output, input)) << c.hidId;
    EXPECT_EQ(vendor, c.vendor) << c.hidId;
    EXPECT_EQ(product, c.product) << c.hidId;
    EXPECT_EQ(output, c.output) << c.hidId;
    EXPECT_EQ(input, c.input) << c.hidId;
  }
}

TEST_F(HidrawTest, MalformedSysfsContentsFailWithBadMessage) {
  const char* badIds[] = {"", "0003:000021B8", "0003:000021B8:0000000G", "0003:000121B8:00000001",
                          "0003::00000001", "0003:000021B8:00000001:7"};
  unsigned number = 0;
  for (const char* hidId : badIds) {
    addNode(number, hidId, kUnitDescriptor);
    const hid::Handle handle = open(number++);
    ASSERT_NE(handle, hid::kInvalidHandle);
    std::uint16_t vendor = 0, product = 0;
    EXPECT_FALSE(nodes.transport().readAttributes(handle, vendor, product)) << hidId;
    EXPECT_EQ(nodes.transport().lastError(), static_cast<std::uint32_t>(EBADMSG)) << hidId;
  }

  addNode(number, kRoundelId, {0xA1, 0x01, 0x95});
  hid::Handle handle = open(number++);
  ASSERT_NE(handle, hid::kInvalidHandle) << "a bad descriptor does not stop the node from opening";
  std::uint32_t output = 0, input = 0;
  EXPECT_FALSE(nodes.transport().readReportLengths(handle, output, input));
  EXPECT_EQ(nodes.transport().lastError(), static_cast<std::uint32_t>(EBADMSG));

  addNode(number, kRoundelId, kUnitDescriptor);
  std::filesystem::remove(tree.path("sys/class/hidraw/hidraw" + std::to_string(number) + "/device/report_descriptor"));
  handle = open(number);
  ASSERT_NE(handle, hid::kInvalidHandle);
  EXPECT_FALSE(nodes.transport().readReportLengths(handle, output, input));
  EXPECT_EQ(nodes.transport().lastError(), static_cast<std::uint32_t>(ENOENT));
}

TEST_F(HidrawTest, OpenFailuresKeepErrno) {
  EXPECT_EQ(open(7), hid::kInvalidHandle);
  EXPECT_EQ(nodes.transport().lastError(), static_cast<std::uint32_t>(ENOENT));
  EXPECT_EQ(nodes.openNode(roots.dev + "/tty0"), hid::kInvalidHandle) << "not a hidraw node";
}

// Runs an attempt as a user without access, the way a desktop user meets a node udev has
// not handed over: root reaches any node, so the attempt runs in a child that gave root
// up. The attempt's result is the child's exit code.
int exitCodeUnprivileged(const std::function<int()>& attempt) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(255);
    _exit(attempt());
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST_F(HidrawTest, PermissionDeniedIsReportedAsEacces) {
  addNode(0, kRoundelId, kUnitDescriptor);
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(node(0).c_str(), 0000), 0);
  EXPECT_EQ(exitCodeUnprivileged([&] {
              const hid::Handle handle = nodes.openNode(node(0));
              return handle == hid::kInvalidHandle ? static_cast<int>(nodes.transport().lastError() & 0xFF) : 0;
            }),
            EACCES);
}

TEST_F(HidrawTest, TheUnusableNodeIsTheFirstUnitThisUserMayNotOpen) {
  addNode(0, "0003:0000046D:0000C31C", kUnnumberedDescriptor);  // somebody else's keyboard
  addNode(1, kRoundelId, kUnitDescriptor);                       // handed over by udev
  addNode(2, "0003:000021B8:00000003", kUnitDescriptor);         // not a unit
  addNode(3, "0003:000021B8:00000002", kUnitDescriptor);
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  for (unsigned n : {0u, 2u, 3u}) ASSERT_EQ(chmod(node(n).c_str(), 0000), 0);
  ASSERT_EQ(chmod(node(1).c_str(), 0666), 0);

  auto deniedIs = [&](const std::string& expected) {
    return exitCodeUnprivileged([&] {
      const hidraw::UnusableNode found = hidraw::unusableNode(roots, 0x21B8, {1, 2});
      return found.path == expected && found.error == (expected.empty() ? 0 : EACCES) ? 0 : 1;
    });
  };
  EXPECT_EQ(deniedIs(node(3)), 0);
  ASSERT_EQ(chmod(node(3).c_str(), 0666), 0);
  EXPECT_EQ(deniedIs(""), 0);
}

// One program per unit: while a node is open here, no other opener gets it, and it is
// named as held by another program until it is closed.
TEST_F(HidrawTest, AnOpenNodeIsHeldAgainstEveryOtherOpener) {
  addNode(0, kRoundelId, kUnitDescriptor);
  const hid::Handle held = open(0);
  ASSERT_NE(held, hid::kInvalidHandle);

  hidraw::Nodes other{roots};
  EXPECT_EQ(other.openNode(node(0)), hid::kInvalidHandle);
  EXPECT_EQ(other.transport().lastError(), static_cast<std::uint32_t>(EWOULDBLOCK));
  const hidraw::UnusableNode unusable = hidraw::unusableNode(roots, 0x21B8, {1, 2});
  EXPECT_EQ(unusable.path, node(0));
  EXPECT_EQ(unusable.error, EWOULDBLOCK);

  nodes.transport().closeInterface(held);
  handles.clear();
  const hid::Handle taken = other.openNode(node(0));
  EXPECT_NE(taken, hid::kInvalidHandle) << "free again once closed";
  other.transport().closeInterface(taken);
  EXPECT_EQ(hidraw::unusableNode(roots, 0x21B8, {1, 2}).path, "");
}

TEST_F(HidrawTest, ReportsTravelWholeWithTheirIdFirst) {
  addNode(0, kRoundelId, kUnitDescriptor);
  const hid::Handle handle = open(0);
  ASSERT_NE(handle, hid::kInvalidHandle);

  Bytes reply(60);
  for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>(0x80 + i);
  reply[0] = 2;
  deviceSends(0, reply);
  Bytes request(60, 0);
  request[0] = 1;
  request[1] = 0x08;
  ASSERT_TRUE(nodes.transport().writeReport(handle, request.data(), request.size()));

  Bytes received(60, 0xEE);
  ASSERT_TRUE(nodes.transport().readReport(handle, received.data(), received.size()));
  EXPECT_EQ(received, reply);
  EXPECT_EQ(hostSent(0), request);
}

TEST_F(HidrawTest, UnnumberedReportsGetAZeroInFrontAndShortOnesArePadded) {
  addNode(0, kRoundelId, kUnnumberedDescriptor);
  const hid::Handle handle = open(0);
  ASSERT_NE(handle, hid::kInvalidHandle);

  deviceSends(0, {1, 2, 3, 4, 5, 6, 7, 8});
  Bytes received(9, 0xEE);
  ASSERT_TRUE(nodes.transport().readReport(handle, received.data(), received.size()));
  EXPECT_EQ(received, (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8}));

  deviceSends(0, {0xA1, 0xA2});
  received.assign(9, 0xEE);
  ASSERT_TRUE(nodes.transport().readReport(handle, received.data(), received.size()));
  EXPECT_EQ(received, (Bytes{0, 0xA1, 0xA2, 0, 0, 0, 0, 0, 0}));
}

// The node is a FIFO the test holds: empty, nothing arrives to read; full, nothing more can
// be written. Each waits the short bound the test gives at open, then fails with ETIMEDOUT.
TEST_F(HidrawTest, AReportTheNodeNeitherDeliversNorTakesTimesOut) {
  constexpr std::uint32_t kBoundMs = 50;
  addNode(0, kRoundelId, kUnitDescriptor);
  const hid::Handle handle = nodes.openNode(node(0), kBoundMs);
  ASSERT_NE(handle, hid::kInvalidHandle);
  handles.push_back(handle);

  Bytes received(60, 0xEE);
  const auto readStart = std::chrono::steady_clock::now();
  EXPECT_FALSE(nodes.transport().readReport(handle, received.data(), received.size()));
  EXPECT_EQ(nodes.transport().lastError(), static_cast<std::uint32_t>(ETIMEDOUT));
  EXPECT_GE(std::chrono::steady_clock::now() - readStart, std::chrono::milliseconds(kBoundMs));

  const int fd = static_cast<int>(handle);
  ASSERT_EQ(fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK), 0);
  const Bytes filler(4096, 0);
  while (::write(fd, filler.data(), filler.size()) > 0) {
  }
  ASSERT_EQ(fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK), 0);
  Bytes request(60, 0);
  request[0] = 1;
  const auto writeStart = std::chrono::steady_clock::now();
  EXPECT_FALSE(nodes.transport().writeReport(handle, request.data(), request.size()));
  EXPECT_EQ(nodes.transport().lastError(), static_cast<std::uint32_t>(ETIMEDOUT));
  EXPECT_GE(std::chrono::steady_clock::now() - writeStart, std::chrono::milliseconds(kBoundMs));
}

TEST_F(HidrawTest, HandlesItDidNotOpenAreNeitherUsedNorClosed) {
  const int fd = ::open("/dev/null", O_RDWR);
  ASSERT_GE(fd, 0);
  const std::uint8_t byte = 0;
  EXPECT_FALSE(nodes.transport().writeReport(fd, &byte, 1));
  EXPECT_EQ(nodes.transport().lastError(), static_cast<std::uint32_t>(EBADF));
  nodes.transport().closeInterface(fd);
  EXPECT_NE(fcntl(fd, F_GETFD), -1) << "still open";
  ::close(fd);

  addNode(0, kRoundelId, kUnitDescriptor);
  const hid::Handle handle = open(0);
  nodes.transport().closeInterface(handle);
  handles.clear();
  std::uint8_t buffer[60];
  EXPECT_FALSE(nodes.transport().readReport(handle, buffer, sizeof buffer)) << "a closed handle is not read";
  EXPECT_EQ(nodes.transport().lastError(), static_cast<std::uint32_t>(EBADF));
}

}  // namespace
