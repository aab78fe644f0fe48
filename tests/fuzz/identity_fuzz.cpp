// Discovery, identity query and readiness against a unit whose report lengths, faults and
// reply bytes are all chosen by the fuzzer; the version panel shows whatever it reported.
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "link/unit_device.h"
#include "adapters/sim/simulated_bus.h"
#include "res/controls.h"
#include "support/recording_dialog.h"
#include "ui/unit_status.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  sim::Bus bus;
  hid::use(bus.transport());
  resetDevice();
  rec::reset();
  sim::UnitModel model;
  model.mode = input.byte() % 3;
  model.esc.state = input.byte() % 5;
  model.outputReportLength = input.below(130);
  model.inputReportLength = input.below(130);
  bus.addUnit(model, 1 + input.byte() % 2);
  if (input.byte() % 2) {
    bus.setFault(sim::faultAtExchange(static_cast<sim::FaultKind>(input.byte() % 5), 1 + input.byte() % 4,
                                       input.below(0xFFFF)));
  }
  bus.setReplyFilter([&input](std::vector<std::uint8_t>& reply) { input.rewriteReply(reply); });
  assessReadiness(discoverUnit());
  require(unitDevice.isOpen() == rec::enabled(ctl::kUpdateButton),
          "Update is enabled exactly while a ready unit is open");
  requireNoTestFailure();
  resetDevice();
  return 0;
}
