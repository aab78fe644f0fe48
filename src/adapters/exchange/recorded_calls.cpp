#include "adapters/exchange/recorded_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <utility>

#include "adapters/exchange/json_line.h"
#include "base/format_text.h"
#include "base/hex_text.h"

namespace replay {
namespace {

namespace ef = exchangefile;
using ef::Operation;

// Each field is taken with its type and range, or the line is refused.
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

  bool has(const char* key) const { return object_.contains(key); }

  bool object(const char* key) { return find(key, &jsonl::Object::is_object, "an object") != nullptr; }

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

bool readListFields(Fields& f, Call& call) {
  std::vector<std::string> paths;
  if (!f.boolean("ok", call.ok) || !f.texts("paths", paths)) return false;
  for (const std::string& p : paths) call.paths.push_back(utf8ToWide(p));
  return true;
}

bool readOpenFields(Fields& f, Call& call) {
  std::string path;
  if (!f.text("path", path) || !handleField(f, call)) return false;
  call.path = utf8ToWide(path);
  return true;
}

bool readReadFields(Fields& f, Call& call) {
  if (!f.unsignedField("length", call.length)) return false;
  if (!call.ok) return true;
  if (!f.bytes("data", call.data)) return false;
  return call.data.size() == call.length || f.refuse("\"data\" does not hold \"length\" bytes");
}

// The fields of calls on an open interface that say whether it succeeded: what follows "ok".
bool readResultFields(Fields& f, Call& call) {
  switch (call.operation) {
    case Operation::Attributes:
      return !call.ok || (f.unsignedField("vendor", call.vendorId) && f.unsignedField("product", call.productId));
    case Operation::Lengths:
      return !call.ok || (f.unsignedField("output", call.outputLength) && f.unsignedField("input", call.inputLength));
    case Operation::Write:
      return f.bytes("data", call.data);
    case Operation::Read:
      return readReadFields(f, call);
    default:
      return true;
  }
}

bool readOperationFields(Fields& f, Call& call) {
  switch (call.operation) {
    case Operation::List:
      return readListFields(f, call);
    case Operation::Open:
      return readOpenFields(f, call);
    case Operation::Close:
      return handleField(f, call);
    default:
      return handleField(f, call) && f.boolean("ok", call.ok) && readResultFields(f, call);
  }
}

bool readCall(Fields& f, const std::string& op, Call& call) {
  if (ef::operationNamed(op, call.operation)) {
    std::string platform;
    return readOperationFields(f, call) && f.unsignedField("error", call.error) &&
           (!f.has("platform") || f.text("platform", platform));
  }
  // An unknown call is read as far as the fields every call on an open interface has.
  return handleField(f, call) && f.boolean("ok", call.ok) && f.refuse("unknown \"op\" \"" + op + "\"");
}

// Every line but the first: a call, an event or the outcome, which ends the file.
bool readLine(const jsonl::Object& object, std::size_t lineNumber, Recording& recording, std::string& error) {
  Fields f(object, error);
  std::int64_t ms = 0;
  std::string op, name;
  if (!f.integer("ms", 0, std::numeric_limits<std::int64_t>::max(), ms) || !f.text("op", op)) return false;
  if (!recording.outcome.is_null()) return f.refuse("a line after the outcome");
  if (op == ef::kOutcome) {
    recording.outcome = object;
    return true;
  }
  if (op == ef::kEvent) {
    if (!f.text("event", name)) return false;
    recording.events.push_back({lineNumber, object});
    return true;
  }
  Call call;
  call.line = lineNumber;
  if (!readCall(f, op, call)) return false;
  recording.calls.push_back(std::move(call));
  return true;
}

bool readHeader(const jsonl::Object& object, Recording& recording, std::string& error) {
  Fields f(object, error);
  std::string op, format;
  std::int64_t version = 0;
  if (!f.text("op", op)) return false;
  if (op != ef::kBegin) return f.refuse("not a file of recorded exchanges: it does not start with a \"begin\" line");
  if (!f.text("format", format)) return false;
  if (format != ef::kFormat) return f.refuse("not a file of recorded exchanges");
  if (!f.integer("version", 0, std::numeric_limits<std::int32_t>::max(), version)) return false;
  if (version > ef::kVersion) {
    return f.refuse("version " + std::to_string(version) + " comes from a newer program; this one reads versions " +
                    std::to_string(ef::kOldestVersion) + " to " + std::to_string(ef::kVersion));
  }
  if (version < ef::kOldestVersion) return f.refuse("version " + std::to_string(version) + " is not supported");
  recording.version = static_cast<int>(version);
  if (version == 1) return true;
  if (!f.object("run")) return false;
  recording.run = object["run"];
  return true;
}

// The system's reason why path cannot be read, or "": a stream opens a directory and then
// reads it as empty, so the first byte is read here to learn the truth.
std::string unreadableReason(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "re");
  if (!file) return std::strerror(errno);
  errno = 0;
  std::fgetc(file);
  const int error = std::ferror(file) ? errno : 0;
  std::fclose(file);
  return error != 0 ? std::strerror(error) : "";
}

}  // namespace

bool readRecording(const std::string& path, Recording& recording, std::string& error) {
  const std::string unreadable = unreadableReason(path);
  if (!unreadable.empty()) {
    error = path + ": " + unreadable;
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = path + ": cannot be read";
    return false;
  }
  std::string text;
  std::size_t lineNumber = 0;
  Recording read;
  while (std::getline(file, text)) {
    ++lineNumber;
    jsonl::Object object;
    std::string reason;
    const bool parsed = jsonl::parseObject(text, object, reason);
    // A run that ended in the middle of a line leaves it without its newline.
    if (!parsed && file.eof() && lineNumber > 1 && jsonl::endsTooSoon(text)) {
      read.warnings.push_back("line " + std::to_string(lineNumber) + " is cut off and left out: " + reason);
      --lineNumber;
      break;
    }
    const bool ok = parsed && (lineNumber == 1 ? readHeader(object, read, reason)
                                               : readLine(object, lineNumber, read, reason));
    if (!ok) {
      error = path + " line " + std::to_string(lineNumber) + ": " + reason;
      return false;
    }
  }
  if (file.bad() || lineNumber == 0) {
    error = path + (lineNumber == 0 ? ": empty, not a file of recorded exchanges" : ": cannot be read");
    return false;
  }
  recording = std::move(read);
  return true;
}

}  // namespace replay
