#pragma once
// The rows of scenario_outcomes.def as values, for the native and the Windows tests.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "link/unit_protocol.h"
#include "res/message_ids.h"
#include "update/readiness.h"

namespace outcomes {

struct AtStart {
  const char* scenario;
  Readiness readiness;
  const char* readinessName;
  int exitCode;
  std::uint16_t hint;
  bool withInstructions;
  std::uint16_t boxCaption;
  std::uint16_t boxText;
  bool updateEnabled;
  const char* escVersion;
};

struct AfterUpdate {
  const char* scenario;
  int exitCode;
  const char* update;
  const char* step;
  std::uint16_t boxText;
  std::int32_t result;
  std::uint32_t systemError;
  std::uint16_t hint;
  bool withInstructions;
  std::optional<UnitCommand> lastSent;
  const char* escVersion;
};

inline constexpr std::optional<UnitCommand> kNothingSent = std::nullopt;

inline constexpr AtStart kAtStart[] = {
#define AT_START(scenario, readiness, exitCode, hint, withInstructions, boxCaption, boxText, updateEnabled, escVersion) \
  {scenario, Readiness::readiness, #readiness, exitCode, hint, withInstructions, boxCaption, boxText, updateEnabled,   \
   escVersion},
#include "shared/scenario_outcomes.def"
};

inline constexpr AfterUpdate kAfterUpdate[] = {
#define AFTER_UPDATE(scenario, exitCode, update, step, boxText, result, systemError, hint, withInstructions, lastSent, \
                     escVersion)                                                                                     \
  {scenario, exitCode, update, step, boxText, result, systemError, hint, withInstructions, lastSent, escVersion},
#include "shared/scenario_outcomes.def"
};

// The row of a scenario; nullptr where the table has none.
template <typename Row, std::size_t N>
const Row* rowOf(const Row (&rows)[N], std::string_view scenario) {
  for (const Row& row : rows) {
    if (scenario == row.scenario) return &row;
  }
  return nullptr;
}

template <typename Row, std::size_t N>
const Row& existingRowOf(const Row (&rows)[N], std::string_view scenario) {
  const Row* row = rowOf(rows, scenario);
  if (row == nullptr) throw std::invalid_argument("no row for " + std::string(scenario));
  return *row;
}

inline const AtStart& atStart(std::string_view scenario) { return existingRowOf(kAtStart, scenario); }
inline const AfterUpdate& afterUpdate(std::string_view scenario) { return existingRowOf(kAfterUpdate, scenario); }

// The row of an update that fails at this command: its box and hint, whichever of the
// command's requests fails and however.
inline const AfterUpdate& failureAt(UnitCommand command) {
  for (const AfterUpdate& row : kAfterUpdate) {
    if (row.systemError != 0 && row.lastSent == command) return row;
  }
  throw std::invalid_argument("no row fails at this command");
}

}  // namespace outcomes
