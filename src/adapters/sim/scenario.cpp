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

bool failAt(const std::string& argument, Setting& setting) {
  setting.fault = parseFailure(argument);
  return setting.fault.has_value();
}

bool silentFrom(const std::string& argument, Setting& setting) {
  setting.fault = parseSilence(argument);
  return setting.fault.has_value();
}

constexpr catalogue::Translation kNoArgument = {"", ""};

bool takesArgument(const Scenario& scenario) { return scenario.name[std::strlen(scenario.name) - 1] == ':'; }

// The scenario a typed name selects, and what follows its name.
const Scenario* scenarioOf(const std::string& typed, std::string& argument) {
  const std::string name = typed.empty() ? "ready" : typed;
  for (const Scenario& scenario : scenarios()) {
    const std::size_t length = std::strlen(scenario.name);
    if (takesArgument(scenario) ? name.compare(0, length, scenario.name) == 0 : name == scenario.name) {
      argument = name.substr(length);
      return &scenario;
    }
  }
  return nullptr;
}

}  // namespace

const std::vector<Scenario>& scenarios() {
  static const std::vector<Scenario> kScenarios = {
      {"ready", kNoArgument,
       {"a ROUNDEL with a compatible ESC at firmware 3.4", "eine ROUNDEL mit kompatiblem Regler, Firmware 3.4"},
       [](const std::string&, Setting&) { return true; }},
      {"wrong-mode", kNoArgument,
       {"the unit is not in its ESC-update mode", "die Einheit ist nicht im Modus für Regler-Updates"},
       [](const std::string&, Setting& setting) {
         setting.unit.mode = 1;
         return true;
       }},
      {"no-esc", kNoArgument, {"no updatable ESC behind the unit", "kein updatefähiger Regler an der Einheit"},
       [](const std::string&, Setting& setting) {
         setting.unit.esc.state = 0;
         return true;
       }},
      {"incompatible", kNoArgument, {"an ESC of another type", "ein Regler eines anderen Typs"},
       [](const std::string&, Setting& setting) {
         setting.unit.esc.typeCode = kForeignTypeCode;
         return true;
       }},
      {"no-unit", kNoArgument, {"no programming unit on the bus", "keine Programmiereinheit am Bus"},
       [](const std::string&, Setting& setting) {
         setting.unitPresent = false;
         return true;
       }},
      {"short-reports", kNoArgument,
       {"ready, but the unit's output reports are too short for a block",
        "bereit, aber die Ausgabeberichte der Einheit sind zu kurz für einen Block"},
       [](const std::string&, Setting& setting) {
         setting.unit.outputReportLength = 51;  // one byte short of a block's request
         return true;
       }},
      {"fail-at:", {"<Command>[:<n>]", "<Befehl>[:<n>]"},
       {"ready, but the reply to the n-th request of that command\n"
        "(e.g. SetSystemLock, EraseFirmware, WriteBlock:100) is not read",
        "bereit, aber die Antwort auf die n-te Anfrage dieses Befehls\n"
        "(z. B. SetSystemLock, EraseFirmware, WriteBlock:100) wird nicht gelesen"},
       failAt},
      {"silent-from:", {"<n>", "<n>"},
       {"ready, but from the n-th exchange on (e.g. 4, the lock of an update)\n"
        "the unit never answers: each read times out",
        "bereit, aber ab dem n-ten Austausch (z. B. 4, der Lock eines Updates)\n"
        "antwortet die Einheit nie: jedes Lesen läuft in die Zeitüberschreitung"},
       silentFrom},
  };
  return kScenarios;
}

std::string scenarioNames(const char* argumentsApart) {
  std::string names;
  bool argumentsBegun = false;
  for (const Scenario& scenario : scenarios()) {
    if (!names.empty()) names += takesArgument(scenario) && !argumentsBegun ? argumentsApart : ", ";
    argumentsBegun = takesArgument(scenario);
    names += std::string(scenario.name) + scenario.argument.english;
  }
  return names;
}

bool loadScenario(Bus& bus, const std::string& scenario, const std::string& escVersion) {
  Setting setting;
  if (!escVersion.empty()) {
    std::optional<unsigned long> version = parseNumber(escVersion, 0xFFFF);
    if (!version) return false;
    setting.unit.esc.firmwareVersion = static_cast<std::uint16_t>(*version);
  }
  std::string argument;
  const Scenario* chosen = scenarioOf(scenario, argument);
  if (chosen == nullptr || !chosen->apply(argument, setting)) return false;

  Device keyboard;
  keyboard.path = kKeyboardPath;
  keyboard.vendorId = 0x046D;
  keyboard.productId = 0xC31C;
  bus.addDevice(keyboard);
  if (setting.unitPresent) bus.addUnit(setting.unit);
  if (setting.fault) bus.setFault(*setting.fault);
  return true;
}

}  // namespace sim
