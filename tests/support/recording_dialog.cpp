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
  int answer;
  std::function<void()> whileOpen;
};

struct State {
  Language language = Language::English;
  std::map<int, std::wstring> texts;
  std::map<int, bool> enabled;
  std::vector<std::string> calls;
  std::deque<ScriptedBox> script;
  std::vector<ShownBox> boxes;
  dlg::Rect dialogRect{100, 80, 700, 480};
  std::vector<dlg::WindowRef> foreground{kOtherProgramWindow};
  std::size_t foregroundQueries = 0;
  std::vector<ProgressWindowInfo> progress;
  dlg::WindowRef nextWindow = 2;
  bool refuseRegistration = false;
  int registrations = 0;
  int unregistrations = 0;
};

State& state() {
  static State instance;
  return instance;
}

void record(const std::string& line) { state().calls.push_back(line); }

std::string hex(unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%x", value);
  return buffer;
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

void scriptBox(int answer, std::function<void()> whileOpen) {
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

void setDialogRect(dlg::Rect rect) { state().dialogRect = rect; }

void setForegroundSequence(std::vector<dlg::WindowRef> windows) {
  state().foreground = std::move(windows);
  state().foregroundQueries = 0;
}

const std::vector<ProgressWindowInfo>& progressWindows() { return state().progress; }

std::vector<unsigned> progressPositions() {
  std::vector<unsigned> positions;
  for (const std::string& call : callsStartingWith("progress ")) positions.push_back(std::stoul(call.substr(9)));
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

int messageBox(const std::wstring& text, const std::wstring& caption, unsigned flags) {
  State& s = state();
  s.boxes.push_back({text, caption, flags});
  record("box " + hex(flags) + " " + wideToUtf8(caption));
  if (s.script.empty()) {
    if ((flags & 0xF) != kBoxOk) ADD_FAILURE() << "unscripted question box: " << wideToUtf8(text);
    return (flags & 0xF) == kBoxYesNo ? kAnswerNo : (flags & 0xF) == kBoxOk ? kAnswerOk : kAnswerCancel;
  }
  ScriptedBox box = std::move(s.script.front());
  s.script.pop_front();
  if (box.whileOpen) box.whileOpen();
  record("box closed");
  return box.answer;
}

WindowRef mainWindow() { return kDialogWindow; }

Rect windowRect(WindowRef window) {
  EXPECT_EQ(window, kDialogWindow);
  return state().dialogRect;
}

WindowRef createProgressWindow(const std::wstring& title, int x, int y, int width, int height) {
  state().progress.push_back({title, x, y, width, height});
  const WindowRef window = state().nextWindow++;
  record("create " + std::to_string(window) + " " + std::to_string(x) + "," + std::to_string(y) + " " +
         std::to_string(width) + "x" + std::to_string(height) + " " + wideToUtf8(title));
  return window;
}

void setProgressPosition(WindowRef, unsigned position) { record("progress " + std::to_string(position)); }
void raiseToTop(WindowRef window) { record("raise " + std::to_string(window)); }
void showWindow(WindowRef window) { record("show " + std::to_string(window)); }

WindowRef foregroundWindow() {
  State& s = state();
  const std::size_t index = std::min(s.foregroundQueries++, s.foreground.size() - 1);
  return s.foreground[index];
}

void destroyWindow(WindowRef window) { record("destroy " + std::to_string(window)); }

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
