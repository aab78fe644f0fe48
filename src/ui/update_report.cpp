#include "ui/update_report.h"

#include "seams/dialog.h"
#include "ui/main_view.h"
#include "res/controls.h"
#include "res/literals.h"
#include "res/message_ids.h"
#include "base/format_text.h"
#include "ui/unit_status.h"
#include "ui/version_panel.h"

namespace {

const struct {
  UpdateStep step;
  std::uint16_t text;
} kStepTexts[] = {
    {UpdateStep::ImageMissing, msg::kImageMissing},
    {UpdateStep::ImageDamaged, msg::kImageDamaged},
    {UpdateStep::UnitReportsTooShort, msg::kUnitReportsTooShort},
    {UpdateStep::UnitNotDetected, msg::kUnitNotDetected},
    {UpdateStep::SystemLock, msg::kSystemLockFailed},
    {UpdateStep::WriteProtection, msg::kWriteProtectionFailed},
    {UpdateStep::Erase, msg::kEraseFailed},
    {UpdateStep::WriteAddress, msg::kAddressNotSet},
    {UpdateStep::BlockTransfer, msg::kBlockNotWritten},
};

std::uint16_t textOf(UpdateStep step) {
  for (const auto& entry : kStepTexts) {
    if (entry.step == step) return entry.text;
  }
  return 0;
}

bool hasCodeLine(const UpdateOutcome& outcome) { return isFailure(outcome.step) && outcome.code != kCodeNotShown; }

void showOutcomeBox(dlg::BoxKind kind, const UpdateOutcome& outcome) {
  dlg::ask(kind, outcomeMessage(outcome), dlg::loadText(msg::kUpdateFailedCaption));
}

// The hint is written before the box opens, so that a removal handled while it is open
// has the last word.
void showRefusal(const UpdateOutcome& outcome) {
  showRefusalHint(outcome.step);
  showOutcomeBox(dlg::BoxKind::UpdateRefused, outcome);
}

// The unit is given up before the box opens; a unit found while it is open stays, and
// the failure hint still has the last word.
void showFailure(const UpdateOutcome& outcome) {
  giveUpUnit();
  showOutcomeBox(dlg::BoxKind::UpdateFailed, outcome);
  showText(ctl::kHintBox, dlg::loadText(msg::kUpdateFailedHint));
}

void showSuccess() {
  showUpdateEnabled(false);
  refreshVersionPanel();
  showText(ctl::kHintBox, dlg::loadText(msg::kUpdateSucceeded));
}

}  // namespace

UpdateOutcome updateAndReport() {
  const UpdateOutcome outcome = runUpdate();
  if (outcome.step == UpdateStep::None) {
    showSuccess();
  } else if (isRefusal(outcome.step)) {
    showRefusal(outcome);
  } else if (isFailure(outcome.step)) {
    showFailure(outcome);
  }
  return outcome;
}

// Pressing Update again could never work, so it is disabled; the unit is not at fault and
// stays open.
void showRefusalHint(UpdateStep refusal) {
  const std::uint16_t text = textOf(refusal);
  showUpdateEnabled(false);
  if (refusal == UpdateStep::UnitReportsTooShort) {
    appendHint(text);  // another unit is needed: the connection instructions follow
  } else {
    showText(ctl::kHintBox, dlg::loadText(text));
  }
}

std::wstring outcomeMessage(const UpdateOutcome& outcome) {
  std::wstring message = dlg::loadText(textOf(outcome.step));
  if (hasCodeLine(outcome)) {
    message += lit::kLineBreak;
    message += formatText(dlg::loadText(msg::kErrorCodeLine), {outcome.code, outcome.systemError}, dlg::kTextCapacity);
  }
  return message;
}
