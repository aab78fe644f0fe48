#pragma once
// An exchange file (see exchange_file.h) read into the list of calls it records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "adapters/exchange/exchange_file.h"
#include "seams/hid_transport.h"

namespace replay {

struct Call {
  exchangefile::Operation operation = exchangefile::Operation::List;
  std::size_t line = 0;
  hid::Handle handle = hid::kInvalidHandle;
  bool ok = false;
  std::uint32_t error = 0;
  std::vector<std::wstring> paths;       // list
  std::wstring path;                     // open
  std::uint16_t vendorId = 0;            // attributes
  std::uint16_t productId = 0;
  std::uint32_t outputLength = 0;        // lengths
  std::uint32_t inputLength = 0;
  std::uint32_t length = 0;              // read
  std::vector<std::uint8_t> data;        // write: the request; read: the reply
};

// Reads and checks the whole file. False with a message naming the line for a file that
// cannot be read or is not an exchange file.
bool readRecordedCalls(const std::string& path, std::vector<Call>& calls, std::string& error);

}  // namespace replay
