#include "adapters/exchange/json_line.h"

#include <set>

namespace jsonl {
namespace {

// Walks a line that failed to parse once more, only to learn where and why.
struct ErrorLocator {
  std::string reason;
  std::size_t position = 0;

  bool null() { return true; }
  bool boolean(bool) { return true; }
  bool number_integer(Object::number_integer_t) { return true; }
  bool number_unsigned(Object::number_unsigned_t) { return true; }
  bool number_float(Object::number_float_t, const Object::string_t&) { return true; }
  bool string(Object::string_t&) { return true; }
  bool binary(Object::binary_t&) { return true; }
  bool start_object(std::size_t) { return true; }
  bool key(Object::string_t&) { return true; }
  bool end_object() { return true; }
  bool start_array(std::size_t) { return true; }
  bool end_array() { return true; }

  // The library says "... parse error at line 1, column N: why"; a line has no lines.
  bool parse_error(std::size_t at, const std::string&, const Object::exception& problem) {
    position = at;
    const std::string what = problem.what();
    const std::size_t column = what.find("column ");
    reason = column == std::string::npos ? what : what.substr(column);
    return false;
  }
};

ErrorLocator locate(const std::string& line) {
  ErrorLocator locator;
  Object::sax_parse(line, &locator);
  return locator;
}

}  // namespace

bool parseObject(const std::string& line, Object& object, std::string& error) {
  std::set<std::string> keys;
  std::string duplicate;
  const Object::parser_callback_t noteDuplicates = [&](int depth, Object::parse_event_t event, Object& parsed) {
    if (event == Object::parse_event_t::key && depth == 1 && duplicate.empty() &&
        !keys.insert(*parsed.get_ptr<const std::string*>()).second) {
      duplicate = *parsed.get_ptr<const std::string*>();
    }
    return true;
  };
  object = Object::parse(line, noteDuplicates, false);
  if (object.is_discarded()) {
    error = locate(line).reason;
    return false;
  }
  if (!object.is_object()) {
    error = "column 1: expected an object";
    return false;
  }
  if (!duplicate.empty()) {
    error = "\"" + duplicate + "\" is given twice";
    return false;
  }
  return true;
}

bool endsTooSoon(const std::string& line) {
  const ErrorLocator locator = locate(line);
  return !locator.reason.empty() && locator.position > line.size();
}

std::string line(const Object& object) {
  return object.dump(-1, ' ', false, Object::error_handler_t::replace);
}

}  // namespace jsonl
