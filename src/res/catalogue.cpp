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

std::wstring text(std::uint16_t id, Language language) {
  for (const Entry& entry : entries()) {
    if (entry.id == id) return utf8ToWide(language == Language::German ? entry.german : entry.english);
  }
  return L"";
}

std::wstring dialogText(DialogText which, Language language) {
  const bool german = language == Language::German;
  switch (which) {
    case DialogText::Close: return utf8ToWide(german ? CLOSE_TEXT_GERMAN : CLOSE_TEXT_ENGLISH);
    case DialogText::HintCaption: return utf8ToWide(german ? HINT_CAPTION_GERMAN : HINT_CAPTION_ENGLISH);
    case DialogText::VersionGroup: return utf8ToWide(german ? VERSION_GROUP_TEXT_GERMAN : VERSION_GROUP_TEXT_ENGLISH);
    case DialogText::Update: break;
  }
  return utf8ToWide(UPDATE_TEXT);
}

}  // namespace catalogue
