// The dialog and system adapters under Wine, on a window standing in for the main dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "seams/dialog.h"
#include "seams/hid_transport.h"
#include "seams/system.h"
#include "adapters/win32/common_controls.h"
#include "adapters/win32/device_broadcast.h"
#include "adapters/win32/program_handles.h"
#include "adapters/win32/system_library.h"
#include "import_hook.h"

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

namespace {

dlg::UpdateProgress writing(std::uint32_t bytesSent, std::uint32_t imageSize) {
  return {dlg::UpdatePhase::Writing, bytesSent, imageSize, 0};
}

// The update's progress window, a top-level window of the process; null while there is none.
HWND progressWindow() { return FindWindowW(L"msctls_progress32", nullptr); }

int positionOf(HWND progress) { return static_cast<int>(SendMessageW(progress, PBM_GETPOS, 0, 0)); }

// What the adapter asked of MessageBoxW, answered from a script.
struct BoxCall {
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT flags;
};
std::vector<BoxCall> boxCalls;
int scriptedPress = IDOK;

int WINAPI recordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
  boxCalls.push_back({owner, text, caption, flags});
  return scriptedPress;
}

}  // namespace

TEST_F(DialogAdapterTest, EachKindOfBoxIsAMessageBoxWithItsButtonsAndIconOwnedByTheMainDialog) {
  hook::ImportHook<decltype(MessageBoxW)> box("user32.dll", "MessageBoxW", recordMessageBox);
  ASSERT_TRUE(box.installed());
  using K = dlg::BoxKind;
  const struct {
    K kind;
    UINT flags;
  } cases[] = {
      {K::RegistrationFailed, 0x10},   {K::EscIncompatible, 0x40}, {K::ConfirmUpdate, 0x31},
      {K::OverwriteSameOrNewer, 0x34}, {K::UpdateRefused, 0x10},   {K::UpdateFailed, 0x10},
      {K::RunningElsewhere, 0x40},     {K::UnknownSimulation, 0x10}, {K::ReportNotWritten, 0x30},
  };
  for (const auto& c : cases) {
    boxCalls.clear();
    scriptedPress = IDOK;
    dlg::ask(c.kind, L"text", L"caption");
    ASSERT_EQ(boxCalls.size(), 1u);
    EXPECT_EQ(boxCalls[0].owner, mainDialog);
    EXPECT_EQ(boxCalls[0].text, L"text");
    EXPECT_EQ(boxCalls[0].caption, L"caption");
    EXPECT_EQ(boxCalls[0].flags, c.flags) << static_cast<int>(c.kind);
  }
  // Before the dialog exists, as when another updater runs out of reach, no window owns it.
  boxCalls.clear();
  const HWND dialog = mainDialog;
  mainDialog = nullptr;
  dlg::ask(K::RunningElsewhere, L"text", L"caption");
  mainDialog = dialog;
  ASSERT_EQ(boxCalls.size(), 1u);
  EXPECT_EQ(boxCalls[0].owner, nullptr);
  EXPECT_EQ(boxCalls[0].flags, 0x40u);
}

TEST_F(DialogAdapterTest, OnlyOkAndYesGoOn) {
  hook::ImportHook<decltype(MessageBoxW)> box("user32.dll", "MessageBoxW", recordMessageBox);
  ASSERT_TRUE(box.installed());
  const struct {
    const char* name;
    int pressed;
    dlg::Answer answer;
  } cases[] = {
      {"OK", IDOK, dlg::Answer::GoOn},         {"Yes", IDYES, dlg::Answer::GoOn},
      {"Cancel", IDCANCEL, dlg::Answer::Stop}, {"No", IDNO, dlg::Answer::Stop},
      {"closed another way", 0, dlg::Answer::Stop},
  };
  for (const auto& c : cases) {
    scriptedPress = c.pressed;
    EXPECT_EQ(dlg::ask(dlg::BoxKind::ConfirmUpdate, L"text", L"caption"), c.answer) << c.name;
  }
}

TEST_F(DialogAdapterTest, ProgressWindowIsASmoothBarOwnedByTheMainDialog) {
  dlg::showProgress(writing(0, 100));
  HWND window = progressWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetWindow(window, GW_OWNER), mainDialog);
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
  LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_VISIBLE | PBS_SMOOTH), WS_VISIBLE | PBS_SMOOTH);
  EXPECT_EQ(style & (WS_CHILD | WS_POPUP), 0);
  wchar_t title[32] = L"";
  GetWindowTextW(window, title, 32);
  EXPECT_STREQ(title, L"in progress");
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.right - rect.left, 400);
  EXPECT_EQ(rect.bottom - rect.top, 50);
  EXPECT_EQ(positionOf(window), 0);
  EXPECT_TRUE(IsWindowVisible(window));

  dlg::showProgress(writing(37, 100));
  EXPECT_EQ(positionOf(window), 37);
  dlg::closeProgress();
  EXPECT_FALSE(IsWindow(window));
}

// From the dialog's window rectangle in screen coordinates; an empty image opens and closes
// the window all the same, at position 0.
TEST_F(DialogAdapterTest, ProgressWindowIsCentredOnTheDialogWithHalvesRoundedDown) {
  const struct {
    RECT dialog;
    int x, y;
  } cases[] = {{{100, 80, 700, 480}, 200, 255}, {{-301, -7, 200, 94}, -251, 18}, {{0, 0, 401, 51}, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dialog.left);
    const RECT& d = c.dialog;
    ASSERT_TRUE(MoveWindow(mainDialog, d.left, d.top, d.right - d.left, d.bottom - d.top, FALSE));
    dlg::showProgress(writing(0, 0));
    HWND window = progressWindow();
    ASSERT_NE(window, nullptr);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, c.x);
    EXPECT_EQ(rect.top, c.y);
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 50);
    EXPECT_EQ(positionOf(window), 0);
    dlg::closeProgress();
    EXPECT_FALSE(IsWindow(window));
  }
}

TEST_F(DialogAdapterTest, OnlyTheTransferHasAProgressWindow) {
  for (dlg::UpdatePhase phase : {dlg::UpdatePhase::Preparing, dlg::UpdatePhase::Erasing, dlg::UpdatePhase::Restoring}) {
    dlg::showProgress({phase, 0, 100, 5000});
    EXPECT_EQ(progressWindow(), nullptr) << static_cast<int>(phase);
  }
}

namespace {

// The windows the raise rule looks at, by role; the foreground window the platform reports is
// scripted by role, asked once per query in this order, the last entry repeating.
enum class Role { Dialog, Progress, Other };
std::vector<Role> foregroundScript;
std::size_t foregroundQueries = 0;
std::vector<std::string> windowCalls;
decltype(SetWindowPos)* realSetWindowPos = nullptr;
decltype(ShowWindow)* realShowWindow = nullptr;

const char* roleOf(HWND window) {
  if (window == mainDialog) return "dialog";
  return window != nullptr && window == progressWindow() ? "progress" : "other";
}

HWND WINAPI scriptedForegroundWindow() {
  const Role role = foregroundScript[std::min(foregroundQueries++, foregroundScript.size() - 1)];
  if (role == Role::Dialog) return mainDialog;
  return role == Role::Progress ? progressWindow() : GetDesktopWindow();
}

// Only a raise to the top without a move or resize is expected.
BOOL WINAPI recordSetWindowPos(HWND window, HWND after, int x, int y, int width, int height, UINT flags) {
  const bool raise = after == HWND_TOP && x == 0 && y == 0 && width == 0 && height == 0 && flags == 3;
  windowCalls.push_back(std::string(raise ? "raise " : "SetWindowPos ") + roleOf(window));
  return realSetWindowPos(window, after, x, y, width, height, flags);
}

BOOL WINAPI recordShowWindow(HWND window, int command) {
  windowCalls.push_back(std::string(command == SW_SHOW ? "show " : "ShowWindow ") + roleOf(window));
  return realShowWindow(window, command);
}

}  // namespace

// Raised when the bar opens; then, after the first block at which the user has the dialog or
// the bar in front, both raised and shown once.
TEST_F(DialogAdapterTest, BothWindowsAreRaisedAndShownOnceWhenOneOfThemIsInFront) {
  hook::ImportHook<decltype(GetForegroundWindow)> foreground("user32.dll", "GetForegroundWindow",
                                                             scriptedForegroundWindow);
  hook::ImportHook<decltype(SetWindowPos)> setWindowPos("user32.dll", "SetWindowPos", recordSetWindowPos);
  hook::ImportHook<decltype(ShowWindow)> showWindow("user32.dll", "ShowWindow", recordShowWindow);
  ASSERT_TRUE(foreground.installed() && setWindowPos.installed() && showWindow.installed());
  realSetWindowPos = setWindowPos.original();
  realShowWindow = showWindow.original();
  using Calls = std::vector<std::string>;
  const Calls bringForward = {"raise dialog", "raise progress", "show dialog", "show progress"};
  const struct {
    const char* name;
    std::vector<Role> foreground;  // asked after each block
    std::size_t raisedAfterBlock;  // 0: never
  } cases[] = {
      {"dialog in front after the second block", {Role::Other, Role::Dialog, Role::Other, Role::Dialog}, 2},
      {"progress window in front from the start", {Role::Progress}, 1},
      {"in front, away and back again", {Role::Dialog, Role::Other, Role::Progress}, 1},
      {"another program in front all along", {Role::Other}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    foregroundScript = c.foreground;
    foregroundQueries = 0;
    windowCalls.clear();
    dlg::showProgress(writing(0, 3 * 48));
    Calls expected = {"raise dialog", "raise progress"};
    const int positions[] = {33, 66, 100};
    for (std::uint32_t block = 1; block <= 3; ++block) {
      dlg::showProgress(writing(block * 48, 3 * 48));
      EXPECT_EQ(positionOf(progressWindow()), positions[block - 1]);
      if (block == c.raisedAfterBlock) expected.insert(expected.end(), bringForward.begin(), bringForward.end());
    }
    dlg::closeProgress();
    EXPECT_EQ(windowCalls, expected);
    EXPECT_EQ(progressWindow(), nullptr);
  }
}

// No message is dispatched while an update writes, and none is here: whatever shows was
// painted by the adapter's own calls. Wine's progress control paints every new position by
// itself, so under Wine only the paint after creation depends on the adapter.
TEST_F(DialogAdapterTest, ProgressWindowIsPaintedWithoutAMessageLoop) {
  dlg::showProgress(writing(0, 100));
  HWND window = progressWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE)) << "a paint is pending after creation";

  dlg::showProgress(writing(50, 100));
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
  dlg::closeProgress();
}

TEST_F(DialogAdapterTest, MessageBoxIsOwnedByTheMainDialogAndAnswersItsButton) {
  bool okAndCancel = false;
  std::thread user([&okAndCancel] {
    for (int attempt = 0; attempt < 500; ++attempt) {
      HWND box = FindWindowW(L"#32770", L"caption");
      if (box != nullptr && GetWindow(box, GW_OWNER) == mainDialog) {
        okAndCancel = GetDlgItem(box, IDOK) != nullptr && GetDlgItem(box, IDCANCEL) != nullptr;
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      Sleep(10);
    }
  });
  const dlg::Answer answer = dlg::ask(dlg::BoxKind::ConfirmUpdate, L"text", L"caption");
  user.join();
  EXPECT_TRUE(okAndCancel);
  EXPECT_EQ(answer, dlg::Answer::Stop);
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
