#include "adapters/win32/bounded_io.h"

namespace win32 {

namespace {

// Waits for a started transfer at most timeoutMs; one that has not ended by then is
// cancelled and waited for until it has.
bool awaitTransfer(HANDLE handle, OVERLAPPED& overlapped, BOOL completed, DWORD timeoutMs, DWORD& transferred) {
  if (!completed && GetLastError() != ERROR_IO_PENDING) return false;
  const DWORD waited = WaitForSingleObject(overlapped.hEvent, timeoutMs);
  if (waited == WAIT_OBJECT_0) return GetOverlappedResult(handle, &overlapped, &transferred, FALSE) != FALSE;
  const DWORD error = waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError();
  CancelIoEx(handle, &overlapped);
  // A transfer that completed just before the cancel still counts.
  if (GetOverlappedResult(handle, &overlapped, &transferred, TRUE)) return true;
  SetLastError(error);
  return false;
}

template <typename Start>
bool transferWithin(HANDLE handle, DWORD timeoutMs, DWORD& transferred, Start start) {
  transferred = 0;
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (overlapped.hEvent == nullptr) return false;
  const bool done = awaitTransfer(handle, overlapped, start(&overlapped), timeoutMs, transferred);
  const DWORD error = GetLastError();
  CloseHandle(overlapped.hEvent);
  SetLastError(error);
  return done;
}

}  // namespace

bool writeWithin(HANDLE handle, const void* bytes, DWORD length, DWORD timeoutMs, DWORD& transferred) {
  return transferWithin(handle, timeoutMs, transferred,
                        [&](OVERLAPPED* overlapped) { return WriteFile(handle, bytes, length, nullptr, overlapped); });
}

bool readWithin(HANDLE handle, void* bytes, DWORD length, DWORD timeoutMs, DWORD& transferred) {
  return transferWithin(handle, timeoutMs, transferred,
                        [&](OVERLAPPED* overlapped) { return ReadFile(handle, bytes, length, nullptr, overlapped); });
}

}  // namespace win32
