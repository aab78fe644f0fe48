#include "adapters/exchange/exchange_replay.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <functional>
#include <limits>
#include <utility>

#include "adapters/exchange/exchange_file.h"
#include "base/hex_text.h"
#include "adapters/exchange/json_line.h"
#include "base/format_text.h"

namespace replay {
namespace {

namespace ef = exchangefile;

struct Call {
  std::string op;
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

struct Replay {
  std::vector<Call> calls;
  std::size_t next = 0;
  std::string divergence;
  std::uint32_t lastError = 0;
};

Replay& state() {
  static Replay instance;
  return instance;
}

// Reading the file: each field is taken with its type and range, or the line is refused.
class Fields {
 public:
  Fields(const jsonl::Object& object, std::string& error) : object_(object), error_(error) {}

  bool integer(const char* key, std::int64_t min, std::int64_t max, std::int64_t& value) {
    const jsonl::Object* v = find(key, &jsonl::Object::is_number_integer, "an integer");
    if (!v) return false;
    // Non-negative numbers arrive unsigned, negative ones signed.
    const auto* positive = v->get_ptr<const jsonl::Object::number_unsigned_t*>();
    const auto* negative = v->get_ptr<const jsonl::Object::number_integer_t*>();
    const bool inRange =
        positive ? *positive <= static_cast<std::uint64_t>(max) && static_cast<std::int64_t>(*positive) >= min
                 : *negative >= min && *negative <= max;
    if (!inRange) return refuse(std::string("\"") + key + "\" is out of range");
    value = positive ? static_cast<std::int64_t>(*positive) : *negative;
    return true;
  }

  template <typename T>
  bool unsignedField(const char* key, T& value) {
    static_assert(sizeof(T) <= 4, "the range check needs the type's maximum to fit a signed 64-bit integer");
    std::int64_t v = 0;
    if (!integer(key, 0, static_cast<std::int64_t>(std::numeric_limits<T>::max()), v)) return false;
    value = static_cast<T>(v);
    return true;
  }

  bool text(const char* key, std::string& value) {
    const jsonl::Object* v = find(key, &jsonl::Object::is_string, "a string");
    if (v) value = *v->get_ptr<const std::string*>();
    return v != nullptr;
  }

  bool boolean(const char* key, bool& value) {
    const jsonl::Object* v = find(key, &jsonl::Object::is_boolean, "true or false");
    if (v) value = *v->get_ptr<const bool*>();
    return v != nullptr;
  }

  bool texts(const char* key, std::vector<std::string>& value) {
    const jsonl::Object* v = find(key, &isTextList, "an array of strings");
    if (!v) return false;
    value.clear();
    for (const jsonl::Object& item : *v) value.push_back(*item.get_ptr<const std::string*>());
    return true;
  }

  bool bytes(const char* key, std::vector<std::uint8_t>& value) {
    std::string hex;
    if (!text(key, hex)) return false;
    return hextext::toBytes(hex, value) || refuse(std::string("\"") + key + "\" is not a string of hex byte pairs");
  }

  bool refuse(const std::string& reason) {
    error_ = reason;
    return false;
  }

 private:
  static bool isTextList(const jsonl::Object& v) {
    return v.is_array() && std::all_of(v.begin(), v.end(), [](const jsonl::Object& item) { return item.is_string(); });
  }

  template <typename IsKind>
  const jsonl::Object* find(const char* key, IsKind isKind, const char* what) {
    const auto it = object_.find(key);
    if (it == object_.end()) {
      refuse(std::string("\"") + key + "\" is missing");
      return nullptr;
    }
    if (!std::invoke(isKind, *it)) {
      refuse(std::string("\"") + key + "\" must be " + what);
      return nullptr;
    }
    return &*it;
  }

  const jsonl::Object& object_;
  std::string& error_;
};

bool handleField(Fields& f, Call& call) {
  std::int64_t handle = 0;
  if (!f.integer("handle", -1, std::numeric_limits<std::int32_t>::max(), handle)) return false;
  call.handle = static_cast<hid::Handle>(handle);
  return true;
}

bool readOpFields(Fields& f, Call& call) {
  if (call.op == ef::kList) {
    std::vector<std::string> paths;
    if (!f.boolean("ok", call.ok) || !f.texts("paths", paths)) return false;
    for (const std::string& p : paths) call.paths.push_back(utf8ToWide(p));
    return true;
  }
  if (call.op == ef::kOpen) {
    std::string path;
    if (!f.text("path", path) || !handleField(f, call)) return false;
    call.path = utf8ToWide(path);
    return true;
  }
  if (call.op == ef::kClose) return handleField(f, call);
  if (!handleField(f, call) || !f.boolean("ok", call.ok)) return false;
  if (call.op == ef::kAttributes) {
    return !call.ok || (f.unsignedField("vendor", call.vendorId) && f.unsignedField("product", call.productId));
  }
  if (call.op == ef::kLengths) {
    return !call.ok || (f.unsignedField("output", call.outputLength) && f.unsignedField("input", call.inputLength));
  }
  if (call.op == ef::kWrite) return f.bytes("data", call.data);
  if (call.op == ef::kRead) {
    if (!f.unsignedField("length", call.length)) return false;
    if (!call.ok) return true;
    if (!f.bytes("data", call.data)) return false;
    return call.data.size() == call.length || f.refuse("\"data\" does not hold \"length\" bytes");
  }
  return f.refuse("unknown \"op\" \"" + call.op + "\"");
}

bool readCall(const jsonl::Object& object, Call& call, std::string& error) {
  Fields f(object, error);
  std::int64_t ms = 0;
  if (!f.integer("ms", 0, std::numeric_limits<std::int64_t>::max(), ms) || !f.text("op", call.op)) return false;
  return readOpFields(f, call) && f.unsignedField("error", call.error);
}

bool readHeader(const jsonl::Object& object, std::string& error) {
  Fields f(object, error);
  std::string op, format;
  std::int64_t version = 0;
  if (!f.text("op", op) || !f.text("format", format)) return false;
  if (op != ef::kBegin || format != ef::kFormat) return f.refuse("not a file of recorded exchanges");
  if (!f.integer("version", 0, std::numeric_limits<std::int32_t>::max(), version)) return false;
  return version == ef::kVersion || f.refuse("version " + std::to_string(version) + " is not supported");
}

// --- answering -------------------------------------------------------------------

std::string hexByte(std::uint8_t b) { return "0x" + hextext::fromBytes(&b, 1); }

bool diverge(const std::string& message) {
  Replay& r = state();
  if (r.divergence.empty()) r.divergence = message;
  r.lastError = EPROTO;
  return false;
}

std::string lineOf(const Call& call) { return "line " + std::to_string(call.line); }
std::string at(const Call& call) { return lineOf(call) + ": "; }

// The recorded call this run must make now, when it is of this kind; nullptr once the
// run has diverged.
const Call* expect(const char* op) {
  Replay& r = state();
  if (!r.divergence.empty()) return nullptr;
  if (r.next == r.calls.size()) {
    const std::size_t lastLine = r.calls.empty() ? 1 : r.calls.back().line;
    diverge("the recording ends after line " + std::to_string(lastLine) + ", this run goes on with " + op);
    return nullptr;
  }
  const Call& call = r.calls[r.next];
  if (call.op != op) {
    diverge(at(call) + "the recording has " + call.op + ", this run calls " + op);
    return nullptr;
  }
  ++r.next;
  r.lastError = call.error;
  return &call;
}

// The same, for a call on an open interface: the handle must be the recorded one too.
const Call* expectOn(const char* op, hid::Handle handle) {
  const Call* call = expect(op);
  if (!call || handle == call->handle) return call;
  diverge(at(*call) + op + " on handle " + std::to_string(call->handle) + " recorded, this run uses handle " +
          std::to_string(handle));
  return nullptr;
}

bool listInterfaces(std::vector<std::wstring>& paths) {
  const Call* call = expect(ef::kList);
  if (!call) return false;
  paths = call->paths;
  return call->ok;
}

hid::Handle openInterface(const std::wstring& path) {
  const Call* call = expect(ef::kOpen);
  if (!call) return hid::kInvalidHandle;
  if (call->path != path) {
    diverge(at(*call) + "open of \"" + wideToUtf8(call->path) + "\" recorded, this run opens \"" + wideToUtf8(path) +
            "\"");
    return hid::kInvalidHandle;
  }
  return call->handle;
}

bool readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  const Call* call = expectOn(ef::kAttributes, handle);
  if (!call || !call->ok) return false;
  vendorId = call->vendorId;
  productId = call->productId;
  return true;
}

bool readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  const Call* call = expectOn(ef::kLengths, handle);
  if (!call || !call->ok) return false;
  outputLength = call->outputLength;
  inputLength = call->inputLength;
  return true;
}

bool writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length) {
  const Call* call = expectOn(ef::kWrite, handle);
  if (!call) return false;
  if (length != call->data.size()) {
    return diverge(at(*call) + "a report of " + std::to_string(call->data.size()) +
                   " bytes recorded, this run writes " + std::to_string(length) + " bytes");
  }
  for (std::size_t i = 0; i < length; ++i) {
    if (bytes[i] != call->data[i]) {
      return diverge(at(*call) + "the report differs from the recording at byte " + std::to_string(i) + " (recorded " +
                     hexByte(call->data[i]) + ", this run " + hexByte(bytes[i]) + "); recorded " +
                     hextext::fromBytes(call->data.data(), call->data.size()) + ", this run " +
                     hextext::fromBytes(bytes, length));
    }
  }
  return call->ok;
}

bool readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length) {
  const Call* call = expectOn(ef::kRead, handle);
  if (!call) return false;
  if (length != call->length) {
    return diverge(at(*call) + "a read of " + std::to_string(call->length) + " bytes recorded, this run reads " +
                   std::to_string(length) + " bytes");
  }
  if (!call->ok) return false;
  std::copy(call->data.begin(), call->data.end(), bytes);
  return true;
}

void closeInterface(hid::Handle handle) { expectOn(ef::kClose, handle); }

std::uint32_t lastError() { return state().lastError; }

const hid::Transport kReplayTransport{listInterfaces, openInterface, readAttributes, readReportLengths,
                                        writeReport,    readReport,    closeInterface, lastError};

}  // namespace

bool load(const std::string& path, std::string& error) {
  state() = Replay{};
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = path + ": cannot be read";
    return false;
  }
  std::string text;
  std::size_t lineNumber = 0;
  std::vector<Call> calls;
  while (std::getline(file, text)) {
    ++lineNumber;
    jsonl::Object object;
    std::string reason;
    Call call;
    call.line = lineNumber;
    const bool ok = jsonl::parseObject(text, object, reason) &&
                    (lineNumber == 1 ? readHeader(object, reason) : readCall(object, call, reason));
    if (!ok) {
      error = path + " line " + std::to_string(lineNumber) + ": " + reason;
      return false;
    }
    if (lineNumber > 1) calls.push_back(std::move(call));
  }
  if (file.bad() || lineNumber == 0) {
    error = path + (lineNumber == 0 ? ": empty, not a file of recorded exchanges" : ": cannot be read");
    return false;
  }
  state().calls = std::move(calls);
  return true;
}

const hid::Transport& transport() { return kReplayTransport; }

std::string mismatch() {
  const Replay& r = state();
  if (!r.divergence.empty()) return r.divergence;
  if (r.next == r.calls.size()) return "";
  const Call& first = r.calls[r.next];
  return "this run ended before " + lineOf(first) + " (" + first.op + "); " + std::to_string(r.calls.size() - r.next) +
         " recorded calls were not made";
}

}  // namespace replay
