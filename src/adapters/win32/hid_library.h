#pragma once
// The HID class driver's user-mode functions. hid.dll is loaded from the system directory
// at first use and kept: a static import would let a hid.dll beside the program win.
#include <windows.h>

namespace win32 {

struct HidAttributes {
  ULONG size;
  USHORT vendorId;
  USHORT productId;
  USHORT versionNumber;
};
static_assert(sizeof(HidAttributes) == 12, "layout of HIDD_ATTRIBUTES");

struct HidCaps {
  USHORT usage;
  USHORT usagePage;
  USHORT inputReportByteLength;
  USHORT outputReportByteLength;
  USHORT featureReportByteLength;
  USHORT reserved[17];
  USHORT nodeAndCapsCounts[10];
};
static_assert(sizeof(HidCaps) == 64, "layout of HIDP_CAPS");

using PreparsedData = void*;
constexpr LONG kHidpStatusSuccess = 0x00110000;

struct HidLibrary {
  void(WINAPI* getHidGuid)(GUID*);
  BOOLEAN(WINAPI* getAttributes)(HANDLE, HidAttributes*);
  BOOLEAN(WINAPI* getPreparsedData)(HANDLE, PreparsedData*);
  BOOLEAN(WINAPI* freePreparsedData)(PreparsedData);
  LONG(WINAPI* getCaps)(PreparsedData, HidCaps*);
};

// Null when hid.dll or one of these functions is missing.
const HidLibrary* hidLibrary();

// The device interface class of HID devices; false without hid.dll.
bool hidInterfaceClass(GUID& guid);

}  // namespace win32
