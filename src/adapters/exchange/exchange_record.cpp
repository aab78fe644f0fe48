#include "adapters/exchange/exchange_record.h"

#include <chrono>
#include <cstdio>

#include "adapters/exchange/exchange_file.h"
#include "base/hex_text.h"
#include "adapters/exchange/json_line.h"
#include "base/format_text.h"

namespace record {
namespace {

using Clock = std::chrono::steady_clock;

struct Recorder {
  std::FILE* file = nullptr;
  hid::Transport inner{};
  Clock::time_point start;
  bool lineLost = false;
};

Recorder& recorder() {
  static Recorder instance;
  return instance;
}

jsonl::Object entry(const char* op) {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - recorder().start);
  return {{"ms", elapsed.count()}, {"op", op}};
}

// Each line is flushed at once, so an interrupted run still leaves every call it made.
void write(const jsonl::Object& line) {
  Recorder& r = recorder();
  const std::string text = jsonl::line(line) + "\n";
  if (!r.file || std::fputs(text.c_str(), r.file) == EOF || std::fflush(r.file) != 0) r.lineLost = true;
}

// One call: when and which, its arguments and results in order, then the transport's last error.
void emit(const char* op, const jsonl::Object& fields) {
  jsonl::Object line = entry(op);
  line.update(fields);
  line["error"] = recorder().inner.lastError();
  write(line);
}

bool listInterfaces(std::vector<std::wstring>& paths) {
  const bool ok = recorder().inner.listInterfaces(paths);
  std::vector<std::string> utf8;
  if (ok) {
    for (const std::wstring& path : paths) utf8.push_back(wideToUtf8(path));
  }
  emit(exchangefile::kList, {{"ok", ok}, {"paths", utf8}});
  return ok;
}

hid::Handle openInterface(const std::wstring& path) {
  const hid::Handle handle = recorder().inner.openInterface(path);
  emit(exchangefile::kOpen, {{"path", wideToUtf8(path)}, {"handle", handle}});
  return handle;
}

bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  const bool ok = recorder().inner.readAttributes(handle, vendorId, productId);
  jsonl::Object fields = {{"handle", handle}, {"ok", ok}};
  if (ok) fields.update({{"vendor", vendorId}, {"product", productId}});
  emit(exchangefile::kAttributes, fields);
  return ok;
}

bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  const bool ok = recorder().inner.readReportLengths(handle, outputLength, inputLength);
  jsonl::Object fields = {{"handle", handle}, {"ok", ok}};
  if (ok) fields.update({{"output", outputLength}, {"input", inputLength}});
  emit(exchangefile::kLengths, fields);
  return ok;
}

bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length) {
  const bool ok = recorder().inner.writeReport(handle, bytes, length);
  emit(exchangefile::kWrite, {{"handle", handle}, {"ok", ok}, {"data", hextext::fromBytes(bytes, length)}});
  return ok;
}

bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length) {
  const bool ok = recorder().inner.readReport(handle, bytes, length);
  jsonl::Object fields = {{"handle", handle}, {"length", length}, {"ok", ok}};
  if (ok) fields["data"] = hextext::fromBytes(bytes, length);
  emit(exchangefile::kRead, fields);
  return ok;
}

void closeInterface(hid::Handle handle) {
  recorder().inner.closeInterface(handle);
  emit(exchangefile::kClose, {{"handle", handle}});
}

std::uint32_t lastError() { return recorder().inner.lastError(); }

const hid::Transport kRecordingTransport{listInterfaces, openInterface, readAttributes, readReportLengths,
                                           writeReport,    readReport,    closeInterface, lastError};

}  // namespace

bool start(const std::string& path, const hid::Transport& inner) {
  finish();
  Recorder& r = recorder();
  r.inner = inner;
  r.lineLost = false;
  r.start = Clock::now();
  r.file = std::fopen(path.c_str(), "we");
  if (!r.file) return false;
  jsonl::Object line = entry(exchangefile::kBegin);
  line.update({{"format", exchangefile::kFormat}, {"version", exchangefile::kVersion}});
  write(line);
  return true;
}

const hid::Transport& transport() { return kRecordingTransport; }

bool finish() {
  Recorder& r = recorder();
  if (!r.file) return !r.lineLost;
  if (std::fclose(r.file) != 0) r.lineLost = true;
  r.file = nullptr;
  return !r.lineLost;
}

}  // namespace record
