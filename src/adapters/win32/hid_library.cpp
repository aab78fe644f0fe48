#include "adapters/win32/hid_library.h"

#include <optional>

#include "adapters/win32/system_library.h"

namespace win32 {

namespace {

std::optional<HidLibrary> loadHidLibrary() {
  HMODULE module = loadSystemLibrary(L"hid.dll");
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
