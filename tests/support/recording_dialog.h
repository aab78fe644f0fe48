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
  dlg::BoxKind kind = dlg::BoxKind::UpdateFailed;
};

void reset(Language language = Language::English);
// Catalogue text straight from the source of truth, for expectations.
std::wstring catalogueText(std::uint16_t id, Language language = Language::English);
// What the hint box shows for a unit that is not ready: status text, an empty line, the instructions.
std::wstring hintText(std::uint16_t statusId, Language language = Language::English);
// The line a failure box adds for a code: text 40036 with the code and the system error.
std::wstring codeLine(std::int32_t code, std::uint32_t systemError, Language language = Language::English);

// Answer for the next message box, and what happens while it is open. A box nobody scripted
// goes on where it only tells, and fails the test where it asks.
void scriptBox(dlg::Answer answer, std::function<void()> whileOpen = {});
const std::vector<ShownBox>& boxes();

bool enabled(int controlId);
std::wstring text(int controlId);
// Every call in order, one line each ("enable 1002 0", "text 40004 ...", "box ConfirmUpdate
// ...", "open progress" at the first Writing value, "progress Writing 48/96 40ms",
// "close progress").
const std::vector<std::string>& calls();
std::vector<std::string> callsStartingWith(const std::string& prefix);

const std::vector<dlg::UpdateProgress>& progressReports();
// Runs as each progress value is told.
void onProgress(std::function<void(const dlg::UpdateProgress&)> observer);
// What a progress bar shows: the percentage of each Writing value.
std::vector<unsigned> progressPositions();

void refuseRegistration(bool refuse);
int registrations();
int unregistrations();

}  // namespace rec
