// Stand-in setupapi.dll: the HID device interfaces are the stand-in bus's devices, each
// with its pipe as the device path. Other interface classes are empty.
#define _SETUPAPI_  // these are the definitions, not imports
#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <cstring>
#include <cwchar>

#include "device_list.h"

namespace {

struct InterfaceSet {
  std::vector<stand_in::DeviceDescription> devices;
};

InterfaceSet* setOf(HDEVINFO handle) { return static_cast<InterfaceSet*>(handle); }

}  // namespace

extern "C" {

__declspec(dllexport) HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* interfaceClass, PCWSTR, HWND, DWORD flags) {
  auto* set = new InterfaceSet;
  const bool hidInterfaces = interfaceClass != nullptr && (flags & DIGCF_DEVICEINTERFACE) &&
                             IsEqualGUID(*interfaceClass, stand_in::kHidInterfaceClass);
  if (hidInterfaces && !stand_in::listDevices(set->devices)) {
    delete set;
    SetLastError(ERROR_NOT_READY);
    return INVALID_HANDLE_VALUE;
  }
  return set;
}

__declspec(dllexport) BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA, const GUID* interfaceClass, DWORD index,
                                        PSP_DEVICE_INTERFACE_DATA data) {
  if (data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  if (index >= setOf(handle)->devices.size()) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  data->InterfaceClassGuid = *interfaceClass;
  data->Flags = SPINT_ACTIVE;
  data->Reserved = index;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailBytes,
                                             PDWORD requiredBytes, PSP_DEVINFO_DATA) {
  const wchar_t* path = setOf(handle)->devices.at(data->Reserved).path;
  const DWORD needed =
      static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + (std::wcslen(path) + 1) * 2);
  if (requiredBytes != nullptr) *requiredBytes = needed;
  if (detail == nullptr || detailBytes < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  std::memcpy(detail->DevicePath, path, (std::wcslen(path) + 1) * sizeof(wchar_t));
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
  delete setOf(handle);
  return TRUE;
}

}  // extern "C"
