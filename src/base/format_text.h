#pragma once
// Bounded formatting of wide texts: %s takes a wide string, %u a decimal number,
// %x / %0Nx lowercase hexadecimal, %% a percent sign. Whatever the platform's printf
// thinks %s means in a wide format, the argument printed here is always the wide one.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

class FormatArg {
 public:
  FormatArg(const wchar_t* text) : text_(text) {}  // NOLINT: implicit by design
  FormatArg(std::wstring text) : text_(std::move(text)) {}  // NOLINT
  FormatArg(std::uint32_t number) : number_(number) {}  // NOLINT
  FormatArg(std::int32_t number) : number_(static_cast<std::uint32_t>(number)) {}  // NOLINT: two's complement

  const std::wstring& text() const { return text_; }
  std::uint32_t number() const { return number_; }

 private:
  std::wstring text_;
  std::uint32_t number_ = 0;
};

// The result holds at most capacity - 1 characters, like a buffer of capacity
// characters with its terminator.
std::wstring formatText(const std::wstring& format, std::initializer_list<FormatArg> args, std::size_t capacity);

std::wstring utf8ToWide(const std::string& utf8);
std::string wideToUtf8(const std::wstring& wide);
