#include "programs/cli/cli_texts.h"

#include <cstdlib>

namespace cli {
namespace {

const catalogue::Translation kTexts[] = {
#define CLI_TEXT(name, english, german) {english, german},
#include "programs/cli/cli_texts.def"
#undef CLI_TEXT
};

Language current = Language::English;

}  // namespace

Language languageFromEnvironment() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value[0] == 'd' && value[1] == 'e' ? Language::German : Language::English;
  }
  return Language::English;
}

void setLanguage(Language language) { current = language; }
Language language() { return current; }

std::string text(Text id, std::initializer_list<FormatArg> args) {
  return wideToUtf8(formatText(catalogue::translated(kTexts[static_cast<int>(id)], current), args, 0));
}

std::string forTerminal(const std::wstring& text) {
  std::string out;
  for (char c : wideToUtf8(text)) {
    if (c != '\r') out += c;
  }
  return out;
}

}  // namespace cli
