#pragma once
// The HID transport over WebHID, in the worker: the devices the user granted this page, each
// under a path of its own. The WebHID calls themselves are the worker script's (webhid.js).
#include <cstdint>
#include <string>
#include <vector>

#include "seams/hid_transport.h"

namespace web {

class WebHidBus {
 public:
  bool listInterfaces(std::vector<std::wstring>& paths);
  hid::Handle openInterface(const std::wstring& path);
  bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId);
  bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength);
  bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length);
  bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length);
  void closeInterface(hid::Handle handle);
  std::uint32_t lastError() const { return lastError_; }
  // The browser's own words for the last failure, where it threw an exception: its name and
  // message, e.g. "NotAllowedError: Failed to open the device.". Empty for a failure of the
  // transport's own (a timeout, a device gone).
  const std::string& lastErrorWords() const { return lastErrorWords_; }

  hid::Transport transport() { return hid::transportOf(*this); }

 private:
  // The script's calls return 0 or the platform's error code of the failure.
  bool succeeded(int error);
  std::uint32_t lastError_ = 0;
  std::string lastErrorWords_;
};

}  // namespace web
