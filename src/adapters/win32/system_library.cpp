#include "adapters/win32/system_library.h"

namespace win32 {

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Looked up at run time: a Windows 7 without the search-path update has no such export, and
// a program importing it would not start there. That update also brings the search flags.
SetDefaultDllDirectoriesFunction setDefaultDllDirectories() {
  static const SetDefaultDllDirectoriesFunction function = [] {
    SetDefaultDllDirectoriesFunction found = nullptr;
    resolve(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories", found);
    return found;
  }();
  return function;
}

}  // namespace

void restrictDllSearchToSystem() {
  if (SetDefaultDllDirectoriesFunction limitSearch = setDefaultDllDirectories()) {
    limitSearch(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return;
  }
  SetDllDirectoryW(L"");
}

HMODULE loadSystemLibrary(const wchar_t* name) {
  if (setDefaultDllDirectories() == nullptr) return loadSystemLibraryByPath(name);
  return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::wstring systemLibraryPath(const wchar_t* name) {
  wchar_t directory[MAX_PATH];
  const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(directory, length) + L"\\" + name;
}

HMODULE loadSystemLibraryByPath(const wchar_t* name) {
  const std::wstring path = systemLibraryPath(name);
  if (path.empty()) return nullptr;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace win32
