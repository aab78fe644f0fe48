#pragma once
// An in-memory main dialog for the native tests: it keeps the controls' texts and
// enabled states, records every call in order, and answers message boxes from a
// script, running an optional action inside each box's modal wait.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "seams/dialog.h"
#include "res/catalogue.h"

namespace rec {

using Language = catalogue::Language;

struct ShownBox {
  std::wstring text;
  std::wstring caption;
  unsigned flags = 0;
};

struct ProgressWindowInfo {
  std::wstring title;
  int x = 0, y = 0, width = 0, height = 0;
};

constexpr dlg::WindowRef kDialogWindow = 1;
constexpr dlg::WindowRef kOtherProgramWindow = 99;

void reset(Language language = Language::English);
// Catalogue text straight from the source of truth, for expectations.
std::wstring catalogueText(std::uint16_t id, Language language = Language::English);
// What the hint box shows for a unit that is not ready: status text, an empty line, the instructions.
std::wstring hintText(std::uint16_t statusId, Language language = Language::English);
// The line a failure box adds for a code: text 40036 with the code and the system error.
std::wstring codeLine(std::int32_t code, std::uint32_t systemError, Language language = Language::English);

// Answer for the next message box, and what happens while it is open.
void scriptBox(int answer, std::function<void()> whileOpen = {});
const std::vector<ShownBox>& boxes();

bool enabled(int controlId);
std::wstring text(int controlId);
// Every call in order, one line each ("enable 1002 0", "text 40004 ...", "box 0x31 ...").
const std::vector<std::string>& calls();
std::vector<std::string> callsStartingWith(const std::string& prefix);

void setDialogRect(dlg::Rect rect);
// The foreground window the platform reports, asked once per query in this order; the
// last entry repeats.
void setForegroundSequence(std::vector<dlg::WindowRef> windows);
const std::vector<ProgressWindowInfo>& progressWindows();
std::vector<unsigned> progressPositions();

void refuseRegistration(bool refuse);
int registrations();
int unregistrations();

}  // namespace rec
