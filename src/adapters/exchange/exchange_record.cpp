#include "adapters/exchange/exchange_record.h"

#include "base/format_text.h"
#include "base/hex_text.h"
#include "seams/system.h"
#include "ui/main_window.h"

namespace record {

using exchangefile::Operation;

jsonl::Object runFields(const Run& run) {
  jsonl::Object fields = jsonl::Object::object();
  const auto add = [](jsonl::Object& object, const char* key, const std::string& value) {
    if (!value.empty()) object[key] = value;
  };
  add(fields, "frontEnd", run.frontEnd);
  add(fields, "frontEndVersion", run.frontEndVersion);
  add(fields, "imageVersion", run.imageVersion);
  fields["imageSha256"] = run.imageSha256.empty() ? jsonl::Object(nullptr) : jsonl::Object(run.imageSha256);
  add(fields, "language", run.language);
  jsonl::Object platform = jsonl::Object::object();
  add(platform, "os", run.os);
  add(platform, "browser", run.browser);
  add(platform, "browserVersion", run.browserVersion);
  fields["platform"] = platform;
  add(fields, "started", run.started);
  return fields;
}

Run programRun(const std::string& frontEnd) {
  const std::string version = wideToUtf8(imageVersionText());
  Run run;
  run.frontEnd = frontEnd;
  run.frontEndVersion = version;
  run.imageVersion = version;
  run.imageSha256 = carriedImageSha256();
  return run;
}

std::string carriedImageSha256() {
  const sys::ImageRecord image = sys::recordedImage();
  return image.size == 0 ? "" : hextext::fromBytes(image.sha256.data(), image.sha256.size());
}

void Recorder::start(Sink& sink, const hid::Transport& inner, const Run& run) {
  finish();
  sink_ = &sink;
  inner_ = inner;
  lineLost_ = false;
  start_ = Clock::now();
  jsonl::Object line = entry(exchangefile::kBegin);
  line.update({{"format", exchangefile::kFormat}, {"version", exchangefile::kVersion}, {"run", runFields(run)}});
  write(line);
}

bool Recorder::start(const std::string& path, const hid::Transport& inner, bool replace, const Run& run) {
  finish();
  lineLost_ = false;
  if (!file_.open(path, replace)) return false;
  start(file_, inner, run);
  return true;
}

void Recorder::event(const char* name, const jsonl::Object& fields) {
  jsonl::Object line = entry(exchangefile::kEvent);
  line["event"] = name;
  line.update(fields);
  write(line);
}

void Recorder::outcome(const jsonl::Object& fields) { write(outcomeLine(fields)); }

jsonl::Object Recorder::outcomeLine(const jsonl::Object& fields) const {
  jsonl::Object line = entry(exchangefile::kOutcome);
  line.update(fields);
  return line;
}

bool Recorder::finish() {
  if (!sink_) return !lineLost_;
  if (!sink_->close()) lineLost_ = true;
  sink_ = nullptr;
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

void Recorder::write(const jsonl::Object& line) {
  if (!sink_ || !sink_->write(jsonl::line(line) + "\n")) lineLost_ = true;
}

// One call: when and which, its arguments and results in order, then the transport's last error.
void Recorder::emit(Operation operation, const jsonl::Object& fields) {
  jsonl::Object line = entry(exchangefile::nameOf(operation));
  line.update(fields);
  const std::uint32_t error = inner_.lastError();
  line["error"] = error;
  const std::string words = error != 0 && words_ ? words_(error) : "";
  if (!words.empty()) line["platform"] = words;
  write(line);
}

}  // namespace record
