#pragma once
// An exchange file or report (see exchange_file.h) read into the calls it records, with
// the run, the front end's events and the outcome where it has them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "adapters/exchange/exchange_file.h"
#include "adapters/exchange/json_line.h"
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

struct Event {
  std::size_t line = 0;
  jsonl::Object fields;  // as written, "ms" and "op" included
};

struct Recording {
  int version = exchangefile::kVersion;
  jsonl::Object run;      // null in a version 1 file
  std::vector<Call> calls;
  std::vector<Event> events;
  jsonl::Object outcome;  // null when the file has none (version 1, or cut off)
  std::vector<std::string> warnings;  // what was left out, e.g. a last line cut off by a crash
};

// Reads and checks the whole file. False with a message naming the line for a file that
// cannot be read or is not an exchange file.
bool readRecording(const std::string& path, Recording& recording, std::string& error);

}  // namespace replay
