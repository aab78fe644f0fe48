#pragma once
// The one programming unit the program deals with, and how it is found and given up.
#include <array>
#include <cstdint>
#include <string>

#include "seams/hid_transport.h"

constexpr std::uint16_t kUnitVendorId = 0x21B8;
constexpr std::uint16_t kRoundelProductId = 1;
constexpr std::uint16_t kDockBoxProductId = 2;
constexpr std::int32_t kNoMatchingDevice = -4;
// The ESC firmware version of an ESC that reports none.
constexpr std::uint16_t kEscReportsNoFirmware = 0xFFFF;
// Type codes of the ESCs whose firmware this updater carries.
constexpr std::uint32_t kCompatibleTypeCodes[] = {0x111F403C, 0x0A06403C};

struct UnitDevice {
  hid::Handle handle = hid::kInvalidHandle;
  std::wstring devicePath;  // empty while no unit is open
  std::uint32_t outputReportLength = 0;
  std::uint32_t inputReportLength = 0;
  std::uint8_t unitMode = 0;  // 0: the mode that serves ESC updates
  std::uint32_t unitFirmwareVersion = 0;
  std::uint32_t unitInfoWord = 0;
  std::uint16_t escState = 0;  // 3: an updatable ESC is attached
  std::uint16_t escStateAux = 0;
  std::uint8_t modeByteA = 0;
  std::uint16_t modeWordB = 0;
  std::uint32_t modeDwordC = 0;
  std::uint32_t modeDwordD = 0;
  std::uint8_t modeByteE = 0;
  std::array<std::uint8_t, 32> escInfo{};
  std::array<std::uint8_t, 40> escLoaderInfo{};
  std::uint16_t productId = 0;

  bool isOpen() const { return handle != hid::kInvalidHandle; }
  std::uint16_t escFirmwareVersion() const;
  void setEscFirmwareVersion(std::uint16_t version);
  std::uint32_t escTypeCode() const;
  std::uint32_t escLoaderVersion() const;
};

extern UnitDevice unitDevice;

// Closes an open unit and returns the record to its reset state; harmless when reset.
void resetDevice();

// Opens the first present unit and identifies it: 0 found and identified, -1 the
// interfaces cannot be listed, -4 no unit present, else the identity query's result
// (the unit then stays open).
std::int32_t discoverUnit();
