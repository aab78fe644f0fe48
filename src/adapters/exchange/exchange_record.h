#pragma once
// A transport that passes every call on to another one and writes it, with its
// results, to an exchange file (see exchange_file.h): the report of a run, with the
// front end's events and the outcome it tells.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "adapters/exchange/exchange_file.h"
#include "adapters/exchange/json_line.h"
#include "adapters/exchange/report_sink.h"
#include "seams/hid_transport.h"

namespace record {

// The facts a report begins with. Nothing of the user's: no paths of files, no user or host
// name. Empty fields are left out, an empty imageSha256 is null (a program without an image).
struct Run {
  std::string frontEnd;         // e.g. spindra-update
  std::string frontEndVersion;
  std::string imageVersion;
  std::string imageSha256;
  std::string language;         // en, de
  std::string os;               // e.g. Linux 6.1.0
  std::string browser;          // the page's alone
  std::string browserVersion;
  std::string started;          // UTC, e.g. 2026-12-10T19:31:05Z
};

jsonl::Object runFields(const Run& run);

// What every program tells of its own run: its name, its version, which is that of the image
// it carries, and that image's SHA-256 (empty without one). The rest is the front end's.
Run programRun(const std::string& frontEnd);
std::string carriedImageSha256();

// The system's own words for an error code of the transport, e.g. strerror's.
using PlatformWords = std::string (*)(std::uint32_t error);

class Recorder {
 public:
  Recorder() = default;
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;
  ~Recorder() { finish(); }

  // Stands in front of inner and writes the report to sink; both must outlive the recording.
  void start(Sink& sink, const hid::Transport& inner, const Run& run = {});

  // The same into a file it creates. False when the file cannot be created, with errno
  // telling why. Without replace, an existing file is left alone and start fails with errno
  // EEXIST.
  bool start(const std::string& path, const hid::Transport& inner, bool replace = true, const Run& run = {});

  // From now on every call goes on to inner, in the same report: the transport changed while
  // the run goes on (a page that takes the unit over from another tab).
  void passTo(const hid::Transport& inner) { inner_ = inner; }

  // From now on a call that failed carries these words beside its error code, where there are
  // any.
  void describeErrorsWith(PlatformWords words) { words_ = words; }

  // What the front end saw or was told: an arrival, a removal, a press, an answer to a box.
  void event(const char* name, const jsonl::Object& fields);

  // The last line: how the run ended.
  void outcome(const jsonl::Object& fields);

  // That line as it would be written now, without writing it: for a front end that hands the
  // report over while the run goes on.
  jsonl::Object outcomeLine(const jsonl::Object& fields) const;

  // Closes the sink; false when any line could not be written.
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

  FileSink file_;
  Sink* sink_ = nullptr;
  PlatformWords words_ = nullptr;
  hid::Transport inner_{};
  Clock::time_point start_;
  bool lineLost_ = false;
};

}  // namespace record
