#include "programs/cli/exit_codes.h"

namespace exitcode {

int ofStep(UpdateStep step) {
  switch (step) {
    case UpdateStep::None: return kReady;
    case UpdateStep::Cancelled: return kCancelled;
    case UpdateStep::ImageMissing: return kNoImage;
    case UpdateStep::ImageDamaged: return kImageDamaged;
    case UpdateStep::UnitReportsTooShort: return kUnitReportsTooShort;
    case UpdateStep::UnitNotDetected: return kUnitLost;
    case UpdateStep::SystemLock: return kSystemLockFailed;
    case UpdateStep::WriteProtection: return kWriteProtectionFailed;
    case UpdateStep::Erase: return kEraseFailed;
    case UpdateStep::WriteAddress: return kAddressFailed;
    case UpdateStep::BlockTransfer: break;
  }
  return kTransferFailed;  // and for a step not named above
}

}  // namespace exitcode
