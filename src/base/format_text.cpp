#include "base/format_text.h"

#include <vector>

namespace {

std::wstring digits(std::uint32_t value, unsigned base, std::size_t width) {
  std::wstring text;
  do {
    text.insert(text.begin(), L"0123456789abcdef"[value % base]);
    value /= base;
  } while (value != 0);
  if (text.size() < width) text.insert(0, width - text.size(), L'0');
  return text;
}

// Appends one code point in UTF-8.
void appendUtf8(std::string& utf8, std::uint32_t codePoint) {
  if (codePoint < 0x80) {
    utf8 += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    utf8 += static_cast<char>(0xC0 | (codePoint >> 6));
    utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    utf8 += static_cast<char>(0xE0 | (codePoint >> 12));
    utf8 += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    utf8 += static_cast<char>(0xF0 | (codePoint >> 18));
    utf8 += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    utf8 += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace

std::wstring formatText(const std::wstring& format, std::initializer_list<FormatArg> args, std::size_t capacity) {
  std::wstring out;
  auto next = args.begin();
  auto takeArg = [&]() -> const FormatArg* { return next == args.end() ? nullptr : &*next++; };
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != L'%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    std::size_t width = 0;
    std::size_t j = i + 1;
    while (j < format.size() && format[j] >= L'0' && format[j] <= L'9') width = width * 10 + (format[j++] - L'0');
    const wchar_t conversion = j < format.size() ? format[j] : L'\0';
    const FormatArg* arg = conversion == L'%' ? nullptr : takeArg();
    switch (conversion) {
      case L'%': out += L'%'; break;
      case L's': if (arg) out += arg->text(); break;
      case L'u': out += digits(arg ? arg->number() : 0, 10, width); break;
      case L'x': out += digits(arg ? arg->number() : 0, 16, width); break;
      default: out.append(format, i, j + 1 - i); break;
    }
    i = j;
  }
  if (capacity != 0 && out.size() > capacity - 1) out.resize(capacity - 1);
  return out;
}

std::wstring utf8ToWide(const std::string& utf8) {
  std::vector<std::uint32_t> codePoints;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::uint32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    codePoints.push_back(cp);
    i += length;
  }
  std::wstring wide;
  for (std::uint32_t cp : codePoints) {
    if (sizeof(wchar_t) == 2 && cp > 0xFFFF) {
      cp -= 0x10000;
      wide += static_cast<wchar_t>(0xD800 + (cp >> 10));
      wide += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(cp);
    }
  }
  return wide;
}


std::string wideToUtf8(const std::wstring& wide) {
  std::string utf8;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    std::uint32_t cp = static_cast<std::uint32_t>(wide[i]);
    if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp < 0xDC00 && i + 1 < wide.size()) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<std::uint32_t>(wide[++i]) - 0xDC00);
    }
    appendUtf8(utf8, cp);
  }
  return utf8;
}
