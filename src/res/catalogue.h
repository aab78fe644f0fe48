#pragma once
// The message catalogue as data, for everything that shows or checks the texts without
// the Windows string tables: the terminal front end and the tests.
#include <cstddef>
#include <cstdint>
#include <string>

namespace catalogue {

enum class Language { English, German };

// A text in both languages, UTF-8: one line of a table of texts.
struct Translation {
  const char* english;
  const char* german;
};
std::wstring translated(const Translation& text, Language language);

struct Entry {
  std::uint16_t id;
  const char* english;  // UTF-8
  const char* german;
};

struct Entries {
  const Entry* first;
  const Entry* last;
  const Entry* begin() const { return first; }
  const Entry* end() const { return last; }
};
// Every id with its texts, reserved ids included.
Entries entries();

// The text of an id in a language; empty for an id the catalogue does not hold.
std::wstring text(std::uint16_t id, Language language);

// The texts the dialog template holds, for a front end that draws the dialog itself.
enum class DialogText { Close, HintCaption, VersionGroup, Update };
std::wstring dialogText(DialogText which, Language language);

}  // namespace catalogue
