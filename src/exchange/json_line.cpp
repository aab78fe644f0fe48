#include "exchange/json_line.h"

#include <utility>

#include "exchange/hex_text.h"
#include "text/format_text.h"

namespace jsonl {
namespace {

constexpr std::size_t kMaxIntegerDigits = 18;  // keeps every accepted integer inside 64 bits

class Reader {
 public:
  explicit Reader(const std::string& line) : line_(line) {}

  bool object(Object& object) {
    object.clear();
    if (!expect('{')) return false;
    if (peek() == '}') return expect('}') && end();
    do {
      std::string key;
      Value value;
      if (!string(key) || !expect(':') || !value_(value)) return false;
      if (!object.emplace(std::move(key), std::move(value)).second) return fail("duplicate key");
    } while (next(','));
    return expect('}') && end();
  }

  const std::string& error() const { return error_; }

 private:
  bool fail(const std::string& reason) {
    error_ = "column " + std::to_string(at_ + 1) + ": " + reason;
    return false;
  }

  void skipSpace() {
    while (at_ < line_.size() && (line_[at_] == ' ' || line_[at_] == '\t' || line_[at_] == '\r')) ++at_;
  }

  char peek() {
    skipSpace();
    return at_ < line_.size() ? line_[at_] : '\0';
  }

  bool next(char c) {
    if (peek() != c) return false;
    ++at_;
    return true;
  }

  bool expect(char c) { return next(c) || fail(std::string("expected '") + c + "'"); }

  bool end() { return peek() == '\0' && at_ == line_.size() ? true : fail("unexpected text after the object"); }

  bool literal(const char* word) {
    const std::string w(word);
    if (line_.compare(at_, w.size(), w) != 0) return fail("unknown value");
    at_ += w.size();
    return true;
  }

  bool value_(Value& value) {
    const char c = peek();
    if (c == '"') {
      value.kind = Value::Kind::Text;
      return string(value.text);
    }
    if (c == '[') {
      value.kind = Value::Kind::TextList;
      return textList(value.texts);
    }
    if (c == 't' || c == 'f') {
      value.kind = Value::Kind::Boolean;
      value.boolean = c == 't';
      return literal(c == 't' ? "true" : "false");
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      value.kind = Value::Kind::Integer;
      return integer(value.integer);
    }
    return fail("expected a string, an integer, true, false or an array of strings");
  }

  bool integer(std::int64_t& value) {
    const bool negative = line_[at_] == '-';
    if (negative) ++at_;
    const std::size_t start = at_;
    while (at_ < line_.size() && line_[at_] >= '0' && line_[at_] <= '9') ++at_;
    const std::size_t digits = at_ - start;
    if (digits == 0) return fail("expected digits");
    if (digits > 1 && line_[start] == '0') return fail("leading zero");
    if (digits > kMaxIntegerDigits) return fail("integer too large");
    value = 0;
    for (std::size_t i = start; i < at_; ++i) value = value * 10 + (line_[i] - '0');
    if (at_ < line_.size() && (line_[at_] == '.' || line_[at_] == 'e' || line_[at_] == 'E')) {
      return fail("only integers are allowed");
    }
    if (negative) value = -value;
    return true;
  }

  bool textList(std::vector<std::string>& texts) {
    texts.clear();
    if (!expect('[')) return false;
    if (next(']')) return true;
    do {
      std::string text;
      if (peek() != '"') return fail("arrays hold strings only");
      if (!string(text)) return false;
      texts.push_back(std::move(text));
    } while (next(','));
    return expect(']');
  }

  bool hexDigits(unsigned& codePoint) {
    if (line_.size() - at_ < 4) return fail("short \\u escape");
    codePoint = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = line_[at_++];
      const int digit = hextext::digitValue(c);
      if (digit < 0) return fail("bad \\u escape");
      codePoint = codePoint * 16 + static_cast<unsigned>(digit);
    }
    if (codePoint >= 0xD800 && codePoint < 0xE000) return fail("surrogate escapes are not supported");
    return true;
  }

  bool escape(std::string& out) {
    if (at_ == line_.size()) return fail("unterminated string");
    const char c = line_[at_++];
    switch (c) {
      case '"': case '\\': case '/': out += c; return true;
      case 'b': out += '\b'; return true;
      case 'f': out += '\f'; return true;
      case 'n': out += '\n'; return true;
      case 'r': out += '\r'; return true;
      case 't': out += '\t'; return true;
      case 'u': {
        unsigned cp = 0;
        if (!hexDigits(cp)) return false;
        appendUtf8(out, cp);
        return true;
      }
      default: --at_; return fail("unknown escape");
    }
  }

  bool string(std::string& out) {
    out.clear();
    if (!expect('"')) return false;
    while (at_ < line_.size()) {
      const char c = line_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) {
        --at_;
        return fail("control character in a string");
      }
      if (c != '\\') {
        out += c;
      } else if (!escape(out)) {
        return false;
      }
    }
    return fail("unterminated string");
  }

  const std::string& line_;
  std::size_t at_ = 0;
  std::string error_;
};

std::string quoted(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20) {
      out += "\\u00";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

bool parseObject(const std::string& line, Object& object, std::string& error) {
  Reader reader(line);
  if (reader.object(object)) return true;
  error = reader.error();
  return false;
}

void LineWriter::member(const char* key) {
  if (out_.size() > 1) out_ += ',';
  out_ += quoted(key) + ":";
}

LineWriter& LineWriter::text(const char* key, const std::string& value) {
  member(key);
  out_ += quoted(value);
  return *this;
}

LineWriter& LineWriter::integer(const char* key, std::int64_t value) {
  member(key);
  out_ += std::to_string(value);
  return *this;
}

LineWriter& LineWriter::boolean(const char* key, bool value) {
  member(key);
  out_ += value ? "true" : "false";
  return *this;
}

LineWriter& LineWriter::texts(const char* key, const std::vector<std::string>& values) {
  member(key);
  out_ += '[';
  for (std::size_t i = 0; i < values.size(); ++i) out_ += (i ? "," : "") + quoted(values[i]);
  out_ += ']';
  return *this;
}

}  // namespace jsonl
