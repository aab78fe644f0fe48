#include "support/recording_dialog.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <deque>
#include <iterator>
#include <utility>

#include "res/catalogue.h"
#include "res/controls.h"
#include "res/message_ids.h"
#include "base/format_text.h"

namespace rec {
namespace {

struct ScriptedBox {
  dlg::Answer answer;
  std::function<void()> whileOpen;
};

struct State {
  Language language = Language::English;
  std::map<int, std::wstring> texts;
  std::map<int, bool> enabled;
  std::vector<std::string> calls;
  std::deque<ScriptedBox> script;
  std::vector<ShownBox> boxes;
  std::vector<dlg::UpdateProgress> progress;
  std::function<void(const dlg::UpdateProgress&)> progressObserver;
  bool progressOpen = false;
  bool refuseRegistration = false;
  int registrations = 0;
  int unregistrations = 0;
};

State& state() {
  static State instance;
  return instance;
}

void record(const std::string& line) { state().calls.push_back(line); }

const char* nameOf(dlg::BoxKind kind) {
  switch (kind) {
    case dlg::BoxKind::RegistrationFailed: return "RegistrationFailed";
    case dlg::BoxKind::EscIncompatible: return "EscIncompatible";
    case dlg::BoxKind::ConfirmUpdate: return "ConfirmUpdate";
    case dlg::BoxKind::OverwriteSameOrNewer: return "OverwriteSameOrNewer";
    case dlg::BoxKind::UpdateRefused: return "UpdateRefused";
    case dlg::BoxKind::UpdateFailed: return "UpdateFailed";
    case dlg::BoxKind::RunningElsewhere: return "RunningElsewhere";
    case dlg::BoxKind::UnknownSimulation: return "UnknownSimulation";
    case dlg::BoxKind::ReportNotWritten: return "ReportNotWritten";
  }
  return "?";
}

const char* nameOf(dlg::UpdatePhase phase) {
  switch (phase) {
    case dlg::UpdatePhase::Preparing: return "Preparing";
    case dlg::UpdatePhase::Erasing: return "Erasing";
    case dlg::UpdatePhase::Writing: return "Writing";
    case dlg::UpdatePhase::Restoring: return "Restoring";
  }
  return "?";
}

bool isQuestion(dlg::BoxKind kind) {
  return kind == dlg::BoxKind::ConfirmUpdate || kind == dlg::BoxKind::OverwriteSameOrNewer;
}

// The template's state before initialisation: placeholders, Update disabled.
void loadTemplate() {
  State& s = state();
  for (int id : {ctl::kUnitLabel, ctl::kEscLoaderLabel, ctl::kEscLabel}) s.texts[id] = L"Firmware ?:";
  for (int id : {ctl::kUnitVersionText, ctl::kEscLoaderVersionText, ctl::kEscVersionText}) s.texts[id] = L"0.00.00";
  s.texts[ctl::kHintBox] = L"";
  for (int id : {ctl::kCloseButton, ctl::kHintBox, ctl::kUnitLabel, ctl::kEscLoaderLabel, ctl::kEscLabel,
                 ctl::kUnitVersionText, ctl::kEscLoaderVersionText, ctl::kEscVersionText}) {
    s.enabled[id] = true;
  }
  s.enabled[ctl::kUpdateButton] = false;
}

}  // namespace

void reset(Language language) {
  state() = State{};
  state().language = language;
  loadTemplate();
}

std::wstring catalogueText(std::uint16_t id, Language language) {
  std::wstring text = catalogue::text(id, language);
  if (text.empty()) ADD_FAILURE() << "no catalogue text " << id;
  return text;
}

std::wstring hintText(std::uint16_t statusId, Language language) {
  return catalogueText(statusId, language) + L"\r\n\r\n" + catalogueText(msg::kInstructions, language);
}

std::wstring codeLine(std::int32_t code, std::uint32_t systemError, Language language) {
  // Formatted by the C library, apart from the product's own formatting.
  wchar_t line[256];
  std::swprintf(line, std::size(line), catalogueText(msg::kErrorCodeLine, language).c_str(),
                static_cast<unsigned>(code), static_cast<unsigned>(systemError));
  return line;
}

void scriptBox(dlg::Answer answer, std::function<void()> whileOpen) {
  state().script.push_back({answer, std::move(whileOpen)});
}

const std::vector<ShownBox>& boxes() { return state().boxes; }
bool enabled(int controlId) { return state().enabled[controlId]; }
std::wstring text(int controlId) { return state().texts[controlId]; }
const std::vector<std::string>& calls() { return state().calls; }

std::vector<std::string> callsStartingWith(const std::string& prefix) {
  std::vector<std::string> result;
  for (const std::string& call : state().calls) {
    if (call.rfind(prefix, 0) == 0) result.push_back(call);
  }
  return result;
}

const std::vector<dlg::UpdateProgress>& progressReports() { return state().progress; }

void onProgress(std::function<void(const dlg::UpdateProgress&)> observer) {
  state().progressObserver = std::move(observer);
}

std::vector<unsigned> progressPositions() {
  std::vector<unsigned> positions;
  for (const dlg::UpdateProgress& report : state().progress) {
    if (report.phase == dlg::UpdatePhase::Writing) positions.push_back(dlg::percentSent(report));
  }
  return positions;
}

void refuseRegistration(bool refuse) { state().refuseRegistration = refuse; }
int registrations() { return state().registrations; }
int unregistrations() { return state().unregistrations; }

}  // namespace rec

namespace dlg {

using namespace rec;

std::wstring loadText(std::uint16_t messageId) {
  std::wstring text = catalogueText(messageId, state().language);
  if (text.size() > kTextCapacity - 1) text.resize(kTextCapacity - 1);
  return text;
}

void setControlText(int controlId, const std::wstring& text) {
  state().texts[controlId] = text;
  record("text " + std::to_string(controlId) + " " + wideToUtf8(text));
}

std::wstring controlText(int controlId) { return state().texts[controlId]; }

void enableControl(int controlId, bool enabled) {
  state().enabled[controlId] = enabled;
  record("enable " + std::to_string(controlId) + " " + (enabled ? "1" : "0"));
}

// No box may open behind a progress window: the window is closed before any box.
Answer showBox(BoxKind kind, const std::wstring& text, const std::wstring& caption) {
  State& s = state();
  if (s.progressOpen) ADD_FAILURE() << "a box opens behind the progress window: " << wideToUtf8(text);
  s.boxes.push_back({text, caption, kind});
  record(std::string("box ") + nameOf(kind) + " " + wideToUtf8(caption));
  if (s.script.empty()) {
    if (isQuestion(kind)) ADD_FAILURE() << "unscripted question box: " << wideToUtf8(text);
    return isQuestion(kind) ? Answer::Stop : Answer::GoOn;
  }
  ScriptedBox box = std::move(s.script.front());
  s.script.pop_front();
  if (box.whileOpen) box.whileOpen();
  record("box closed");
  return box.answer;
}

void showProgress(const UpdateProgress& progress) {
  State& s = state();
  s.progress.push_back(progress);
  if (s.progressObserver) s.progressObserver(progress);
  if (progress.phase == UpdatePhase::Writing && !s.progressOpen) {
    s.progressOpen = true;
    record("open progress");
  }
  record(std::string("progress ") + nameOf(progress.phase) + " " + std::to_string(progress.bytesSent) + "/" +
         std::to_string(progress.imageSize) + " " + std::to_string(progress.pausesAheadMs) + "ms");
}

void closeProgress() {
  if (!state().progressOpen) ADD_FAILURE() << "a progress window closed that was not open";
  state().progressOpen = false;
  record("close progress");
}

std::uintptr_t registerHidNotifications() {
  record("register");
  if (state().refuseRegistration) return 0;
  ++state().registrations;
  return 0x5000;
}

void unregisterHidNotifications(std::uintptr_t registration) {
  EXPECT_EQ(registration, 0x5000u);
  ++state().unregistrations;
  record("unregister");
}

}  // namespace dlg
