#pragma once
// Transfers on a handle opened with FILE_FLAG_OVERLAPPED that wait at most a bound, so a
// device that never completes one cannot hold the program.
#include <windows.h>

namespace win32 {

// Writes / reads up to length bytes. False when the transfer fails or has not completed
// within timeoutMs, then with ERROR_TIMEOUT as the last error. Either way the transfer has
// ended on return: the system no longer touches the buffer.
bool writeWithin(HANDLE handle, const void* bytes, DWORD length, DWORD timeoutMs, DWORD& transferred);
bool readWithin(HANDLE handle, void* bytes, DWORD length, DWORD timeoutMs, DWORD& transferred);

}  // namespace win32
