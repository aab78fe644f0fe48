#pragma once
// Transfers on a handle opened with FILE_FLAG_OVERLAPPED that wait at most a bound, so a
// device that never completes one cannot hold the program.
#include <windows.h>

namespace win32 {

// Writes / reads up to length bytes. False when the transfer fails or has not completed
// within timeoutMs, then with ERROR_TIMEOUT as the last error. The system never gets the
// caller's buffer: the transfer runs on storage of its own and a read is copied out once it
// has completed. A transfer cancelled at the bound is waited for a few seconds more; one the
// driver never ends keeps its storage for the rest of the process.
bool writeWithin(HANDLE handle, const void* bytes, DWORD length, DWORD timeoutMs, DWORD& transferred);
bool readWithin(HANDLE handle, void* bytes, DWORD length, DWORD timeoutMs, DWORD& transferred);

}  // namespace win32
