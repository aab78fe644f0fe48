#include "res/catalogue.h"

#include <iterator>

#include "base/format_text.h"

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

}  // namespace catalogue
