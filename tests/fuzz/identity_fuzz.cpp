// Discovery and identity query against a unit whose report lengths, faults and reply
// bytes are all chosen by the fuzzer.
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "link/unit_device.h"
#include "platform/sim/simulated_unit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  resetDevice();
  sim::resetBus();
  sim::UnitModel model;
  model.mode = input.byte() % 3;
  model.esc.state = input.byte() % 5;
  model.outputReportLength = input.below(130);
  model.inputReportLength = input.below(130);
  sim::addUnit(model, 1 + input.byte() % 2);
  if (input.byte() % 2) {
    sim::setFault(sim::faultAtExchange(static_cast<sim::FaultKind>(input.byte() % 5), 1 + input.byte() % 4,
                                       input.below(0xFFFF)));
  }
  sim::setReplyFilter([&input](std::vector<std::uint8_t>& reply) { input.rewriteReply(reply); });
  discoverUnit();
  resetDevice();
  return 0;
}
