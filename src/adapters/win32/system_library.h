#pragma once
// DLLs the program loads come from the system directory only: a DLL of the same name planted
// beside a downloaded program, or in the current directory, is never taken.
#include <windows.h>

#include <string>

namespace win32 {

// Limits every later DLL search of the process, the system's own loads included, to the
// system directory. The entry calls it before anything else. A Windows 7 without the
// search-path update lacks that limit; there at least the current directory leaves the search.
void restrictDllSearchToSystem();

// The named DLL from the system directory, or null: through the system-directory search flag
// where the system has it, by full path otherwise.
HMODULE loadSystemLibrary(const wchar_t* name);

// The named DLL's full path in the system directory; empty when that directory is unknown.
std::wstring systemLibraryPath(const wchar_t* name);
// Loads the DLL at that path, its own dependencies searched from there first; null on failure.
HMODULE loadSystemLibraryByPath(const wchar_t* name);

// Looks up an export as a typed function pointer; false, with function null, when missing.
template <typename Function>
bool resolve(HMODULE module, const char* name, Function& function) {
  FARPROC address = GetProcAddress(module, name);
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  return address != nullptr;
}

}  // namespace win32
