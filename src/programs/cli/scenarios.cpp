#include "programs/cli/scenarios.h"

#include "adapters/sim/scenario.h"

namespace scenario {
namespace {

constexpr const char* kArrives = "arrives";
constexpr unsigned kListingsBeforeArrival = 3;

}  // namespace

bool prepare(sim::Bus& bus, const std::string& name, const std::string& escVersion) {
  if (name != kArrives) return sim::loadScenario(bus, name, escVersion);
  if (!sim::loadScenario(bus, "ready", escVersion)) return false;
  bus.arriveAtListing(sim::unitPath(), kListingsBeforeArrival);
  return true;
}

}  // namespace scenario
