#pragma once
// The page's own texts (web_texts.def) and the language the page is shown in.
#include <string>

#include "res/catalogue.h"

namespace web {

enum class PageText {
#define WEB_TEXT(name, english, german) name,
#include "adapters/web/web_texts.def"
#undef WEB_TEXT
};

// The language every text of the page is loaded in; English until chosen.
void useLanguage(catalogue::Language language);
catalogue::Language language();

std::wstring pageText(PageText which);

}  // namespace web
