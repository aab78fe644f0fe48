#include "programs/cli/scenarios.h"

#include <algorithm>

#include "adapters/sim/scenario.h"
#include "adapters/sim/simulated_unit.h"
#include "programs/cli/cli_texts.h"

namespace scenario {
namespace {

constexpr const char* kArrives = "arrives";
constexpr unsigned kListingsBeforeArrival = 3;
constexpr std::size_t kNameWidth = 26;  // the column of names, after two spaces

// A scenario's line of the list: its name, then what it does, continued below itself.
std::string listLine(const std::string& name, const std::string& description) {
  std::string line = "  " + name + std::string(kNameWidth - std::min(name.size(), kNameWidth - 1), ' ');
  for (const char c : description) {
    line += c;
    if (c == '\n') line += std::string(2 + kNameWidth, ' ');
  }
  return line + "\n";
}

std::string inLanguage(const catalogue::Translation& text) {
  return cli::forTerminal(catalogue::translated(text, cli::language()));
}

}  // namespace

bool prepare(sim::Bus& bus, const std::string& name, const std::string& escVersion) {
  if (name != kArrives) return sim::setUp(bus, name, escVersion);
  if (!sim::setUp(bus, "ready", escVersion)) return false;
  bus.arriveAtListing(sim::unitPath(), kListingsBeforeArrival);
  return true;
}

std::string list() {
  std::string lines = cli::text(cli::Text::kScenarioListHeading) + "\n";
  for (const sim::Scenario& known : sim::scenarios()) {
    lines += listLine(known.name + inLanguage(known.argument), inLanguage(known.description));
  }
  lines += listLine(kArrives, cli::text(cli::Text::kArrivesScenario));
  return lines + cli::text(cli::Text::kEscVersionOption) + "\n";
}

}  // namespace scenario
