// The simulated unit for the browser tests' stand-in of navigator.hid: one programming unit
// on a simulated bus, in WebAssembly, answering each report the page's worker sends.
#include <emscripten.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "adapters/sim/scenario.h"
#include "adapters/sim/simulated_bus.h"
#include "seams/system.h"

namespace {

std::optional<sim::Bus> bus;
hid::Handle unit = hid::kInvalidHandle;
hid::Transport transport{};

EM_JS(double, monotonicMilliseconds, (), { return performance.now(); });

}  // namespace

// The bus's own waits for a unit that never answers: the stand-in leaves the waiting to the
// updater's bound and sends no reply.
namespace sys {
void pause(std::uint32_t) {}
Instant now() { return Instant{static_cast<std::uint64_t>(monotonicMilliseconds() * 1000.0)}; }
}  // namespace sys

extern "C" {

// A scenario as the programs take it; false for one it does not know or without a unit.
EMSCRIPTEN_KEEPALIVE int standInLoad(const char* scenario, const char* escVersion) {
  bus.emplace();
  if (!sim::loadScenario(*bus, scenario, escVersion)) return 0;
  bus->setClock([] { return static_cast<std::uint64_t>(monotonicMilliseconds()); });
  transport = bus->transport();
  unit = transport.openInterface(sim::unitPath());
  return unit != hid::kInvalidHandle ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int standInProductId() {
  std::uint16_t vendorId = 0, productId = 0;
  transport.readAttributes(unit, vendorId, productId);
  return productId;
}

// The report length, its id included; the same for requests and replies.
EMSCRIPTEN_KEEPALIVE int standInReportLength() {
  std::uint32_t outputLength = 0, inputLength = 0;
  transport.readReportLengths(unit, outputLength, inputLength);
  return static_cast<int>(outputLength);
}

// The reply's length, or 0 when the unit sends none (it has fallen silent, or failed).
EMSCRIPTEN_KEEPALIVE int standInExchange(const std::uint8_t* request, int requestLength, std::uint8_t* reply,
                                         int replyCapacity) {
  if (!transport.writeReport(unit, request, static_cast<std::size_t>(requestLength))) return 0;
  if (!transport.readReport(unit, reply, static_cast<std::size_t>(replyCapacity))) return 0;
  return replyCapacity;
}

// Copies the ESC's flash; returns its size.
EMSCRIPTEN_KEEPALIVE int standInFlash(std::uint8_t* copy, int capacity) {
  const std::vector<std::uint8_t> flash = bus->device(sim::unitPath()).unit.flash;
  std::memcpy(copy, flash.data(), std::min(flash.size(), static_cast<std::size_t>(capacity)));
  return static_cast<int>(flash.size());
}

}  // extern "C"
