// The dialog seam in the browser: the page draws the dialog; the worker keeps what the core
// reads back and sends every change to the page.
#include <map>

#include "adapters/web/page_link.h"
#include "adapters/web/web_texts.h"
#include "res/catalogue.h"
#include "res/controls.h"
#include "seams/dialog.h"

namespace dlg {
namespace {

constexpr WindowRef kMainWindow = 1;
constexpr WindowRef kProgressWindow = 2;

// The page's element for each control of the dialog.
const char* elementOf(int controlId) {
  switch (controlId) {
    case ctl::kCloseButton: return "close";
    case ctl::kUpdateButton: return "update";
    case ctl::kHintBox: return "hint";
    case ctl::kVersionGroup: return "version-group";
    case ctl::kUnitLabel: return "unit-label";
    case ctl::kEscLoaderLabel: return "loader-label";
    case ctl::kEscLabel: return "esc-label";
    case ctl::kUnitVersionText: return "unit-version";
    case ctl::kEscLoaderVersionText: return "loader-version";
    case ctl::kEscVersionText: return "esc-version";
    default: return "";
  }
}

const char* iconOf(unsigned flags) {
  switch (flags & 0xF0) {
    case kIconError: return "error";
    case kIconWarning: return "warning";
    case kIconInformation: return "information";
    default: return "";
  }
}

// The answers of the box's buttons, in their order.
const char* answersOf(unsigned flags) {
  switch (flags & 0x0F) {
    case kBoxOkCancel: return "1,2";
    case kBoxYesNo: return "6,7";
    default: return "1";
  }
}

std::map<int, std::wstring>& controlTexts() {
  static std::map<int, std::wstring> texts;
  return texts;
}

}  // namespace

std::wstring loadText(std::uint16_t messageId) {
  std::wstring text = catalogue::text(messageId, web::language());
  if (text.size() > kTextCapacity - 1) text.resize(kTextCapacity - 1);
  return text;
}

void setControlText(int controlId, const std::wstring& text) {
  controlTexts()[controlId] = text;
  web::postToPage(web::kElementText, elementOf(controlId), 0, text);
}

std::wstring controlText(int controlId) { return controlTexts()[controlId]; }

void enableControl(int controlId, bool enabled) {
  web::postToPage(web::kElementEnabled, elementOf(controlId), enabled ? 1 : 0);
}

int messageBox(const std::wstring& text, const std::wstring& caption, unsigned flags) {
  return web::askPage(text, caption, iconOf(flags), answersOf(flags));
}

WindowRef mainWindow() { return kMainWindow; }

// The page places its windows itself.
Rect windowRect(WindowRef) { return {}; }

WindowRef createProgressWindow(const std::wstring& title, int, int, int, int) {
  web::postToPage(web::kProgressOpen, "", 0, title);
  return kProgressWindow;
}

void setProgressPosition(WindowRef, unsigned position) {
  web::postToPage(web::kProgressPosition, "", static_cast<int>(position));
}

// The progress window is modal on the page: it stays in front by itself.
void raiseToTop(WindowRef) {}
void showWindow(WindowRef) {}
WindowRef foregroundWindow() { return kMainWindow; }

void destroyWindow(WindowRef window) {
  if (window == kProgressWindow) web::postToPage(web::kProgressClose, "", 0);
}

// The worker always listens for WebHID's connect and disconnect events.
std::uintptr_t registerHidNotifications() { return 1; }
void unregisterHidNotifications(std::uintptr_t) {}

}  // namespace dlg
