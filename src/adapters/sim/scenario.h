#pragma once
// Named states of the simulated bus, chosen when a program starts its simulated unit, and the
// one table of them that every program's help is made from.
#include <optional>
#include <string>
#include <vector>

#include "adapters/sim/simulated_bus.h"
#include "res/catalogue.h"

namespace sim {

// What a scenario puts on the bus beside a keyboard: a ready unit as the scenario changes
// it, or none, and a fault.
struct Setting {
  UnitModel unit;
  bool unitPresent = true;
  std::optional<Fault> fault;
};

// One scenario: its name, which ends in ':' where an argument follows; the argument's
// placeholder (empty without one) and what the unit then does, in English and German, as
// the help shows them (lines after the first are continued below the first); and what it
// makes of the setting, false for an argument it does not take.
struct Scenario {
  const char* name;
  catalogue::Translation argument;
  catalogue::Translation description;
  bool (*apply)(const std::string& argument, Setting& setting);
};

// Every scenario, "ready" first and those with an argument last.
const std::vector<Scenario>& scenarios();

// The scenarios as typed, with their arguments' English placeholders, separated by ", ";
// those with an argument set apart from those without by argumentsApart instead.
std::string scenarioNames(const char* argumentsApart = ", ");

// Puts a keyboard on an empty bus, then what the scenario makes of it; the empty name is
// "ready". escVersion, unless empty, is the ESC's firmware version, e.g. "0x0304".
// False, with the bus untouched, for a scenario or version it does not know.
bool loadScenario(Bus& bus, const std::string& scenario, const std::string& escVersion);

}  // namespace sim
