// Stands in for a DLL an attacker plants beside a downloaded program: a process that loads it
// leaves a marker file beside it, named after the DLL ("<name>.loaded"), and ends at once
// with exit code 97.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  if (length != 0 && length < MAX_PATH) {
    const std::wstring marker = std::wstring(path, length) + L".loaded";
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  TerminateProcess(GetCurrentProcess(), 97);
  return FALSE;
}
