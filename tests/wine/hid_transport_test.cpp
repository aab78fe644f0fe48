// The real HID transport under Wine: discovery over whatever HID interfaces Wine offers, and
// its bounded transfers against a named pipe that plays a unit.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/unit_device.h"
#include "adapters/win32/win32_hid.h"
#include "adapters/win32/bounded_io.h"
#include "base/format_text.h"
#include "seams/system.h"

namespace {

// The handles this process holds, from the system-wide handle table (Wine answers
// GetProcessHandleCount with 0).
int openHandleCount() {
  struct HandleEntry {
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    void* object;
    ACCESS_MASK access;
  };
  struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
  };
  using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  constexpr ULONG kSystemHandleInformation = 16;
  auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<std::uint8_t> buffer(1 << 22);
  ULONG returned = 0;
  const ULONG size = static_cast<ULONG>(buffer.size());
  if (query == nullptr || query(kSystemHandleInformation, buffer.data(), size, &returned) != 0) return -1;
  const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
  int count = 0;
  for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].processId == GetCurrentProcessId();
  return count;
}

// Lists what Wine enumerates, with the ids and report lengths of every interface that opens.
void describeInterfaces(win32::UsbBus& usbBus, const std::vector<std::wstring>& paths) {
  std::printf("Wine offers %u HID interface(s)\n", static_cast<unsigned>(paths.size()));
  for (const std::wstring& path : paths) {
    std::string line = "  " + wideToUtf8(path);
    hid::Handle handle = usbBus.openInterface(path);
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    if (handle == hid::kInvalidHandle) {
      line += " (cannot be opened, error " + std::to_string(usbBus.lastError()) + ")";
    } else {
      char description[96] = "";
      std::uint32_t outputLength = 0;
      std::uint32_t inputLength = 0;
      if (usbBus.readAttributes(handle, vendorId, productId)) {
        std::snprintf(description, sizeof description, " %04x:%04x", vendorId, productId);
      }
      line += description;
      if (usbBus.readReportLengths(handle, outputLength, inputLength)) {
        std::snprintf(description, sizeof description, ", reports out %u in %u bytes", outputLength, inputLength);
        line += description;
      }
    }
    if (handle != hid::kInvalidHandle) usbBus.closeInterface(handle);
    std::printf("%s\n", line.c_str());
  }
}

}  // namespace

TEST(RealTransport, DiscoveryFindsNoUnitAndLeavesNothingOpen) {
  win32::UsbBus usbBus;
  std::vector<std::wstring> paths;
  ASSERT_TRUE(usbBus.listInterfaces(paths));
  describeInterfaces(usbBus, paths);
  int handlesBefore = openHandleCount();
  ASSERT_GT(handlesBefore, 0) << "the handle count is what proves every interface was closed";

  hid::use(usbBus.transport());
  EXPECT_EQ(discoverUnit(), kNoMatchingDevice);

  EXPECT_EQ(openHandleCount(), handlesBefore);
  EXPECT_FALSE(unitDevice.isOpen());
  EXPECT_TRUE(unitDevice.devicePath.empty());
  EXPECT_EQ(unitDevice.productId, 0);
  EXPECT_EQ(unitDevice.outputReportLength, 0u);
  EXPECT_EQ(unitDevice.inputReportLength, 0u);
}

TEST(RealTransport, ListingIsStableAndPathsAreWhole) {
  win32::UsbBus usbBus;
  std::vector<std::wstring> first;
  std::vector<std::wstring> second;
  ASSERT_TRUE(usbBus.listInterfaces(first));
  ASSERT_TRUE(usbBus.listInterfaces(second));
  EXPECT_EQ(first, second);
  for (const std::wstring& path : first) {
    EXPECT_FALSE(path.empty());
    EXPECT_EQ(path.find(L'\0'), std::wstring::npos);
  }
}

const wchar_t* const kAbsentInterface =
    L"\\\\?\\hid#vid_21b8&pid_0001#0&0000&0#{4d1e55b2-f16f-11cf-88cb-001111000030}";

TEST(RealTransport, AbsentInterfaceDoesNotOpenAndSaysWhy) {
  win32::UsbBus usbBus;
  hid::Handle handle = usbBus.openInterface(kAbsentInterface);
  EXPECT_EQ(handle, hid::kInvalidHandle);
  EXPECT_NE(usbBus.lastError(), 0u);
}

// The code is taken as the call fails: what the program does before it asks for it, a
// pause of the update among them, leaves it as it was.
TEST(RealTransport, TheErrorCodeOfAFailedCallOutlastsLaterSystemCalls) {
  win32::UsbBus usbBus;
  ASSERT_EQ(usbBus.openInterface(kAbsentInterface), hid::kInvalidHandle);
  const std::uint32_t error = usbBus.lastError();
  ASSERT_NE(error, static_cast<std::uint32_t>(ERROR_GEN_FAILURE));
  SetLastError(ERROR_GEN_FAILURE);
  sys::pause(20);
  EXPECT_EQ(usbBus.lastError(), error);
}

namespace {

// A named pipe stands in for a unit: the test holds the server end, the transport opens the
// other through its own openInterface. With no buffer a write waits for its reader.
class PipeUnit : public ::testing::Test {
 protected:
  void connect(DWORD bufferBytes) {
    server = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                              1, bufferBytes, bufferBytes, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    unit = usbBus.openInterface(path);
    ASSERT_NE(unit, hid::kInvalidHandle);
  }
  void TearDown() override {
    if (unit != hid::kInvalidHandle) usbBus.closeInterface(unit);
    CloseHandle(server);
  }

  HANDLE unitHandle() const { return reinterpret_cast<HANDLE>(unit); }

  static double millisecondsSince(LARGE_INTEGER start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
  }

  static LARGE_INTEGER started() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
  }

  // A pipe ends a cancelled transfer at once, so nothing of the wait after the cancel shows.
  static void expectEndedAtTheBound(LARGE_INTEGER start) {
    const double elapsedMs = millisecondsSince(start);
    EXPECT_GE(elapsedMs, kBoundMs - 20.0);
    EXPECT_LT(elapsedMs, kBoundMs + 1000.0);
  }

  static constexpr DWORD kBoundMs = 200;
  static constexpr DWORD kRoomForReports = 4096;
  const std::wstring path = L"\\\\.\\pipe\\spindra-unit-" + std::to_wstring(GetCurrentProcessId());
  win32::UsbBus usbBus;
  HANDLE server = INVALID_HANDLE_VALUE;
  hid::Handle unit = hid::kInvalidHandle;
};

TEST_F(PipeUnit, ReportsTravelBothWaysOnTheOverlappedHandle) {
  connect(kRoomForReports);
  const std::vector<std::uint8_t> request(60, 0x01);
  ASSERT_TRUE(usbBus.writeReport(unit, request.data(), request.size()));
  std::vector<std::uint8_t> taken(60, 0);
  DWORD count = 0;
  ASSERT_TRUE(ReadFile(server, taken.data(), static_cast<DWORD>(taken.size()), &count, nullptr));
  EXPECT_EQ(taken, request);

  const std::vector<std::uint8_t> reply(60, 0x5A);
  ASSERT_TRUE(WriteFile(server, reply.data(), static_cast<DWORD>(reply.size()), &count, nullptr));
  std::vector<std::uint8_t> received(60, 0);
  ASSERT_TRUE(usbBus.readReport(unit, received.data(), received.size()));
  EXPECT_EQ(received, reply);
}

TEST_F(PipeUnit, AReadNobodyAnswersEndsAtTheBoundWithTimeoutAndTakesNoLaterReply) {
  connect(kRoomForReports);
  std::vector<std::uint8_t> buffer(60, 0xEE);
  DWORD count = 0;
  const LARGE_INTEGER start = started();
  EXPECT_FALSE(win32::readWithin(unitHandle(), buffer.data(), static_cast<DWORD>(buffer.size()), kBoundMs, count));
  EXPECT_EQ(GetLastError(), 1460u);
  expectEndedAtTheBound(start);
  EXPECT_EQ(buffer, std::vector<std::uint8_t>(60, 0xEE)) << "the cancelled read left the buffer alone";

  // The cancelled read is over: a later reply goes to the next read, whole, and only what
  // arrived reaches the buffer.
  const std::vector<std::uint8_t> reply(40, 0x02);
  ASSERT_TRUE(WriteFile(server, reply.data(), static_cast<DWORD>(reply.size()), &count, nullptr));
  ASSERT_TRUE(win32::readWithin(unitHandle(), buffer.data(), static_cast<DWORD>(buffer.size()), kBoundMs, count));
  EXPECT_EQ(count, 40u);
  std::vector<std::uint8_t> expected = reply;
  expected.resize(60, 0xEE);
  EXPECT_EQ(buffer, expected);
}

TEST_F(PipeUnit, AWriteNobodyTakesEndsAtTheBoundWithTimeout) {
  connect(0);
  const std::vector<std::uint8_t> request(60, 0x01);
  DWORD count = 0;
  const LARGE_INTEGER start = started();
  EXPECT_FALSE(win32::writeWithin(unitHandle(), request.data(), static_cast<DWORD>(request.size()), kBoundMs, count));
  EXPECT_EQ(GetLastError(), 1460u);
  expectEndedAtTheBound(start);
}

}  // namespace
