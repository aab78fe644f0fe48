#pragma once
// What the stand-in HID bus's server and its clients (the stand-in setupapi.dll and hid.dll
// inside the product, and the test) say to each other over the server's control pipe.
// Each device the server serves is a message-mode named pipe: one write from the program is
// one output report, one read one input report.
#include <windows.h>

#include <cstdint>

namespace stand_in {

const wchar_t* const kControlPipe = L"\\\\.\\pipe\\stand-in-bus";
// The n-th device's pipe is this name followed by n.
const wchar_t* const kDevicePipePrefix = L"\\\\.\\pipe\\stand-in-bus-device-";
constexpr std::size_t kPathChars = 64;

// Requests are one byte.
constexpr std::uint8_t kListDevices = 'L';
// The answer to kFinalReport ends the server: its flash, then every request it was sent.
constexpr std::uint8_t kFinalReport = 'F';

// The answer to kListDevices is an array of these, in the bus's enumeration order.
struct DeviceDescription {
  wchar_t path[kPathChars];  // the device's pipe
  std::uint8_t attributesReadable;
  std::uint8_t capsReadable;
  std::uint16_t vendorId;
  std::uint16_t productId;
  std::uint16_t outputReportLength;
  std::uint16_t inputReportLength;
};

// The final report: the flash of the bus's first unit (kFlashSize bytes, empty without a
// unit), then each logged request as a 16-bit little-endian length and its bytes.

// Sends one request to the control pipe and reads the answer into answer; the answer's
// length, or -1 when the server does not answer.
int askServer(std::uint8_t request, void* answer, DWORD capacity);

}  // namespace stand_in
