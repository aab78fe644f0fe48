#pragma once
#include <cstdint>

#include "link/unit_protocol.h"
#include "seams/system.h"

#include "update/image_version.h"

constexpr std::uint16_t kImageVersion = SPINDRA_IMAGE_VERSION_MAJOR << 8 | SPINDRA_IMAGE_VERSION_MINOR;
constexpr std::int32_t kStepNotConfirmed = 1627;
constexpr std::uint32_t kEraseSettleMs = 4000;

// Where an update ended: written, declined by the user, refused before anything reached
// the unit, or failed at a step.
enum class UpdateStep {
  None,
  Cancelled,
  // Refusals: what the program carries or the unit can take rules the update out.
  ImageMissing,
  ImageDamaged,
  UnitReportsTooShort,
  // Failures: the unit is no longer fit to keep.
  UnitNotDetected,
  SystemLock,
  WriteProtection,
  Erase,
  WriteAddress,
  BlockTransfer,
};

// No unit open, a refused request and a unit reporting 0xFFFFFFFF all read as -1: a
// failure with this code is reported without a code line.
constexpr ExchangeResult kCodeNotShown = -1;

struct UpdateOutcome {
  UpdateStep step = UpdateStep::None;
  ExchangeResult code = 0;  // of a failed step
  std::uint32_t systemError = 0;
};

bool isRefusal(UpdateStep step);
bool isFailure(UpdateStep step);

// Names the same in every language, for scripts and records: where an update ended (e.g.
// "Erase"), and how it ended (e.g. "EraseFailed", "Succeeded").
const char* updateStepName(UpdateStep step);
const char* updateOutcomeName(UpdateStep step);

// What rules an update of the open unit out before anything reaches it, in this order: no
// image, a damaged image, output reports too short for a block. None when nothing does;
// image is then the one to write. Update asks it before its questions, a status before
// it calls a unit ready.
UpdateStep updateRefusal(sys::FirmwareImage& image);
// Its part that concerns the carried image alone: ImageMissing, ImageDamaged or None.
UpdateStep imageRefusal(sys::FirmwareImage& image);

// What the Update button does: refuse what cannot be written, confirm, write the image.
// Shows nothing of the outcome; the caller does.
UpdateOutcome runUpdate();
