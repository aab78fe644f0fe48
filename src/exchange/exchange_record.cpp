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
  hidio::Transport inner{};
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

void emit(jsonl::Object& line) {
  line["error"] = recorder().inner.lastError();
  write(line);
}

bool listInterfaces(std::vector<std::wstring>& paths) {
  const bool ok = recorder().inner.listInterfaces(paths);
  std::vector<std::string> utf8;
  if (ok) {
    for (const std::wstring& path : paths) utf8.push_back(wideToUtf8(path));
  }
  jsonl::Object line = entry(exchangefile::kList);
  line["ok"] = ok;
  line["paths"] = utf8;
  emit(line);
  return ok;
}

hid::Handle openInterface(const std::wstring& path) {
  const hid::Handle handle = recorder().inner.openInterface(path);
  jsonl::Object line = entry(exchangefile::kOpen);
  line["path"] = wideToUtf8(path);
  line["handle"] = handle;
  emit(line);
  return handle;
}

// The start of a line about a call on an open interface.
jsonl::Object entryOn(const char* op, hid::Handle handle) {
  jsonl::Object line = entry(op);
  line["handle"] = handle;
  return line;
}

bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  const bool ok = recorder().inner.readAttributes(handle, vendorId, productId);
  jsonl::Object line = entryOn(exchangefile::kAttributes, handle);
  line["ok"] = ok;
  if (ok) {
    line["vendor"] = vendorId;
    line["product"] = productId;
  }
  emit(line);
  return ok;
}

bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  const bool ok = recorder().inner.readReportLengths(handle, outputLength, inputLength);
  jsonl::Object line = entryOn(exchangefile::kLengths, handle);
  line["ok"] = ok;
  if (ok) {
    line["output"] = outputLength;
    line["input"] = inputLength;
  }
  emit(line);
  return ok;
}

bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length) {
  const bool ok = recorder().inner.writeReport(handle, bytes, length);
  jsonl::Object line = entryOn(exchangefile::kWrite, handle);
  line["ok"] = ok;
  line["data"] = hextext::fromBytes(bytes, length);
  emit(line);
  return ok;
}

bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length) {
  const bool ok = recorder().inner.readReport(handle, bytes, length);
  jsonl::Object line = entryOn(exchangefile::kRead, handle);
  line["length"] = length;
  line["ok"] = ok;
  if (ok) line["data"] = hextext::fromBytes(bytes, length);
  emit(line);
  return ok;
}

void closeInterface(hid::Handle handle) {
  recorder().inner.closeInterface(handle);
  jsonl::Object line = entryOn(exchangefile::kClose, handle);
  emit(line);
}

std::uint32_t lastError() { return recorder().inner.lastError(); }

const hidio::Transport kRecordingTransport{listInterfaces, openInterface, readAttributes, readReportLengths,
                                           writeReport,    readReport,    closeInterface, lastError};

}  // namespace

bool start(const std::string& path, const hidio::Transport& inner) {
  finish();
  Recorder& r = recorder();
  r.inner = inner;
  r.lineLost = false;
  r.start = Clock::now();
  r.file = std::fopen(path.c_str(), "we");
  if (!r.file) return false;
  jsonl::Object line = entry(exchangefile::kBegin);
  line["format"] = exchangefile::kFormat;
  line["version"] = exchangefile::kVersion;
  write(line);
  return true;
}

const hidio::Transport& transport() { return kRecordingTransport; }

bool finish() {
  Recorder& r = recorder();
  if (!r.file) return !r.lineLost;
  if (std::fclose(r.file) != 0) r.lineLost = true;
  r.file = nullptr;
  return !r.lineLost;
}

}  // namespace record
