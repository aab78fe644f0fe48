#pragma once
// Ids of the catalogue texts the updater loads (texts in messages.def).
#include <cstdint>

namespace msg {
constexpr std::uint16_t kReady = 40000;
constexpr std::uint16_t kInstructions = 40001;
constexpr std::uint16_t kUpdateFailedCaption = 40002;
constexpr std::uint16_t kAddressNotSet = 40008;
constexpr std::uint16_t kBlockNotWritten = 40009;
constexpr std::uint16_t kRegistrationFailed = 40011;
constexpr std::uint16_t kRegistrationFailedCaption = 40012;
constexpr std::uint16_t kWrongMode = 40015;
constexpr std::uint16_t kNoUpdatableEsc = 40016;
constexpr std::uint16_t kNoUnit = 40017;
constexpr std::uint16_t kConnectionLost = 40020;
constexpr std::uint16_t kUnitNotDetected = 40022;
constexpr std::uint16_t kSameOrOlderVersion = 40023;
constexpr std::uint16_t kSameOrOlderVersionCaption = 40025;
constexpr std::uint16_t kSystemLockFailed = 40026;
constexpr std::uint16_t kWriteProtectionFailed = 40027;
constexpr std::uint16_t kEraseFailed = 40028;
constexpr std::uint16_t kProgressTitle = 40029;
constexpr std::uint16_t kUpdateFailedHint = 40030;
constexpr std::uint16_t kUpdateSucceeded = 40032;
constexpr std::uint16_t kIncompatibleCaption = 40033;
constexpr std::uint16_t kIncompatible = 40034;
constexpr std::uint16_t kIncompatibleHint = 40035;
constexpr std::uint16_t kErrorCodeLine = 40036;
constexpr std::uint16_t kConfirmCaption = 40037;
constexpr std::uint16_t kConfirm = 40038;
constexpr std::uint16_t kUnitLabel = 40039;
constexpr std::uint16_t kEscLoaderLabel = 40040;
constexpr std::uint16_t kEscLabel = 40041;
constexpr std::uint16_t kImageMissing = 40042;
constexpr std::uint16_t kUnitReportsTooShort = 40043;
constexpr std::uint16_t kImageDamaged = 40044;
constexpr std::uint16_t kRunningElsewhere = 40045;
constexpr std::uint16_t kReportNotWritten = 40046;
constexpr std::uint16_t kReportRequestNotUnderstood = 40047;
}  // namespace msg
