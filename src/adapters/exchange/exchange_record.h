#pragma once
// A transport that passes every call on to another one and writes it, with its
// results, to an exchange file (see exchange_file.h).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "adapters/exchange/exchange_file.h"
#include "adapters/exchange/json_line.h"
#include "seams/hid_transport.h"

namespace record {

class Recorder {
 public:
  Recorder() = default;
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;
  ~Recorder() { finish(); }

  // Creates the file and stands in front of inner, which must outlive the recording. False
  // when the file cannot be created, with errno telling why.
  // Without replace, an existing file is left alone and start fails with errno EEXIST.
  bool start(const std::string& path, const hid::Transport& inner, bool replace = true);

  // Closes the file; false when any line could not be written.
  bool finish();

  // The operations of the hid:: seam: each passed on to inner, then written down.
  bool listInterfaces(std::vector<std::wstring>& paths);
  hid::Handle openInterface(const std::wstring& path);
  bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId);
  bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength);
  bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length);
  bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length);
  void closeInterface(hid::Handle handle);
  std::uint32_t lastError() const;

  // Reaches what inner reaches: a recording of the simulated unit is still a stand-in.
  hid::Transport transport();

 private:
  using Clock = std::chrono::steady_clock;

  jsonl::Object entry(const char* op) const;
  void write(const jsonl::Object& line);
  void emit(exchangefile::Operation operation, const jsonl::Object& fields);

  std::FILE* file_ = nullptr;
  hid::Transport inner_{};
  Clock::time_point start_;
  bool lineLost_ = false;
};

}  // namespace record
