#include "adapters/web/web_texts.h"

namespace web {
namespace {

const catalogue::Translation kPageTexts[] = {
#define WEB_TEXT(name, english, german) {english, german},
#include "adapters/web/web_texts.def"
#undef WEB_TEXT
};

catalogue::Language chosen = catalogue::Language::English;

}  // namespace

void useLanguage(catalogue::Language language) { chosen = language; }
catalogue::Language language() { return chosen; }

std::wstring pageText(PageText which) { return catalogue::translated(kPageTexts[static_cast<int>(which)], chosen); }

}  // namespace web
