#include "adapters/sim/simulated_unit.h"

#include <utility>

#include "adapters/sim/scenario.h"
#include "seams/system.h"

namespace sim {

bool setUp(Bus& bus, const std::string& scenario, const std::string& escVersion,
           std::function<void(std::uint32_t event, const std::wstring& path)> onDeviceChange) {
  if (!loadScenario(bus, scenario, escVersion)) return false;
  // The same clock the pauses end on: a coarser one (the tick count under Wine advances in
  // steps of several milliseconds) could show a pause shorter than it was.
  bus.setClock([] { return sys::now().microseconds / 1000; });
  bus.setDeviceChangeHook(std::move(onDeviceChange));
  return true;
}

}  // namespace sim
