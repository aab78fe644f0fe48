// One updater per computer: a second start of the product brings the first one's dialog to
// the front and ends at once, showing nothing of its own; where no window of the first one
// can be found (another user session) it says so in a box and ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "program_driver.h"
#include "wine/program_reports.h"
#include "res/catalogue.h"
#include "res/controls.h"
#include "res/message_ids.h"

namespace {

constexpr DWORD kTimeoutMs = 60000;
const std::wstring kCaption = L"TELMARIX SPINDRA 60 LV FW Updater 3.5 ";
const wchar_t* const kClaimName = L"Global\\spindra-60-lv-updater.only-instance";

std::wstring widen(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

BOOL CALLBACK countUpdaterDialog(HWND window, LPARAM count) {
  wchar_t className[16] = L"";
  wchar_t title[64] = L"";
  GetClassNameW(window, className, 16);
  GetWindowTextW(window, title, 64);
  if (IsWindowVisible(window) && std::wstring(className) == L"#32770" && title == kCaption) {
    ++*reinterpret_cast<int*>(count);
  }
  return TRUE;
}

int shownUpdaterDialogs() {
  int count = 0;
  EnumWindows(countUpdaterDialog, reinterpret_cast<LPARAM>(&count));
  return count;
}

// A window of the test in front, so that bringing the dialog forward shows.
HWND putAWindowInFront() {
  HWND window = CreateWindowExW(0, L"STATIC", L"in front", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  SetForegroundWindow(window);
  return window;
}

// Pumps this thread's messages meanwhile: a window of the test is activated through them.
bool becomesForeground(HWND window) {
  for (ULONGLONG end = GetTickCount64() + 5000; GetTickCount64() < end; Sleep(10)) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (GetForegroundWindow() == window) return true;
  }
  return false;
}

TEST(SingleInstance, ASecondStartBringsTheFirstForwardAndEndsWithExitCodeZero) {
  const std::wstring product = widen(SPINDRA_PRODUCT_EXE);
  driver::Program first(product);
  ASSERT_TRUE(first.started());
  const HWND dialog = first.waitForMainDialog(kTimeoutMs);
  ASSERT_NE(dialog, nullptr) << "no main dialog; exit code " << first.waitForExit(0);

  for (const bool minimised : {false, true}) {
    SCOPED_TRACE(minimised ? "first one minimised" : "first one behind another window");
    HWND inFront = putAWindowInFront();
    ASSERT_EQ(GetForegroundWindow(), inFront);
    if (minimised) ShowWindow(dialog, SW_MINIMIZE);

    driver::Program second(product);
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.waitForExit(kTimeoutMs), 0u);
    EXPECT_EQ(shownUpdaterDialogs(), 1) << "the first one's dialog stays the only one";
    EXPECT_TRUE(becomesForeground(dialog));
    EXPECT_FALSE(IsIconic(dialog));
    DestroyWindow(inFront);
  }

  driver::press(dialog, ctl::kCloseButton);
  EXPECT_EQ(first.waitForExit(kTimeoutMs), 0u);
}

// The claim is checked before anything is made: a second copy asked for a report writes none,
// neither beside itself nor in Documents.
TEST(SingleInstance, ASecondStartAskedForAReportMakesNone) {
  const std::wstring product = widen(SPINDRA_PRODUCT_EXE);
  const std::wstring folders[] = {product.substr(0, product.find_last_of(L"\\/")), reports::documentsFolder()};
  std::vector<std::set<std::wstring>> before;
  for (const std::wstring& folder : folders) before.push_back(reports::filesIn(folder, L"spindra-report-*"));
  driver::Program first(product);
  const HWND dialog = first.waitForMainDialog(kTimeoutMs);
  ASSERT_NE(dialog, nullptr) << "no main dialog; exit code " << first.waitForExit(0);

  driver::Program second(product, L"--report");
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.waitForExit(kTimeoutMs), 0u);
  for (std::size_t i = 0; i < std::size(folders); ++i) {
    EXPECT_EQ(reports::filesIn(folders[i], L"spindra-report-*"), before[i]) << "in " << std::string(folders[i].begin(), folders[i].end());
  }
  driver::press(dialog, ctl::kCloseButton);
  EXPECT_EQ(first.waitForExit(kTimeoutMs), 0u);
}

// The copy already running may be another version of the updater: it holds the same claim,
// and its dialog differs only in the version of its caption.
TEST(SingleInstance, ASecondStartBringsForwardAnUpdaterOfAnotherVersion) {
  HANDLE claim = CreateMutexW(nullptr, FALSE, kClaimName);
  ASSERT_NE(claim, nullptr);
  HWND otherVersion = CreateWindowExW(0, L"#32770", L"TELMARIX SPINDRA 60 LV FW Updater 9.9 ", WS_POPUP | WS_VISIBLE,
                                      0, 0, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(otherVersion, nullptr);
  HWND inFront = putAWindowInFront();
  ASSERT_EQ(GetForegroundWindow(), inFront);

  driver::Program second(widen(SPINDRA_PRODUCT_EXE));
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.waitForExit(kTimeoutMs), 0u);
  EXPECT_EQ(shownUpdaterDialogs(), 0) << "the second start showed a dialog of its own";
  EXPECT_TRUE(becomesForeground(otherVersion));

  DestroyWindow(inFront);
  DestroyWindow(otherVersion);
  CloseHandle(claim);
}

// The claim as another user's copy holds it: its security lets no one else open it.
HANDLE holdClaimNobodyElseMayOpen() {
  SECURITY_DESCRIPTOR security;
  ACL noAccess;
  InitializeSecurityDescriptor(&security, SECURITY_DESCRIPTOR_REVISION);
  InitializeAcl(&noAccess, sizeof(noAccess), ACL_REVISION);
  SetSecurityDescriptorDacl(&security, TRUE, &noAccess, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), &security, FALSE};
  return CreateMutexW(&attributes, FALSE, kClaimName);
}

// A copy in another session or of another user holds the claim, and no window of it is on
// this desktop to bring forward.
TEST(SingleInstance, AClaimHeldOutOfReachIsExplainedInABoxAndEndsWithExitCodeZero) {
  struct Case {
    const char* holder;
    HANDLE (*hold)();
  };
  const Case cases[] = {
      {"a process with no window", [] { return CreateMutexW(nullptr, FALSE, kClaimName); }},
      {"another user context (access denied)", holdClaimNobodyElseMayOpen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.holder);
    HANDLE claim = c.hold();
    ASSERT_NE(claim, nullptr);
    if (c.hold == holdClaimNobodyElseMayOpen) {
      ASSERT_EQ(CreateMutexW(nullptr, FALSE, kClaimName), nullptr) << "the claim could be opened";
      ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }

    driver::Program second(widen(SPINDRA_PRODUCT_EXE));
    ASSERT_TRUE(second.started());
    const HWND box = second.waitForUnownedBox(kTimeoutMs);
    ASSERT_NE(box, nullptr) << "no box; exit code " << second.waitForExit(0);
    wchar_t caption[64] = L"";
    GetWindowTextW(box, caption, 64);
    EXPECT_EQ(caption, kCaption);
    EXPECT_EQ(driver::messageBoxText(box), catalogue::text(msg::kRunningElsewhere, catalogue::Language::English));
    EXPECT_EQ(second.waitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "ended before the box was answered";

    driver::press(box, IDOK);
    EXPECT_EQ(second.waitForExit(kTimeoutMs), 0u);
    CloseHandle(claim);
  }
}

TEST(SingleInstance, TheNextStartRunsOnceTheFirstHasEnded) {
  const std::wstring product = widen(SPINDRA_PRODUCT_EXE);
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    driver::Program updater(product);
    const HWND dialog = updater.waitForMainDialog(kTimeoutMs);
    ASSERT_NE(dialog, nullptr) << "no main dialog; exit code " << updater.waitForExit(0);
    driver::press(dialog, ctl::kCloseButton);
    EXPECT_EQ(updater.waitForExit(kTimeoutMs), 0u);
  }
}

}  // namespace
