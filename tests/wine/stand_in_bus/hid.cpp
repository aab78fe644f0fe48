// Stand-in hid.dll: attributes and capabilities of the stand-in bus's devices, found by the
// pipe an open handle names. The preparsed data is the device's description.
#include <windows.h>
extern "C" {  // the headers declare C functions without saying so
#include <hidsdi.h>  // brings hidusage.h and hidpi.h in the order they need
}

#include "device_list.h"

namespace {

stand_in::DeviceDescription* descriptionOf(PHIDP_PREPARSED_DATA preparsed) {
  return reinterpret_cast<stand_in::DeviceDescription*>(preparsed);
}

}  // namespace

extern "C" {

__declspec(dllexport) void NTAPI HidD_GetHidGuid(LPGUID guid) { *guid = stand_in::kHidInterfaceClass; }

__declspec(dllexport) BOOLEAN NTAPI HidD_GetAttributes(HANDLE handle, PHIDD_ATTRIBUTES attributes) {
  stand_in::DeviceDescription device;
  if (!stand_in::deviceOfHandle(handle, device) || !device.attributesReadable) return FALSE;
  attributes->VendorID = device.vendorId;
  attributes->ProductID = device.productId;
  attributes->VersionNumber = 0;
  return TRUE;
}

__declspec(dllexport) BOOLEAN NTAPI HidD_GetPreparsedData(HANDLE handle, PHIDP_PREPARSED_DATA* preparsed) {
  stand_in::DeviceDescription device;
  if (!stand_in::deviceOfHandle(handle, device) || !device.capsReadable) return FALSE;
  *preparsed = reinterpret_cast<PHIDP_PREPARSED_DATA>(new stand_in::DeviceDescription(device));
  return TRUE;
}

__declspec(dllexport) BOOLEAN NTAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA preparsed) {
  delete descriptionOf(preparsed);
  return TRUE;
}

__declspec(dllexport) NTSTATUS NTAPI HidP_GetCaps(PHIDP_PREPARSED_DATA preparsed, PHIDP_CAPS caps) {
  *caps = HIDP_CAPS{};
  caps->OutputReportByteLength = descriptionOf(preparsed)->outputReportLength;
  caps->InputReportByteLength = descriptionOf(preparsed)->inputReportLength;
  return HIDP_STATUS_SUCCESS;
}

}  // extern "C"
