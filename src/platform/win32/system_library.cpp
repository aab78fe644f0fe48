#include "platform/win32/system_library.h"

namespace win32 {

void restrictDllSearchToSystem() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

HMODULE loadSystemLibrary(const wchar_t* name) { return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); }

}  // namespace win32
