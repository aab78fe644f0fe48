#include "adapters/web/web_texts.h"

#include "base/format_text.h"

namespace web {
namespace {

struct Texts {
  const char* english;
  const char* german;
};

const Texts kPageTexts[] = {
#define WEB_TEXT(name, english, german) {english, german},
#include "adapters/web/web_texts.def"
#undef WEB_TEXT
};

catalogue::Language chosen = catalogue::Language::English;

}  // namespace

void useLanguage(catalogue::Language language) { chosen = language; }
catalogue::Language language() { return chosen; }

std::wstring pageText(PageText which) {
  const Texts& texts = kPageTexts[static_cast<int>(which)];
  return utf8ToWide(chosen == catalogue::Language::German ? texts.german : texts.english);
}

}  // namespace web
