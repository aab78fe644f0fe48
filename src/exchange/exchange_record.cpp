#include "exchange/exchange_record.h"

#include <chrono>
#include <cstdio>

#include "exchange/exchange_file.h"
#include "exchange/hex_text.h"
#include "exchange/json_line.h"
#include "text/format_text.h"

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

jsonl::LineWriter entry(const char* op) {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - recorder().start);
  jsonl::LineWriter line;
  line.integer("ms", elapsed.count()).text("op", op);
  return line;
}

// Each line is flushed at once, so an interrupted run still leaves every call it made.
void emit(jsonl::LineWriter& line) {
  Recorder& r = recorder();
  line.integer("error", r.inner.lastError());
  const std::string text = line.line() + "\n";
  if (!r.file || std::fputs(text.c_str(), r.file) == EOF || std::fflush(r.file) != 0) r.lineLost = true;
}

bool listInterfaces(std::vector<std::wstring>& paths) {
  const bool ok = recorder().inner.listInterfaces(paths);
  std::vector<std::string> utf8;
  for (const std::wstring& path : paths) utf8.push_back(wideToUtf8(path));
  jsonl::LineWriter line = entry(exchangefile::kList);
  emit(line.boolean("ok", ok).texts("paths", ok ? utf8 : std::vector<std::string>{}));
  return ok;
}

hid::Handle openInterface(const std::wstring& path) {
  const hid::Handle handle = recorder().inner.openInterface(path);
  jsonl::LineWriter line = entry(exchangefile::kOpen);
  emit(line.text("path", wideToUtf8(path)).integer("handle", handle));
  return handle;
}

bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  const bool ok = recorder().inner.readAttributes(handle, vendorId, productId);
  jsonl::LineWriter line = entry(exchangefile::kAttributes);
  line.integer("handle", handle).boolean("ok", ok);
  if (ok) line.integer("vendor", vendorId).integer("product", productId);
  emit(line);
  return ok;
}

bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  const bool ok = recorder().inner.readReportLengths(handle, outputLength, inputLength);
  jsonl::LineWriter line = entry(exchangefile::kLengths);
  line.integer("handle", handle).boolean("ok", ok);
  if (ok) line.integer("output", outputLength).integer("input", inputLength);
  emit(line);
  return ok;
}

bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length) {
  const bool ok = recorder().inner.writeReport(handle, bytes, length);
  jsonl::LineWriter line = entry(exchangefile::kWrite);
  emit(line.integer("handle", handle).boolean("ok", ok).text("data", hextext::fromBytes(bytes, length)));
  return ok;
}

bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length) {
  const bool ok = recorder().inner.readReport(handle, bytes, length);
  jsonl::LineWriter line = entry(exchangefile::kRead);
  line.integer("handle", handle).integer("length", static_cast<std::int64_t>(length)).boolean("ok", ok);
  if (ok) line.text("data", hextext::fromBytes(bytes, length));
  emit(line);
  return ok;
}

void closeInterface(hid::Handle handle) {
  recorder().inner.closeInterface(handle);
  jsonl::LineWriter line = entry(exchangefile::kClose);
  emit(line.integer("handle", handle));
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
  jsonl::LineWriter line = entry(exchangefile::kBegin);
  line.text("format", exchangefile::kFormat).integer("version", exchangefile::kVersion);
  const std::string text = line.line() + "\n";
  r.lineLost = std::fputs(text.c_str(), r.file) == EOF || std::fflush(r.file) != 0;
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
