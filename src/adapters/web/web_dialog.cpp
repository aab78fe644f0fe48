// The dialog seam in the browser: the page draws the dialog; the worker keeps what the core
// reads back and sends every change to the page.
#include <map>
#include <string>

#include "adapters/web/page_link.h"
#include "adapters/web/web_texts.h"
#include "res/catalogue.h"
#include "res/controls.h"
#include "res/message_ids.h"
#include "seams/dialog.h"

namespace dlg {
namespace {

bool progressOpen = false;

// The page's element for each control of the dialog.
const char* elementOf(int controlId) {
  using namespace web::element;
  switch (controlId) {
    case ctl::kCloseButton: return kClose;
    case ctl::kUpdateButton: return kUpdate;
    case ctl::kHintBox: return kHint;
    case ctl::kVersionGroup: return kVersionGroup;
    case ctl::kUnitLabel: return kUnitLabel;
    case ctl::kEscLoaderLabel: return kLoaderLabel;
    case ctl::kEscLabel: return kEscLabel;
    case ctl::kUnitVersionText: return kUnitVersion;
    case ctl::kEscLoaderVersionText: return kLoaderVersion;
    case ctl::kEscVersionText: return kEscVersion;
    default: return "";
  }
}

const char* iconOf(BoxKind kind) {
  switch (kind) {
    case BoxKind::EscIncompatible:
    case BoxKind::RunningElsewhere: return "information";
    case BoxKind::ConfirmUpdate:
    case BoxKind::OverwriteSameOrNewer: return "warning";
    default: return "error";
  }
}

// The box's buttons in their order, the one that goes on first.
std::string buttonsOf(BoxKind kind) {
  using namespace web::answer;
  switch (kind) {
    case BoxKind::ConfirmUpdate: return std::string(kOk) + "," + kCancel;
    case BoxKind::OverwriteSameOrNewer: return std::string(kYes) + "," + kNo;
    default: return kOk;
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
  web::postToPage(web::message::kElementText, elementOf(controlId), 0, text);
}

std::wstring controlText(int controlId) { return controlTexts()[controlId]; }

void enableControl(int controlId, bool enabled) {
  web::postToPage(web::message::kElementEnabled, elementOf(controlId), enabled ? 1 : 0);
}

Answer showBox(BoxKind kind, const std::wstring& text, const std::wstring& caption) {
  return web::askPage(text, caption, iconOf(kind), buttonsOf(kind).c_str()) ? Answer::GoOn : Answer::Stop;
}

// The page places its progress window itself and keeps it in front: it is modal there.
void showProgress(const UpdateProgress& update) {
  if (update.phase != UpdatePhase::Writing) return;
  if (!progressOpen) web::postToPage(web::message::kProgressOpen, "", 0, loadText(msg::kProgressTitle));
  progressOpen = true;
  web::postToPage(web::message::kProgressPosition, "", static_cast<int>(percentSent(update)));
}

void closeProgress() {
  if (progressOpen) web::postToPage(web::message::kProgressClose, "", 0);
  progressOpen = false;
}

// The worker always listens for WebHID's connect and disconnect events.
std::uintptr_t registerHidNotifications() { return 1; }
void unregisterHidNotifications(std::uintptr_t) {}

}  // namespace dlg
