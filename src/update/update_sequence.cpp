#include "update/update_sequence.h"

#include <iterator>

#include "base/sha256.h"
#include "link/unit_device.h"
#include "link/unit_protocol.h"
#include "seams/dialog.h"
#include "seams/hid_transport.h"
#include "seams/system.h"
#include "res/message_ids.h"
#include "update/image_transfer.h"

namespace {

bool matchesRecord(const sys::FirmwareImage& image) {
  const sys::ImageRecord record = sys::recordedImage();
  return image.size == record.size && sha256(image.bytes, image.size) == record.sha256;
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
  UpdateStep failedStep;
};

constexpr PreparationStep kPreparation[] = {
    {0, lockUnit, UpdateStep::SystemLock},
    {kCommandPauseMs, liftWriteProtection, UpdateStep::WriteProtection},
    {kCommandPauseMs, eraseAndSettle, UpdateStep::Erase},
    {kCommandPauseMs, setWriteAddress, UpdateStep::WriteAddress},
};

// The image is already in flash: a unit that does not confirm these changes nothing.
void restoreProtectionAndLock() {
  Report reply;
  exchange(setWriteProtectionRequest(true), reply);
  exchange(setSystemLockRequest(false), reply);
}

// Lock, unprotect, erase, address, transfer and restore: every request of the update.
UpdateOutcome writeImage(const sys::FirmwareImage& image) {
  for (const PreparationStep& step : kPreparation) {
    if (step.pauseBeforeMs != 0) sys::pause(step.pauseBeforeMs);
    const ExchangeResult result = step.run();
    if (result != 0) return {step.failedStep, result, hid::active().lastError()};
  }
  sys::pause(kCommandPauseMs);
  const TransferResult transfer = transferImage(image);
  if (transfer.result != 0) return {UpdateStep::BlockTransfer, transfer.result, transfer.systemError};
  restoreProtectionAndLock();
  return {};
}

}  // namespace

bool isRefusal(UpdateStep step) { return step >= UpdateStep::ImageMissing && step <= UpdateStep::UnitReportsTooShort; }

bool isFailure(UpdateStep step) { return step >= UpdateStep::UnitNotDetected; }

namespace {

const struct {
  UpdateStep step;
  const char* stepName;
  const char* outcomeName;
} kStepNames[] = {
    {UpdateStep::None, "None", "Succeeded"},
    {UpdateStep::Cancelled, "Cancelled", "Cancelled"},
    {UpdateStep::ImageMissing, "ImageMissing", "ImageMissing"},
    {UpdateStep::ImageDamaged, "ImageDamaged", "ImageDamaged"},
    {UpdateStep::UnitReportsTooShort, "UnitReportsTooShort", "UnitReportsTooShort"},
    {UpdateStep::UnitNotDetected, "UnitNotDetected", "UnitLost"},
    {UpdateStep::SystemLock, "SystemLock", "SystemLockFailed"},
    {UpdateStep::WriteProtection, "WriteProtection", "WriteProtectionFailed"},
    {UpdateStep::Erase, "Erase", "EraseFailed"},
    {UpdateStep::WriteAddress, "WriteAddress", "WriteAddressFailed"},
    {UpdateStep::BlockTransfer, "BlockTransfer", "BlockTransferFailed"},
};

// The names of a step; a step the table does not name counts as a failed block transfer.
const auto& namesOf(UpdateStep step) {
  for (const auto& entry : kStepNames) {
    if (entry.step == step) return entry;
  }
  return kStepNames[std::size(kStepNames) - 1];
}

}  // namespace

const char* updateStepName(UpdateStep step) { return namesOf(step).stepName; }
const char* updateOutcomeName(UpdateStep step) { return namesOf(step).outcomeName; }

UpdateStep imageRefusal(sys::FirmwareImage& image) {
  if (!sys::locateFirmwareImage(image) || image.size == 0) return UpdateStep::ImageMissing;
  if (!matchesRecord(image)) return UpdateStep::ImageDamaged;
  return UpdateStep::None;
}

UpdateStep updateRefusal(sys::FirmwareImage& image) {
  const UpdateStep refusal = imageRefusal(image);
  if (refusal != UpdateStep::None) return refusal;
  if (unitDevice.outputReportLength < kBlockRequestBytes) return UpdateStep::UnitReportsTooShort;
  return UpdateStep::None;
}

UpdateOutcome runUpdate() {
  if (!unitDevice.isOpen()) return {UpdateStep::UnitNotDetected, kNoUnitOpen, hid::active().lastError()};
  // Refused before the user is asked and before anything reaches the unit, so the ESC
  // keeps its firmware rather than being erased and left empty.
  sys::FirmwareImage image;
  const UpdateStep refusal = updateRefusal(image);
  if (refusal != UpdateStep::None) return {refusal};
  if (!userConfirms()) return {UpdateStep::Cancelled};

  // The writing span ends before a failure box can keep the user for a while.
  sys::beginUpdateWriting();
  const UpdateOutcome outcome = writeImage(image);
  sys::endUpdateWriting();
  if (outcome.step == UpdateStep::None) unitDevice.setEscFirmwareVersion(kImageVersion);
  return outcome;
}
