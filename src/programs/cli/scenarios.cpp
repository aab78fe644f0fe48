#include "programs/cli/scenarios.h"

#include "adapters/sim/scenario.h"
#include "adapters/sim/simulated_unit.h"

namespace scenario {
namespace {

constexpr const char* kArrives = "arrives";
constexpr unsigned kListingsBeforeArrival = 3;

unsigned listingsUntilArrival = 0;

// Lists the unit only from the n-th listing on, as if it were plugged in meanwhile.
bool listWithArrival(std::vector<std::wstring>& paths) {
  if (listingsUntilArrival != 0 && --listingsUntilArrival == 0) {
    sim::updateDevice(sim::unitPath(), [](sim::Device& d) { d.present = true; });
  }
  return sim::transport().listInterfaces(paths);
}

hid::Transport withArrival(hid::Transport bus) {
  bus.listInterfaces = listWithArrival;
  return bus;
}

}  // namespace

bool prepare(const std::string& name, const std::string& escVersion) {
  listingsUntilArrival = 0;
  if (name != kArrives) return sim::loadScenario(name, escVersion);
  if (!sim::loadScenario("ready", escVersion)) return false;
  sim::updateDevice(sim::unitPath(), [](sim::Device& d) { d.present = false; });
  listingsUntilArrival = kListingsBeforeArrival;
  return true;
}

const hid::Transport& transport() {
  static const hid::Transport simulatedBus = withArrival(sim::transport());
  return simulatedBus;
}

}  // namespace scenario
