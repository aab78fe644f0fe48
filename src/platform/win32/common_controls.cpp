#include "platform/win32/common_controls.h"

#include <windows.h>

namespace win32 {

void initCommonControls() {
  HMODULE comctl32 = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (comctl32 == nullptr) return;
  using InitCommonControlsFunction = void(WINAPI*)();
  auto init = reinterpret_cast<InitCommonControlsFunction>(
      reinterpret_cast<void*>(GetProcAddress(comctl32, "InitCommonControls")));
  if (init != nullptr) init();
}

}  // namespace win32
