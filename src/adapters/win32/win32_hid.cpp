// HID transport over SetupAPI, the HID class driver and overlapped file I/O with a bound.
#include "adapters/win32/win32_hid.h"

#include <windows.h>
#include <setupapi.h>

#include <cwchar>

#include "adapters/win32/bounded_io.h"
#include "adapters/win32/hid_library.h"

namespace win32 {
namespace {

using hid::Handle;

HANDLE toWin32(Handle handle) { return reinterpret_cast<HANDLE>(handle); }

// The interface's path, or false when the platform cannot describe it.
bool interfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interfaceData, std::wstring& path) {
  constexpr DWORD kHeaderBytes = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  DWORD requiredBytes = 0;
  SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &requiredBytes, nullptr);
  if (requiredBytes < kHeaderBytes) return false;

  std::vector<std::uint8_t> buffer(requiredBytes);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
  detail->cbSize = kHeaderBytes;
  if (!SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, requiredBytes, nullptr, nullptr)) return false;

  // The path ends at its terminator or at the end of the buffer, whichever comes first.
  std::size_t maxChars = (requiredBytes - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
  path.assign(detail->DevicePath, wcsnlen(detail->DevicePath, maxChars));
  return true;
}

}  // namespace

bool UsbBus::listInterfaces(std::vector<std::wstring>& paths) {
  paths.clear();
  GUID hidClass;
  if (!hidInterfaceClass(hidClass)) return fail();
  HDEVINFO set = SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return fail();

  SP_DEVICE_INTERFACE_DATA interfaceData{};
  interfaceData.cbSize = sizeof(interfaceData);
  for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &interfaceData); ++index) {
    std::wstring path;
    if (interfacePath(set, interfaceData, path)) paths.push_back(std::move(path));
  }
  SetupDiDestroyDeviceInfoList(set);
  return true;
}

Handle UsbBus::openInterface(const std::wstring& path) {
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) fail();
  return reinterpret_cast<Handle>(handle);
}

bool UsbBus::readAttributes(Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  const HidLibrary* library = hidLibrary();
  if (library == nullptr) return fail();
  HidAttributes attributes{};
  attributes.size = sizeof(attributes);
  if (!library->getAttributes(toWin32(handle), &attributes)) return fail();
  vendorId = attributes.vendorId;
  productId = attributes.productId;
  return true;
}

bool UsbBus::readReportLengths(Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  const HidLibrary* library = hidLibrary();
  if (library == nullptr) return fail();
  PreparsedData preparsed = nullptr;
  if (!library->getPreparsedData(toWin32(handle), &preparsed)) return fail();
  HidCaps caps{};
  bool known = library->getCaps(preparsed, &caps) == kHidpStatusSuccess;
  library->freePreparsedData(preparsed);
  if (!known) return fail();
  outputLength = caps.outputReportByteLength;
  inputLength = caps.inputReportByteLength;
  return true;
}

bool UsbBus::writeReport(Handle handle, const std::uint8_t* bytes, std::size_t length) {
  DWORD written = 0;
  if (!writeWithin(toWin32(handle), bytes, static_cast<DWORD>(length), hid::kReportTimeoutMs, written) ||
      written != length) {
    return fail();
  }
  return true;
}

bool UsbBus::readReport(Handle handle, std::uint8_t* bytes, std::size_t length) {
  DWORD read = 0;
  return readWithin(toWin32(handle), bytes, static_cast<DWORD>(length), hid::kReportTimeoutMs, read) || fail();
}

void UsbBus::closeInterface(Handle handle) { CloseHandle(toWin32(handle)); }

hid::Transport UsbBus::transport() { return hid::transportOf(*this); }

bool UsbBus::fail() {
  lastError_ = GetLastError();
  return false;
}

}  // namespace win32
