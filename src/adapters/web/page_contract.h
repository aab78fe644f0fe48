#pragma once
// The page's messages, elements, box answers and kept texts by name (page_contract.def), as the page's
// scripts read them from page_contract.js.

namespace web {

namespace message {
#define PAGE_MESSAGE(name, type, direction) inline constexpr const char* k##name = type;
#include "adapters/web/page_contract.def"
}  // namespace message

namespace element {
#define PAGE_ELEMENT(name, id) inline constexpr const char* k##name = id;
#include "adapters/web/page_contract.def"
}  // namespace element

// A box's buttons by name, and the text target of each one's label.
namespace answer {
#define PAGE_ANSWER(name, answer, label)         \
  inline constexpr const char* k##name = answer; \
  inline constexpr const char* k##name##Label = label;
#include "adapters/web/page_contract.def"
}  // namespace answer

// Text targets that are no element of the page.
namespace kept {
#define PAGE_KEPT_TEXT(name, target) inline constexpr const char* k##name = target;
#include "adapters/web/page_contract.def"
}  // namespace kept

}  // namespace web
