#pragma once
// The real USB bus as the hid:: seam's transport: SetupAPI lists the interfaces, hid.dll
// describes them, overlapped file I/O with a bound carries the reports.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "seams/hid_transport.h"

namespace win32 {

// The error code of a failed call is taken from the system as the call fails, so whatever
// the program does before it asks for the code (pauses, windows) cannot change it.
class UsbBus {
 public:
  bool listInterfaces(std::vector<std::wstring>& paths);
  hid::Handle openInterface(const std::wstring& path);
  bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId);
  bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength);
  bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length);
  bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length);
  void closeInterface(hid::Handle handle);
  std::uint32_t lastError() const { return lastError_; }

  hid::Transport transport();

 private:
  bool fail();

  std::uint32_t lastError_ = 0;
};

}  // namespace win32
