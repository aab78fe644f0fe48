// Dialog adapter: the core's view of the main dialog, its controls and its message boxes.
#include "seams/dialog.h"

#include <windows.h>
#include <dbt.h>

#include <vector>

#include "adapters/win32/hid_library.h"
#include "adapters/win32/program_handles.h"

namespace dlg {

namespace {

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32, "size of the registration filter");

// The buttons and icon of each kind of box.
UINT boxStyle(BoxKind kind) {
  switch (kind) {
    case BoxKind::EscIncompatible:
    case BoxKind::RunningElsewhere: return MB_OK | MB_ICONINFORMATION;
    case BoxKind::ConfirmUpdate: return MB_OKCANCEL | MB_ICONWARNING;
    case BoxKind::OverwriteSameOrNewer: return MB_YESNO | MB_ICONWARNING;
    case BoxKind::ReportNotWritten: return MB_OK | MB_ICONWARNING;
    case BoxKind::RegistrationFailed:
    case BoxKind::UpdateRefused:
    case BoxKind::UpdateFailed:
    case BoxKind::UnknownSimulation: break;
  }
  return MB_OK | MB_ICONERROR;
}

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

// Only OK and Yes go on: Cancel, No and a box that could not be shown stop.
Answer showBox(BoxKind kind, const std::wstring& text, const std::wstring& caption) {
  const int pressed = MessageBoxW(mainDialog, text.c_str(), caption.c_str(), boxStyle(kind));
  return pressed == IDOK || pressed == IDYES ? Answer::GoOn : Answer::Stop;
}

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
