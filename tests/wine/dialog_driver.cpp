#include "wine/dialog_driver.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "res/catalogue.h"
#include "res/controls.h"
#include "base/format_text.h"

namespace drive {

namespace {

constexpr std::chrono::milliseconds kPollInterval{25};
constexpr UINT kAnswerTimeoutMs = 1000;
constexpr int kMessageBoxTextId = 0xFFFF;
const wchar_t* const kDialogClass = L"#32770";

const char* catalogueFormat(std::uint16_t id) {
  for (const catalogue::Entry& entry : catalogue::entries()) {
    if (entry.id == id) return germanInterface() ? entry.german : entry.english;
  }
  return "<not in the catalogue>";
}

std::wstring className(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

DWORD processOf(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

struct WindowQuery {
  DWORD processId;
  const wchar_t* className;
  HWND owner;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM queryAddress) {
  auto* query = reinterpret_cast<WindowQuery*>(queryAddress);
  if (processOf(window) != query->processId || className(window) != query->className) return TRUE;
  if (GetWindow(window, GW_OWNER) != query->owner) return TRUE;
  if (query->visibleOnly && !IsWindowVisible(window)) return TRUE;
  query->found = window;
  return FALSE;
}

HWND findTopLevel(DWORD processId, const wchar_t* windowClass, HWND owner, bool visibleOnly) {
  WindowQuery query{processId, windowClass, owner, visibleOnly, nullptr};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND waitForTopLevel(DWORD processId, const wchar_t* windowClass, HWND owner, std::chrono::milliseconds patience) {
  HWND found = nullptr;
  waitUntil([&] { return (found = findTopLevel(processId, windowClass, owner, true)) != nullptr; }, patience);
  return found;
}

std::string panelState(HWND dialog) {
  const int panel[] = {ctl::kUnitLabel,        ctl::kEscLoaderLabel,       ctl::kEscLabel,
                       ctl::kUnitVersionText, ctl::kEscLoaderVersionText, ctl::kEscVersionText};
  const auto enabled = [dialog](int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; };
  if (std::all_of(std::begin(panel), std::end(panel), enabled)) return "enabled";
  if (std::none_of(std::begin(panel), std::end(panel), enabled)) return "disabled";
  return "mixed";
}

BOOL CALLBACK collectButton(HWND child, LPARAM idsAddress) {
  if (className(child) == L"Button" && IsWindowVisible(child)) {
    reinterpret_cast<std::vector<int>*>(idsAddress)->push_back(GetDlgCtrlID(child));
  }
  return TRUE;
}

// UTF-8 with CR and LF spelled out, so a wrong line break shows in a failure message.
std::string escapedLineBreaks(const std::wstring& text) {
  std::string escaped;
  for (char c : wideToUtf8(text)) {
    if (c == '\r') {
      escaped += "\\r";
    } else if (c == '\n') {
      escaped += "\\n";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

bool germanInterface() {
  const char* lang = std::getenv("LANG");
  return lang != nullptr && std::strncmp(lang, "de", 2) == 0;
}

std::wstring catalogueText(std::uint16_t id) { return utf8ToWide(catalogueFormat(id)); }

std::wstring formattedCatalogueText(std::uint16_t id, ...) {
  char text[4096];
  std::va_list args;
  va_start(args, id);
  std::vsnprintf(text, sizeof(text), catalogueFormat(id), args);
  va_end(args);
  return utf8ToWide(text);
}

std::wstring hintWithInstructions(std::uint16_t statusId) {
  return catalogueText(statusId) + L"\r\n\r\n" + catalogueText(40001);
}

HWND findMainDialog(DWORD processId) { return findTopLevel(processId, kDialogClass, nullptr, false); }

HWND findOwnedWindow(HWND owner, const wchar_t* windowClass) {
  return findTopLevel(processOf(owner), windowClass, owner, false);
}

HWND waitForMainDialog(DWORD processId) { return waitForTopLevel(processId, kDialogClass, nullptr, kPatience); }

HWND waitForMessageBox(HWND owner, std::chrono::milliseconds patience) {
  return waitForTopLevel(processOf(owner), kDialogClass, owner, patience);
}

HWND waitForOwnedWindow(HWND owner, const wchar_t* windowClass, std::chrono::milliseconds patience) {
  return waitForTopLevel(processOf(owner), windowClass, owner, patience);
}

bool waitUntilGone(HWND window, std::chrono::milliseconds patience) {
  return waitUntil([window] { return !IsWindow(window); }, patience);
}

std::wstring windowText(HWND window) {
  wchar_t text[4096];
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, kAnswerTimeoutMs,
                           &length)) {
    return L"<no answer>";
  }
  return std::wstring(text, std::min<DWORD_PTR>(length, 4095));
}

std::wstring controlText(HWND dialog, int controlId) { return windowText(GetDlgItem(dialog, controlId)); }

std::wstring storedTitle(HWND window) {
  wchar_t title[512];
  const int length = InternalGetWindowText(window, title, 512);
  return std::wstring(title, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void click(HWND dialog, int buttonId) { PostMessageW(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0); }

void pressEscape(HWND dialog) {
  // The key goes where the user's would: to the control that has the focus.
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  HWND target = dialog;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) && thread.hwndFocus != nullptr) {
    target = thread.hwndFocus;
  }
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

MessageBoxView readMessageBox(HWND box) {
  MessageBoxView view;
  view.caption = windowText(box);
  view.text = controlText(box, kMessageBoxTextId);
  EnumChildWindows(box, collectButton, reinterpret_cast<LPARAM>(&view.buttons));
  std::sort(view.buttons.begin(), view.buttons.end());
  return view;
}

bool DialogView::operator==(const DialogView& other) const {
  return caption == other.caption && closeButton == other.closeButton && updateButton == other.updateButton &&
         versionGroup == other.versionGroup && closeEnabled == other.closeEnabled &&
         updateEnabled == other.updateEnabled && hint == other.hint && unitLabel == other.unitLabel &&
         escLoaderLabel == other.escLoaderLabel && escLabel == other.escLabel && unitVersion == other.unitVersion &&
         escLoaderVersion == other.escLoaderVersion && escVersion == other.escVersion && panel == other.panel;
}

void PrintTo(const DialogView& view, std::ostream* out) {
  const auto show = [out](const char* name, const std::wstring& text) {
    *out << "\n  " << name << ": \"" << escapedLineBreaks(text) << "\"";
  };
  show("caption", view.caption);
  show("close button", view.closeButton);
  *out << (view.closeEnabled ? " enabled" : " disabled");
  show("update button", view.updateButton);
  *out << (view.updateEnabled ? " enabled" : " disabled");
  show("version group", view.versionGroup);
  show("unit", view.unitLabel + L" | " + view.unitVersion);
  show("ESC loader", view.escLoaderLabel + L" | " + view.escLoaderVersion);
  show("ESC", view.escLabel + L" | " + view.escVersion);
  *out << "\n  panel: " << view.panel;
  show("hint", view.hint);
}

void PrintTo(const MessageBoxView& view, std::ostream* out) {
  *out << "\n  caption: \"" << escapedLineBreaks(view.caption) << "\"\n  text: \"" << escapedLineBreaks(view.text)
       << "\"\n  buttons:";
  for (int id : view.buttons) *out << ' ' << id;
}

DialogView readDialog(HWND dialog) {
  DialogView view;
  view.caption = windowText(dialog);
  view.closeButton = controlText(dialog, ctl::kCloseButton);
  view.updateButton = controlText(dialog, ctl::kUpdateButton);
  view.versionGroup = controlText(dialog, ctl::kVersionGroup);
  view.closeEnabled = IsWindowEnabled(GetDlgItem(dialog, ctl::kCloseButton)) != FALSE;
  view.updateEnabled = IsWindowEnabled(GetDlgItem(dialog, ctl::kUpdateButton)) != FALSE;
  view.hint = controlText(dialog, ctl::kHintBox);
  view.unitLabel = controlText(dialog, ctl::kUnitLabel);
  view.escLoaderLabel = controlText(dialog, ctl::kEscLoaderLabel);
  view.escLabel = controlText(dialog, ctl::kEscLabel);
  view.unitVersion = controlText(dialog, ctl::kUnitVersionText);
  view.escLoaderVersion = controlText(dialog, ctl::kEscLoaderVersionText);
  view.escVersion = controlText(dialog, ctl::kEscVersionText);
  view.panel = panelState(dialog);
  return view;
}

DialogView awaitView(HWND dialog, const DialogView& expected, std::chrono::milliseconds patience) {
  DialogView seen;
  waitUntil(
      [&] {
        seen = readDialog(dialog);
        return seen == expected;
      },
      patience);
  return seen;
}

}  // namespace drive
