#pragma once
// Exit codes of spindra-update, one for each outcome a script may want to tell apart.
#include "update/update_sequence.h"

namespace exitcode {

constexpr int kReady = 0;  // also: updated
constexpr int kWrongOptions = 2;
constexpr int kNoUnit = 10;
constexpr int kWrongMode = 11;
constexpr int kNoUpdatableEsc = 12;
constexpr int kEscIncompatible = 13;
constexpr int kPermissionDenied = 14;
constexpr int kUnitInUse = 15;  // another program holds the unit's node
constexpr int kWaitTimedOut = 16;  // --wait=SECONDS passed without a unit
constexpr int kCancelled = 20;
constexpr int kUnitLost = 30;
constexpr int kSystemLockFailed = 31;
constexpr int kWriteProtectionFailed = 32;
constexpr int kEraseFailed = 33;
constexpr int kAddressFailed = 34;
constexpr int kTransferFailed = 35;
constexpr int kNoImage = 36;
constexpr int kImageDamaged = 37;
constexpr int kUnitReportsTooShort = 38;
constexpr int kExchangeFileUnusable = 40;
constexpr int kReplayDiffers = 41;
constexpr int kReplayEndsOtherwise = 42;  // the replay made the report's calls but ended in another outcome

// Of an update that ended at the step, or of a unit whose update would be refused there.
int ofStep(UpdateStep step);

}  // namespace exitcode
