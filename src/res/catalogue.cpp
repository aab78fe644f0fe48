#include "res/catalogue.h"

#include <iterator>

#include "base/format_text.h"
#include "res/dialog_texts.h"

namespace catalogue {
namespace {

const Entry kEntries[] = {
#define MESSAGE(id, english, german) {id, english, german},
#include "res/messages.def"
#undef MESSAGE
};

}  // namespace

Entries entries() { return {std::begin(kEntries), std::end(kEntries)}; }

std::wstring translated(const Translation& text, Language language) {
  return utf8ToWide(language == Language::German ? text.german : text.english);
}

std::wstring text(std::uint16_t id, Language language) {
  for (const Entry& entry : entries()) {
    if (entry.id == id) return translated({entry.english, entry.german}, language);
  }
  return L"";
}

std::wstring dialogText(DialogText which, Language language) {
  switch (which) {
    case DialogText::Close: return translated({CLOSE_TEXT_ENGLISH, CLOSE_TEXT_GERMAN}, language);
    case DialogText::HintCaption: return translated({HINT_CAPTION_ENGLISH, HINT_CAPTION_GERMAN}, language);
    case DialogText::VersionGroup: return translated({VERSION_GROUP_TEXT_ENGLISH, VERSION_GROUP_TEXT_GERMAN}, language);
    case DialogText::Update: break;
  }
  return utf8ToWide(UPDATE_TEXT);
}

}  // namespace catalogue
