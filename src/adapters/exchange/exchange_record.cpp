#include "adapters/exchange/exchange_record.h"

#include "base/format_text.h"
#include "base/hex_text.h"

namespace record {

using exchangefile::Operation;

bool Recorder::start(const std::string& path, const hid::Transport& inner, bool replace) {
  finish();
  inner_ = inner;
  lineLost_ = false;
  start_ = Clock::now();
  file_ = std::fopen(path.c_str(), replace ? "we" : "wxe");
  if (!file_) return false;
  jsonl::Object line = entry(exchangefile::kBegin);
  line.update({{"format", exchangefile::kFormat}, {"version", exchangefile::kVersion}});
  write(line);
  return true;
}

bool Recorder::finish() {
  if (!file_) return !lineLost_;
  if (std::fclose(file_) != 0) lineLost_ = true;
  file_ = nullptr;
  return !lineLost_;
}

bool Recorder::listInterfaces(std::vector<std::wstring>& paths) {
  const bool ok = inner_.listInterfaces(paths);
  std::vector<std::string> utf8;
  if (ok) {
    for (const std::wstring& path : paths) utf8.push_back(wideToUtf8(path));
  }
  emit(Operation::List, {{"ok", ok}, {"paths", utf8}});
  return ok;
}

hid::Handle Recorder::openInterface(const std::wstring& path) {
  const hid::Handle handle = inner_.openInterface(path);
  emit(Operation::Open, {{"path", wideToUtf8(path)}, {"handle", handle}});
  return handle;
}

bool Recorder::readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  const bool ok = inner_.readAttributes(handle, vendorId, productId);
  jsonl::Object fields = {{"handle", handle}, {"ok", ok}};
  if (ok) fields.update({{"vendor", vendorId}, {"product", productId}});
  emit(Operation::Attributes, fields);
  return ok;
}

bool Recorder::readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  const bool ok = inner_.readReportLengths(handle, outputLength, inputLength);
  jsonl::Object fields = {{"handle", handle}, {"ok", ok}};
  if (ok) fields.update({{"output", outputLength}, {"input", inputLength}});
  emit(Operation::Lengths, fields);
  return ok;
}

bool Recorder::writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length) {
  const bool ok = inner_.writeReport(handle, bytes, length);
  emit(Operation::Write, {{"handle", handle}, {"ok", ok}, {"data", hextext::fromBytes(bytes, length)}});
  return ok;
}

bool Recorder::readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length) {
  const bool ok = inner_.readReport(handle, bytes, length);
  jsonl::Object fields = {{"handle", handle}, {"length", length}, {"ok", ok}};
  if (ok) fields["data"] = hextext::fromBytes(bytes, length);
  emit(Operation::Read, fields);
  return ok;
}

void Recorder::closeInterface(hid::Handle handle) {
  inner_.closeInterface(handle);
  emit(Operation::Close, {{"handle", handle}});
}

std::uint32_t Recorder::lastError() const { return inner_.lastError(); }

hid::Transport Recorder::transport() { return hid::transportOf(*this, inner_.reach); }

jsonl::Object Recorder::entry(const char* op) const {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_);
  return {{"ms", elapsed.count()}, {"op", op}};
}

// Each line is flushed at once, so an interrupted run still leaves every call it made.
void Recorder::write(const jsonl::Object& line) {
  const std::string text = jsonl::line(line) + "\n";
  if (!file_ || std::fputs(text.c_str(), file_) == EOF || std::fflush(file_) != 0) lineLost_ = true;
}

// One call: when and which, its arguments and results in order, then the transport's last error.
void Recorder::emit(Operation operation, const jsonl::Object& fields) {
  jsonl::Object line = entry(exchangefile::nameOf(operation));
  line.update(fields);
  line["error"] = inner_.lastError();
  write(line);
}

}  // namespace record
