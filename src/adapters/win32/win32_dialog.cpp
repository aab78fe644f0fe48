// Dialog adapter: the core's view of the main dialog, its controls and the windows it owns.
#include "seams/dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <vector>

#include "adapters/win32/hid_library.h"
#include "adapters/win32/program_handles.h"
#include "res/literals.h"

namespace dlg {

namespace {

HWND toWindow(WindowRef window) { return reinterpret_cast<HWND>(window); }
WindowRef toRef(HWND window) { return reinterpret_cast<WindowRef>(window); }

constexpr DWORD kProgressStyle = WS_VISIBLE | PBS_SMOOTH;
static_assert(kProgressStyle == 0x10000001, "a visible smooth bar and nothing else");
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32, "size of the registration filter");

}  // namespace

std::wstring loadText(std::uint16_t messageId) {
  wchar_t buffer[kTextCapacity];
  int length = LoadStringW(moduleInstance, messageId, buffer, static_cast<int>(kTextCapacity));
  return std::wstring(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void setControlText(int controlId, const std::wstring& text) { SetDlgItemTextW(mainDialog, controlId, text.c_str()); }

std::wstring controlText(int controlId) {
  HWND control = GetDlgItem(mainDialog, controlId);
  std::vector<wchar_t> buffer(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1);
  int length = GetWindowTextW(control, buffer.data(), static_cast<int>(buffer.size()));
  return std::wstring(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
}

void enableControl(int controlId, bool enabled) { EnableWindow(GetDlgItem(mainDialog, controlId), enabled); }

int messageBox(const std::wstring& text, const std::wstring& caption, unsigned flags) {
  return MessageBoxW(mainDialog, text.c_str(), caption.c_str(), flags);
}

WindowRef mainWindow() { return toRef(mainDialog); }

Rect windowRect(WindowRef window) {
  RECT rect{};
  GetWindowRect(toWindow(window), &rect);
  return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

// No message is dispatched while an update writes, and a window's paint otherwise waits for a
// dispatch: the bar is painted at once, on its creation and after each position.
WindowRef createProgressWindow(const std::wstring& title, int x, int y, int width, int height) {
  HWND progress = CreateWindowExW(0, lit::kProgressClass, title.c_str(), kProgressStyle, x, y, width, height,
                                  mainDialog, nullptr, moduleInstance, nullptr);
  if (progress != nullptr) UpdateWindow(progress);
  return toRef(progress);
}

void setProgressPosition(WindowRef progress, unsigned position) {
  SendMessageW(toWindow(progress), PBM_SETPOS, position, 0);
  UpdateWindow(toWindow(progress));
}

void raiseToTop(WindowRef window) { SetWindowPos(toWindow(window), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE); }

void showWindow(WindowRef window) { ShowWindow(toWindow(window), SW_SHOW); }

WindowRef foregroundWindow() { return toRef(GetForegroundWindow()); }

void destroyWindow(WindowRef window) { DestroyWindow(toWindow(window)); }

std::uintptr_t registerHidNotifications() {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof(filter);
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  if (!win32::hidInterfaceClass(filter.dbcc_classguid)) return 0;
  HDEVNOTIFY registration = RegisterDeviceNotificationW(mainDialog, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  return reinterpret_cast<std::uintptr_t>(registration);
}

void unregisterHidNotifications(std::uintptr_t registration) {
  UnregisterDeviceNotification(reinterpret_cast<HDEVNOTIFY>(registration));
}

}  // namespace dlg
