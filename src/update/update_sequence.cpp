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

// The warning not to interrupt, then, for an ESC that already has this version or a
// newer one, whether to overwrite it anyway.
bool userConfirms() {
  const auto goesOn = [](dlg::BoxKind kind, std::uint16_t textId, std::uint16_t captionId) {
    return dlg::ask(kind, dlg::loadText(textId), dlg::loadText(captionId)) == dlg::Answer::GoOn;
  };
  if (!goesOn(dlg::BoxKind::ConfirmUpdate, msg::kConfirm, msg::kConfirmCaption)) return false;
  const std::uint16_t installed = unitDevice.escFirmwareVersion();
  if (installed < kImageVersion || installed == kEscReportsNoFirmware) return true;
  return goesOn(dlg::BoxKind::OverwriteSameOrNewer, msg::kSameOrOlderVersion, msg::kSameOrOlderVersionCaption);
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
  ExchangeResult (*run)();
  UpdateStep failedStep;
  dlg::UpdatePhase phase;
  std::uint32_t pausesWithinMs;  // that the step makes itself
};

// Each step but the first follows a command pause.
constexpr PreparationStep kPreparation[] = {
    {lockUnit, UpdateStep::SystemLock, dlg::UpdatePhase::Preparing, 0},
    {liftWriteProtection, UpdateStep::WriteProtection, dlg::UpdatePhase::Preparing, 0},
    {eraseAndSettle, UpdateStep::Erase, dlg::UpdatePhase::Erasing, kEraseWaitMs + kEraseSettleMs},
    {setWriteAddress, UpdateStep::WriteAddress, dlg::UpdatePhase::Preparing, 0},
};

// Before a step and its command pause: the fixed pauses from there to the end of the update,
// the one before the transfer and the transfer's own included.
dlg::UpdateProgress progressBefore(std::size_t step, std::uint32_t imageSize) {
  std::uint32_t pausesAheadMs = kCommandPauseMs + transferPausesMs(imageSize);
  for (std::size_t later = step; later < std::size(kPreparation); ++later) {
    pausesAheadMs += (later == 0 ? 0 : kCommandPauseMs) + kPreparation[later].pausesWithinMs;
  }
  return {kPreparation[step].phase, 0, imageSize, pausesAheadMs};
}

// The image is already in flash: a unit that does not confirm these changes nothing.
void restoreProtectionAndLock() {
  Report reply;
  exchange(setWriteProtectionRequest(true), reply);
  exchange(setSystemLockRequest(false), reply);
}

// Lock, unprotect, erase, address, transfer and restore: every request of the update. What
// lies ahead before the first step is told by the caller.
UpdateOutcome writeImage(const sys::FirmwareImage& image) {
  for (std::size_t step = 0; step < std::size(kPreparation); ++step) {
    if (step != 0) {
      dlg::showProgress(progressBefore(step, image.size));
      sys::pause(kCommandPauseMs);
    }
    const ExchangeResult result = kPreparation[step].run();
    if (result != 0) return {kPreparation[step].failedStep, result, hid::active().lastError()};
  }
  sys::pause(kCommandPauseMs);
  const TransferResult transfer = transferImage(image);
  if (transfer.result != 0) return {UpdateStep::BlockTransfer, transfer.result, transfer.systemError};
  dlg::showProgress({dlg::UpdatePhase::Restoring, image.size, image.size, 0});
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

  // Told before the writing span, in which an interruption may ask how long the update still
  // takes. The span ends before a failure box can keep the user for a while.
  dlg::showProgress(progressBefore(0, image.size));
  sys::beginUpdateWriting();
  const UpdateOutcome outcome = writeImage(image);
  sys::endUpdateWriting();
  if (outcome.step == UpdateStep::None) unitDevice.setEscFirmwareVersion(kImageVersion);
  return outcome;
}
