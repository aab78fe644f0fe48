#include "adapters/win32/common_controls.h"

#include "adapters/win32/system_library.h"

namespace win32 {

void initCommonControls() {
  HMODULE comctl32 = loadSystemLibrary(L"comctl32.dll");
  if (comctl32 == nullptr) return;
  void(WINAPI * init)() = nullptr;
  if (resolve(comctl32, "InitCommonControls", init)) init();
}

}  // namespace win32
