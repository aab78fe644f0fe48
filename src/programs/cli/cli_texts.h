#pragma once
// The language of the command line and its own texts (cli_texts.def).
#include <initializer_list>
#include <string>

#include "res/catalogue.h"
#include "base/format_text.h"

namespace cli {

using Language = catalogue::Language;

enum class Text {
#define CLI_TEXT(name, english, german) name,
#include "programs/cli/cli_texts.def"
#undef CLI_TEXT
};

// German when the first of LC_ALL, LC_MESSAGES and LANG that is set names it ("de",
// "de_DE.UTF-8"), English otherwise.
Language languageFromEnvironment();
void setLanguage(Language language);
Language language();

// UTF-8, formatted like the catalogue texts.
std::string text(Text id, std::initializer_list<FormatArg> args = {});

// A catalogue text as a terminal shows it: UTF-8, lines ending in LF alone.
std::string forTerminal(const std::wstring& text);

}  // namespace cli
