#pragma once
// One JSON object per line, and only as much JSON as the exchange files need: a flat
// object whose values are strings, integers, true/false or arrays of strings. Anything
// else is refused with a reason, never guessed at.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace jsonl {

struct Value {
  enum class Kind { Text, Integer, Boolean, TextList };
  Kind kind = Kind::Text;
  std::string text;
  std::int64_t integer = 0;
  bool boolean = false;
  std::vector<std::string> texts;
};

using Object = std::map<std::string, Value>;

// False with "column N: reason" when the line is not one such object.
bool parseObject(const std::string& line, Object& object, std::string& error);

// Writes one such object, members in the order they are added.
class LineWriter {
 public:
  LineWriter& text(const char* key, const std::string& value);
  LineWriter& integer(const char* key, std::int64_t value);
  LineWriter& boolean(const char* key, bool value);
  LineWriter& texts(const char* key, const std::vector<std::string>& values);
  std::string line() const { return out_ + "}"; }

 private:
  void member(const char* key);
  std::string out_ = "{";
};

}  // namespace jsonl
