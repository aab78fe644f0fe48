#include "adapters/win32/single_instance.h"

namespace win32 {

namespace {

// In the global namespace, so that copies in other user sessions see it too.
constexpr wchar_t kInstanceMutexName[] = L"Global\\spindra-60-lv-updater.only-instance";

}  // namespace

bool claimOnlyInstance() {
  // Never closed: the system releases it with the process.
  HANDLE claim = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
  const DWORD error = GetLastError();
  // Access denied: held by a copy of another user, whose claim this one may not open.
  if (claim == nullptr) return error != ERROR_ACCESS_DENIED;
  return error != ERROR_ALREADY_EXISTS;
}

void bringToFront(HWND window) {
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  SetForegroundWindow(GetLastActivePopup(window));
}

}  // namespace win32
