#include "update/update_sequence.h"

#include "digest/sha256.h"
#include "link/unit_device.h"
#include "link/unit_protocol.h"
#include "platform/dialog.h"
#include "platform/hid_transport.h"
#include "platform/system.h"
#include "res/controls.h"
#include "res/literals.h"
#include "res/message_ids.h"
#include "text/format_text.h"
#include "ui/version_panel.h"
#include "update/image_transfer.h"
#include "update/readiness.h"

namespace {

void reportStepFailure(std::uint16_t textId, ExchangeResult code, std::uint32_t systemError) {
  reportFailure(dlg::loadText(textId), dlg::loadText(msg::kUpdateFailedCaption), code, systemError);
}

bool matchesRecord(const sys::FirmwareImage& image) {
  const sys::ImageRecord record = sys::recordedImage();
  return image.size == record.size && sha256(image.bytes, image.size) == record.sha256;
}

// What rules an update out before anything reaches the unit.
struct Refusal {
  std::uint16_t text = 0;         // 0: nothing does
  bool needsAnotherUnit = false;  // the connection instructions then follow in the hint
};

Refusal refusalOf(sys::FirmwareImage& image) {
  if (!sys::locateFirmwareImage(image) || image.size == 0) return {msg::kImageMissing, false};
  if (!matchesRecord(image)) return {msg::kImageDamaged, false};
  if (unitDevice.outputReportLength < kBlockRequestBytes) return {msg::kUnitReportsTooShort, true};
  return {};
}

// Pressing Update again could never work, so it is disabled; the unit is not at fault and
// stays open. The hint is written before the box opens, so that a removal handled while
// it is open has the last word.
void refuse(const Refusal& refusal) {
  dlg::enableControl(ctl::kUpdateButton, false);
  if (refusal.needsAnotherUnit) {
    appendHint(refusal.text);
  } else {
    dlg::setControlText(ctl::kHintBox, dlg::loadText(refusal.text));
  }
  dlg::messageBox(dlg::loadText(refusal.text), dlg::loadText(msg::kUpdateFailedCaption),
                  dlg::kIconError | dlg::kBoxOk);
}

bool userAccepts(std::uint16_t textId, std::uint16_t captionId, unsigned buttons, int acceptingAnswer) {
  return dlg::messageBox(dlg::loadText(textId), dlg::loadText(captionId), buttons | dlg::kIconWarning) ==
         acceptingAnswer;
}

// The warning not to interrupt, then, for an ESC that already has this version or a
// newer one, whether to overwrite it anyway.
bool userConfirms() {
  if (!userAccepts(msg::kConfirm, msg::kConfirmCaption, dlg::kBoxOkCancel, dlg::kAnswerOk)) return false;
  const std::uint16_t installed = unitDevice.escFirmwareVersion();
  if (installed < kImageVersion || installed == kEscReportsNoFirmware) return true;
  return userAccepts(msg::kSameOrOlderVersion, msg::kSameOrOlderVersionCaption, dlg::kBoxYesNo, dlg::kAnswerYes);
}

ExchangeResult lockUnit() {
  Report reply;
  const ExchangeResult result = exchange(setSystemLockRequest(true), reply);
  if (result != 0) return result;
  return reply.u8(3) == 1 ? 0 : kStepNotConfirmed;
}

ExchangeResult liftWriteProtection() {
  Report reply;
  const ExchangeResult result = exchange(setWriteProtectionRequest(false), reply);
  if (result != 0) return result;
  if (reply.u8(1) == kErrorStatus) return standardStatus(reply);
  return reply.u8(3) == 0 ? 0 : kStepNotConfirmed;
}

// The ESC needs the settle time after an erase whether or not the unit confirmed it.
ExchangeResult eraseAndSettle() {
  const ExchangeResult result = eraseFirmware();
  sys::pause(kEraseSettleMs);
  return result;
}

ExchangeResult setWriteAddress() {
  Report reply;
  const ExchangeResult result = exchange(setWriteAddressRequest(), reply);
  return result != 0 ? result : standardStatus(reply);
}

struct PreparationStep {
  std::uint32_t pauseBeforeMs;
  ExchangeResult (*run)();
  std::uint16_t failureText;
};

constexpr PreparationStep kPreparation[] = {
    {0, lockUnit, msg::kSystemLockFailed},
    {kCommandPauseMs, liftWriteProtection, msg::kWriteProtectionFailed},
    {kCommandPauseMs, eraseAndSettle, msg::kEraseFailed},
    {kCommandPauseMs, setWriteAddress, msg::kAddressNotSet},
};

// The step that failed, with its text; text 0 when every step succeeded.
struct StepFailure {
  std::uint16_t text = 0;
  ExchangeResult code = 0;
  std::uint32_t systemError = 0;
};

// The image is already in flash: a unit that does not confirm these changes nothing.
void restoreProtectionAndLock() {
  Report reply;
  exchange(setWriteProtectionRequest(true), reply);
  exchange(setSystemLockRequest(false), reply);
}

// Lock, unprotect, erase, address, transfer and restore: every request of the update.
StepFailure writeImage(const sys::FirmwareImage& image) {
  for (const PreparationStep& step : kPreparation) {
    if (step.pauseBeforeMs != 0) sys::pause(step.pauseBeforeMs);
    const ExchangeResult result = step.run();
    if (result != 0) return {step.failureText, result, hid::active().lastError()};
  }
  sys::pause(kCommandPauseMs);
  const TransferResult transfer = transferImage(image);
  if (transfer.result != 0) return {msg::kBlockNotWritten, transfer.result, transfer.systemError};
  restoreProtectionAndLock();
  return {};
}

void showSuccess() {
  unitDevice.setEscFirmwareVersion(kImageVersion);
  dlg::enableControl(ctl::kUpdateButton, false);
  refreshVersionPanel();
  dlg::setControlText(ctl::kHintBox, dlg::loadText(msg::kUpdateSucceeded));
}

}  // namespace

void runUpdate() {
  if (!unitDevice.isOpen()) {
    reportStepFailure(msg::kUnitNotDetected, kNoUnitOpen, hid::active().lastError());
    return;
  }
  // Refused before the user is asked and before anything reaches the unit, so the ESC
  // keeps its firmware rather than being erased and left empty.
  sys::FirmwareImage image;
  const Refusal refusal = refusalOf(image);
  if (refusal.text != 0) {
    refuse(refusal);
    return;
  }
  if (!userConfirms()) return;

  // The writing span ends before a failure box can keep the user for a while.
  sys::beginUpdateWriting();
  const StepFailure failure = writeImage(image);
  sys::endUpdateWriting();
  if (failure.text != 0) {
    reportStepFailure(failure.text, failure.code, failure.systemError);
    return;
  }
  showSuccess();
}

void reportFailure(const std::wstring& text, const std::wstring& caption, std::int32_t code,
                   std::uint32_t systemError) {
  resetDevice();
  dlg::enableControl(ctl::kUpdateButton, false);
  refreshVersionPanel();

  std::wstring message = text;
  if (code != kNoUnitOpen) {
    message += lit::kLineBreak;
    message += formatText(dlg::loadText(msg::kErrorCodeLine), {code, systemError}, dlg::kTextCapacity);
  }
  dlg::messageBox(message, caption, dlg::kIconError | dlg::kBoxOk);
  dlg::setControlText(ctl::kHintBox, dlg::loadText(msg::kUpdateFailedHint));
}
