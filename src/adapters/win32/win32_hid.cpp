// HID transport over SetupAPI, the HID class driver and overlapped file I/O with a bound.
#include "adapters/win32/win32_hid.h"

#include <windows.h>
#include <setupapi.h>

#include <cwchar>
#include <vector>

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

bool listInterfaces(std::vector<std::wstring>& paths) {
  paths.clear();
  GUID hidClass;
  if (!hidInterfaceClass(hidClass)) return false;
  HDEVINFO set = SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return false;

  SP_DEVICE_INTERFACE_DATA interfaceData{};
  interfaceData.cbSize = sizeof(interfaceData);
  for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &interfaceData); ++index) {
    std::wstring path;
    if (interfacePath(set, interfaceData, path)) paths.push_back(std::move(path));
  }
  SetupDiDestroyDeviceInfoList(set);
  return true;
}

Handle openInterface(const std::wstring& path) {
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  return reinterpret_cast<Handle>(handle);
}

bool readAttributes(Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  const HidLibrary* library = hidLibrary();
  if (library == nullptr) return false;
  HidAttributes attributes{};
  attributes.size = sizeof(attributes);
  if (!library->getAttributes(toWin32(handle), &attributes)) return false;
  vendorId = attributes.vendorId;
  productId = attributes.productId;
  return true;
}

bool readReportLengths(Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  const HidLibrary* library = hidLibrary();
  if (library == nullptr) return false;
  PreparsedData preparsed = nullptr;
  if (!library->getPreparsedData(toWin32(handle), &preparsed)) return false;
  HidCaps caps{};
  bool known = library->getCaps(preparsed, &caps) == kHidpStatusSuccess;
  library->freePreparsedData(preparsed);
  if (!known) return false;
  outputLength = caps.outputReportByteLength;
  inputLength = caps.inputReportByteLength;
  return true;
}

bool writeReport(Handle handle, const std::uint8_t* bytes, std::size_t length) {
  DWORD written = 0;
  return writeWithin(toWin32(handle), bytes, static_cast<DWORD>(length), hid::kReportTimeoutMs, written) &&
         written == length;
}

bool readReport(Handle handle, std::uint8_t* bytes, std::size_t length) {
  DWORD read = 0;
  return readWithin(toWin32(handle), bytes, static_cast<DWORD>(length), hid::kReportTimeoutMs, read);
}

void closeInterface(Handle handle) { CloseHandle(toWin32(handle)); }

std::uint32_t lastError() { return GetLastError(); }

const hid::Transport kUsbBus{listInterfaces, openInterface,  readAttributes, readReportLengths,
                             writeReport,    readReport,     closeInterface, lastError};

}  // namespace

const hid::Transport& hidTransport() { return kUsbBus; }

}  // namespace win32
