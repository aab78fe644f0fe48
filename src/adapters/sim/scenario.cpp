#include "adapters/sim/scenario.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace sim {

namespace {

constexpr std::uint32_t kForeignTypeCode = 0x0B07403C;
const std::wstring kKeyboardPath =
    L"\\\\?\\HID#VID_046D&PID_C31C&MI_00#8&1B2C3D4E&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

struct CommandName {
  const char* name;
  UnitCommand command;
};
constexpr CommandName kCommandNames[] = {
    {"QueryState", UnitCommand::QueryState},           {"ReadUnitMemory", UnitCommand::ReadUnitMemory},
    {"SetSystemLock", UnitCommand::SetSystemLock},     {"WriteBlock", UnitCommand::WriteBlock},
    {"ReadEscInfo", UnitCommand::ReadEscInfo},         {"EraseFirmware", UnitCommand::EraseFirmware},
    {"SetWriteAddress", UnitCommand::SetWriteAddress}, {"SetWriteProtection", UnitCommand::SetWriteProtection},
    {"ReadEscLoaderInfo", UnitCommand::ReadEscLoaderInfo},
};

// A whole decimal or 0x-prefixed hexadecimal number no larger than limit.
std::optional<unsigned long> parseNumber(const std::string& text, unsigned long limit) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || value > limit) return std::nullopt;
  return value;
}

// "<Command>[:<n>]" as a fault that strikes the n-th request of that command.
std::optional<Fault> parseFailure(const std::string& text) {
  const std::size_t colon = text.find(':');
  const std::string name = text.substr(0, colon);
  unsigned long occurrence = 1;
  if (colon != std::string::npos) {
    std::optional<unsigned long> parsed = parseNumber(text.substr(colon + 1), 1000000);
    if (!parsed || *parsed == 0) return std::nullopt;
    occurrence = *parsed;
  }
  for (const CommandName& known : kCommandNames) {
    if (name == known.name) {
      return faultAtCommand(FaultKind::ReadFails, known.command, static_cast<unsigned>(occurrence));
    }
  }
  return std::nullopt;
}

// "<n>" as a unit that falls silent at its n-th exchange, counted from discovery on.
std::optional<Fault> parseSilence(const std::string& text) {
  std::optional<unsigned long> exchange = parseNumber(text, 1000000);
  if (!exchange || *exchange == 0) return std::nullopt;
  return faultAtExchange(FaultKind::Silent, static_cast<unsigned>(*exchange));
}

// Scenarios of a ready unit with a fault: a prefix, then what the parser makes of the rest.
struct FaultScenario {
  const char* prefix;
  std::optional<Fault> (*parse)(const std::string& text);
};
constexpr FaultScenario kFaultScenarios[] = {{"fail-at:", parseFailure}, {"silent-from:", parseSilence}};

const FaultScenario* faultScenarioOf(const std::string& scenario) {
  for (const FaultScenario& known : kFaultScenarios) {
    if (scenario.compare(0, std::strlen(known.prefix), known.prefix) == 0) return &known;
  }
  return nullptr;
}

}  // namespace

bool loadScenario(Bus& bus, const std::string& scenario, const std::string& escVersion) {
  UnitModel unit;
  if (!escVersion.empty()) {
    std::optional<unsigned long> version = parseNumber(escVersion, 0xFFFF);
    if (!version) return false;
    unit.esc.firmwareVersion = static_cast<std::uint16_t>(*version);
  }

  std::optional<Fault> fault;
  bool unitPresent = true;
  if (scenario == "wrong-mode") {
    unit.mode = 1;
  } else if (scenario == "no-esc") {
    unit.esc.state = 0;
  } else if (scenario == "incompatible") {
    unit.esc.typeCode = kForeignTypeCode;
  } else if (scenario == "no-unit") {
    unitPresent = false;
  } else if (scenario == "short-reports") {
    unit.outputReportLength = 51;  // one byte short of a block's request
  } else if (const FaultScenario* faulty = faultScenarioOf(scenario)) {
    fault = faulty->parse(scenario.substr(std::strlen(faulty->prefix)));
    if (!fault) return false;
  } else if (!scenario.empty() && scenario != "ready") {
    return false;
  }

  Device keyboard;
  keyboard.path = kKeyboardPath;
  keyboard.vendorId = 0x046D;
  keyboard.productId = 0xC31C;
  bus.addDevice(keyboard);
  if (unitPresent) bus.addUnit(unit);
  if (fault) bus.setFault(*fault);
  return true;
}

}  // namespace sim
