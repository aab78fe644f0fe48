// The dialog and system adapters under Wine, on a window standing in for the main dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <dbt.h>

#include <cstddef>
#include <cstring>
#include <thread>
#include <vector>

#include "seams/dialog.h"
#include "seams/hid_transport.h"
#include "seams/system.h"
#include "adapters/win32/common_controls.h"
#include "adapters/win32/device_broadcast.h"
#include "adapters/win32/program_handles.h"
#include "adapters/win32/system_library.h"

// The record the build would write of the test's image (platform_adapters_test.rc.in), which
// a test may turn into the placeholder's.
bool imageIsPlaceholder = false;
sys::ImageRecord sys::recordedImage() { return {6, {}, imageIsPlaceholder}; }

namespace {

constexpr int kLabel = 40011;
constexpr int kButton = 1002;

class DialogAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    moduleInstance = GetModuleHandleW(nullptr);
    win32::initCommonControls();
    mainDialog = CreateWindowExW(0, L"#32770", L"main", WS_POPUP | WS_CAPTION, 100, 120, 400, 300,
                                 nullptr, nullptr, moduleInstance, nullptr);
    ASSERT_NE(mainDialog, nullptr);
    addControl(L"STATIC", kLabel);
    addControl(L"BUTTON", kButton);
  }
  void TearDown() override {
    DestroyWindow(mainDialog);
    mainDialog = nullptr;
  }

  void addControl(const wchar_t* windowClass, int id) {
    ASSERT_NE(CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_VISIBLE, 10, 10 + id % 7 * 30, 120, 24, mainDialog,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), moduleInstance, nullptr),
              nullptr);
  }
};

std::wstring className(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

}  // namespace

TEST_F(DialogAdapterTest, LoadsCatalogueTextsWithinTheirCapacity) {
  EXPECT_EQ(dlg::loadText(40000), L"first line\r\nsecond line");
  EXPECT_EQ(dlg::loadText(40001), std::wstring(dlg::kTextCapacity - 1, L'x'));
  EXPECT_EQ(dlg::loadText(40002), L"");
}

TEST_F(DialogAdapterTest, SetsReadsAndEnablesControls) {
  std::wstring longText(5000, L'a');
  dlg::setControlText(kLabel, L"ROUNDEL");
  dlg::setControlText(kButton, longText);
  EXPECT_EQ(dlg::controlText(kLabel), L"ROUNDEL");
  EXPECT_EQ(dlg::controlText(kButton), longText);

  dlg::enableControl(kButton, false);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(mainDialog, kButton)));
  dlg::enableControl(kButton, true);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(mainDialog, kButton)));
}

TEST_F(DialogAdapterTest, MainWindowRectangleIsInScreenCoordinates) {
  EXPECT_EQ(dlg::mainWindow(), reinterpret_cast<dlg::WindowRef>(mainDialog));
  dlg::Rect rect = dlg::windowRect(dlg::mainWindow());
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 120);
  EXPECT_EQ(rect.right, 500);
  EXPECT_EQ(rect.bottom, 420);
}

TEST_F(DialogAdapterTest, ProgressWindowIsASmoothBarOwnedByTheMainDialog) {
  dlg::WindowRef progress = dlg::createProgressWindow(L"in progress", 150, 160, 400, 50);
  ASSERT_NE(progress, 0u);
  HWND window = reinterpret_cast<HWND>(progress);
  EXPECT_EQ(className(window), L"msctls_progress32");
  EXPECT_EQ(GetWindow(window, GW_OWNER), mainDialog);
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
  LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_VISIBLE | PBS_SMOOTH), WS_VISIBLE | PBS_SMOOTH);
  EXPECT_EQ(style & (WS_CHILD | WS_POPUP), 0);
  wchar_t title[32] = L"";
  GetWindowTextW(window, title, 32);
  EXPECT_STREQ(title, L"in progress");
  dlg::Rect rect = dlg::windowRect(progress);
  EXPECT_EQ(rect.left, 150);
  EXPECT_EQ(rect.top, 160);
  EXPECT_EQ(rect.right - rect.left, 400);
  EXPECT_EQ(rect.bottom - rect.top, 50);

  dlg::setProgressPosition(progress, 37);
  EXPECT_EQ(SendMessageW(window, PBM_GETPOS, 0, 0), 37);
  dlg::raiseToTop(progress);
  dlg::showWindow(progress);
  EXPECT_TRUE(IsWindowVisible(window));
  dlg::destroyWindow(progress);
  EXPECT_FALSE(IsWindow(window));
}

// No message is dispatched while an update writes, and none is here: whatever shows was
// painted by the adapter's own calls. Wine's progress control paints every new position by
// itself, so under Wine only the paint after creation depends on the adapter.
TEST_F(DialogAdapterTest, ProgressWindowIsPaintedWithoutAMessageLoop) {
  dlg::WindowRef progress = dlg::createProgressWindow(L"in progress", 150, 160, 400, 50);
  ASSERT_NE(progress, 0u);
  HWND window = reinterpret_cast<HWND>(progress);
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE)) << "a paint is pending after creation";

  dlg::setProgressPosition(progress, 50);
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE)) << "a paint is pending after a position";
  RECT client;
  GetClientRect(window, &client);
  HDC context = GetDC(window);
  const auto shownAt = [&](int percent) {
    return GetPixel(context, client.right * percent / 100, client.bottom / 2);
  };
  EXPECT_EQ(shownAt(10), shownAt(40)) << "the bar's half is one colour";
  EXPECT_EQ(shownAt(60), shownAt(90)) << "the rest is one colour";
  EXPECT_NE(shownAt(10), shownAt(90)) << "the bar does not show";
  ReleaseDC(window, context);
  dlg::destroyWindow(progress);
}

TEST_F(DialogAdapterTest, MessageBoxIsOwnedByTheMainDialogAndAnswersItsButton) {
  std::thread user([] {
    for (int attempt = 0; attempt < 500; ++attempt) {
      HWND box = FindWindowW(L"#32770", L"caption");
      if (box != nullptr && GetWindow(box, GW_OWNER) == mainDialog) {
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      Sleep(10);
    }
  });
  int answer = dlg::messageBox(L"text", L"caption", dlg::kBoxOkCancel | dlg::kIconWarning);
  user.join();
  EXPECT_EQ(answer, dlg::kAnswerCancel);
}

TEST_F(DialogAdapterTest, WineAcceptsTheHidNotificationRegistration) {
  std::uintptr_t registration = dlg::registerHidNotifications();
  EXPECT_NE(registration, 0u);
  dlg::unregisterHidNotifications(registration);
}

TEST(SystemAdapter, FindsTheImageInTheProgramsResources) {
  moduleInstance = GetModuleHandleW(nullptr);
  sys::FirmwareImage image;
  ASSERT_TRUE(sys::locateFirmwareImage(image));
  ASSERT_EQ(image.size, 6u);
  EXPECT_EQ(std::vector<std::uint8_t>(image.bytes, image.bytes + image.size),
            (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
}

// Ending early is a fault whatever the platform's timers do; how late pauses end is the
// benchmark's business.
TEST(SystemAdapter, NoPauseEndsBeforeItsLength) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (const bool precise : {false, true}) {
    SCOPED_TRACE(precise ? "precise pacing" : "plain pacing");
    if (precise) sys::beginUpdateWriting();
    for (const std::uint32_t milliseconds : {0u, 1u, 3u, 20u, 20u, 20u, 45u}) {
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      sys::pause(milliseconds);
      QueryPerformanceCounter(&end);
      const double elapsedMs = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
      EXPECT_GE(elapsedMs, milliseconds) << milliseconds << " ms";
    }
    if (precise) sys::endUpdateWriting();
  }
}

// The system answers each change of the execution state with the one it replaces.
TEST(SystemAdapter, KeepsTheSystemAndDisplayAwakeOnlyWhileTheUpdateWrites) {
  constexpr EXECUTION_STATE kAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED;
  SetThreadExecutionState(ES_CONTINUOUS);
  sys::beginUpdateWriting();
  EXPECT_EQ(SetThreadExecutionState(kAwake), kAwake) << "held while writing";
  sys::endUpdateWriting();
  EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS), static_cast<EXECUTION_STATE>(ES_CONTINUOUS)) << "released after";
}

// Where the system lacks the search flags (a Windows 7 without the search-path update) DLLs
// are loaded by full path; what that loads is the system directory's copy.
TEST(SystemLibrary, LoadsByFullPathFromTheSystemDirectory) {
  wchar_t directory[MAX_PATH];
  const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
  ASSERT_GT(length, 0u);
  for (const wchar_t* name : {L"hid.dll", L"comctl32.dll", L"winmm.dll"}) {
    const std::wstring path = win32::systemLibraryPath(name);
    EXPECT_EQ(path, std::wstring(directory, length) + L"\\" + name);
    HMODULE module = win32::loadSystemLibraryByPath(name);
    ASSERT_NE(module, nullptr) << path.c_str();
    wchar_t loaded[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(module, loaded, MAX_PATH), 0u);
    EXPECT_EQ(lstrcmpiW(loaded, path.c_str()), 0) << "loaded " << loaded << " for " << path.c_str();
    FreeLibrary(module);
  }
  EXPECT_EQ(win32::loadSystemLibraryByPath(L"no-such-library.dll"), nullptr);
}

// No transport is chosen here, so it counts as the platform's bus; only a stand-in would take
// the placeholder.
TEST(SystemAdapter, HandsOutThePlaceholderToAStandInAlone) {
  moduleInstance = GetModuleHandleW(nullptr);
  imageIsPlaceholder = true;
  sys::FirmwareImage image;
  EXPECT_FALSE(sys::locateFirmwareImage(image));
  const hid::Transport platformBus = hid::active();
  hid::use({platformBus.operations, platformBus.context, hid::Reach::StandIn});
  EXPECT_TRUE(sys::locateFirmwareImage(image));
  hid::use(platformBus);
  imageIsPlaceholder = false;
}

TEST(SystemAdapter, ReportsAModuleWithoutImage) {
  moduleInstance = GetModuleHandleW(L"kernel32.dll");
  sys::FirmwareImage image;
  EXPECT_FALSE(sys::locateFirmwareImage(image));
  EXPECT_EQ(image.bytes, nullptr);
  moduleInstance = nullptr;
}

namespace {

// A broadcast record holding a header of the given type, then name and terminator,
// declaring declaredSize bytes (0: its true size).
std::vector<std::uint8_t> broadcastRecord(DWORD deviceType, const std::wstring& name, DWORD declaredSize = 0) {
  constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  std::vector<std::uint8_t> bytes(kNameOffset + (name.size() + 1) * sizeof(wchar_t), 0);
  auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(bytes.data());
  header->dbch_size = declaredSize != 0 ? declaredSize : static_cast<DWORD>(bytes.size());
  header->dbch_devicetype = deviceType;
  std::memcpy(bytes.data() + kNameOffset, name.c_str(), name.size() * sizeof(wchar_t));
  return bytes;
}

}  // namespace

TEST(DeviceBroadcastAdapter, ReadsOnlyWhatTheRecordDeclares) {
  const std::wstring path = L"\\\\?\\HID#VID_21B8&PID_0001#1";
  struct Case {
    const char* what;
    std::vector<std::uint8_t> record;
    std::uint32_t deviceType;
    std::wstring name;
  };
  const Case cases[] = {
      {"interface record", broadcastRecord(DBT_DEVTYP_DEVICEINTERFACE, path), kDeviceTypeInterface, path},
      {"name cut by the declared size", broadcastRecord(DBT_DEVTYP_DEVICEINTERFACE, path, 28 + 6), kDeviceTypeInterface,
       L"\\\\?"},
      {"interface record without name", broadcastRecord(DBT_DEVTYP_DEVICEINTERFACE, L"", 28), kDeviceTypeInterface,
       L""},
      {"volume", broadcastRecord(DBT_DEVTYP_VOLUME, path, 18), DBT_DEVTYP_VOLUME, L""},
      {"interface record too short for its fields", broadcastRecord(DBT_DEVTYP_DEVICEINTERFACE, path, 20), 0, L""},
      {"header too short", broadcastRecord(DBT_DEVTYP_DEVICEINTERFACE, path, 8), 0, L""},
  };
  for (const Case& c : cases) {
    DeviceBroadcast broadcast = readDeviceBroadcast(reinterpret_cast<LPARAM>(c.record.data()));
    EXPECT_EQ(broadcast.deviceType, c.deviceType) << c.what;
    EXPECT_EQ(broadcast.name, c.name) << c.what;
  }
  EXPECT_EQ(readDeviceBroadcast(0).deviceType, 0u);
}
