#include "platform/win32/hid_library.h"

#include <optional>

namespace win32 {

namespace {

template <typename Function>
bool resolve(HMODULE module, const char* name, Function& function) {
  FARPROC address = GetProcAddress(module, name);
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  return address != nullptr;
}

std::optional<HidLibrary> loadHidLibrary() {
  HMODULE module = LoadLibraryExW(L"hid.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return std::nullopt;
  HidLibrary library{};
  bool complete = resolve(module, "HidD_GetHidGuid", library.getHidGuid) &&
                  resolve(module, "HidD_GetAttributes", library.getAttributes) &&
                  resolve(module, "HidD_GetPreparsedData", library.getPreparsedData) &&
                  resolve(module, "HidD_FreePreparsedData", library.freePreparsedData) &&
                  resolve(module, "HidP_GetCaps", library.getCaps);
  if (!complete) {
    FreeLibrary(module);
    return std::nullopt;
  }
  return library;
}

}  // namespace

const HidLibrary* hidLibrary() {
  static const std::optional<HidLibrary> library = loadHidLibrary();
  return library ? &*library : nullptr;
}

bool hidInterfaceClass(GUID& guid) {
  const HidLibrary* hid = hidLibrary();
  if (hid == nullptr) return false;
  hid->getHidGuid(&guid);
  return true;
}

}  // namespace win32
