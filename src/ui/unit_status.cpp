#include "ui/unit_status.h"

#include <string>

#include "link/unit_device.h"
#include "seams/dialog.h"
#include "ui/main_view.h"
#include "res/controls.h"
#include "res/literals.h"
#include "res/message_ids.h"
#include "base/format_text.h"
#include "ui/version_panel.h"
#include "update/readiness.h"

namespace {

std::uint16_t statusTextOf(Readiness outcome) {
  switch (outcome) {
    case Readiness::NoUnit: return msg::kNoUnit;
    case Readiness::WrongMode: return msg::kWrongMode;
    case Readiness::NoUpdatableEsc: return msg::kNoUpdatableEsc;
    case Readiness::EscIncompatible: return msg::kIncompatibleHint;
    case Readiness::Ready: break;
  }
  return msg::kReady;
}

void explainIncompatibleEsc() {
  const std::wstring text = formatText(dlg::loadText(msg::kIncompatible), {lit::kTargetModel}, dlg::kTextCapacity);
  dlg::ask(dlg::BoxKind::EscIncompatible, text, dlg::loadText(msg::kIncompatibleCaption));
}

}  // namespace

void assessReadiness(std::int32_t discoverResult) {
  const Readiness outcome = classifyReadiness(discoverResult);
  showReadiness(outcome);
  if (outcome == Readiness::Ready) {
    showText(ctl::kHintBox, dlg::loadText(msg::kReady));
    showUpdateEnabled(true);
  } else {
    // The unit is given up before the box opens: events handled while it is open (a nested
    // arrival and assessment) then see no unit and may set the Update button themselves.
    showUpdateEnabled(false);
    resetDevice();
    if (outcome == Readiness::EscIncompatible) explainIncompatibleEsc();
    appendHint(statusTextOf(outcome));
  }
  refreshVersionPanel();
}

void giveUpUnit() {
  resetDevice();
  showUpdateEnabled(false);
  refreshVersionPanel();
}

void appendHint(std::uint16_t statusId) {
  std::wstring status = dlg::loadText(statusId) + lit::kParagraphBreak;
  if (status.size() > dlg::kTextCapacity - 1) status.resize(dlg::kTextCapacity - 1);
  showText(ctl::kHintBox, status);
  // The instructions are appended to what the hint box holds, in a buffer sized to the whole.
  showText(ctl::kHintBox, dlg::controlText(ctl::kHintBox) + dlg::loadText(msg::kInstructions));
}
