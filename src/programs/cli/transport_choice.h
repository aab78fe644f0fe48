#pragma once
// What a run talks through: the hidraw nodes, the simulated unit of --simulate, a replay in
// place of either, and a recorder in front of any of them.
#include "adapters/exchange/exchange_record.h"
#include "adapters/exchange/exchange_replay.h"
#include "adapters/linux/hidraw.h"
#include "adapters/sim/simulated_bus.h"
#include "programs/cli/facts.h"
#include "programs/cli/options.h"

namespace cli {

// Held for the whole run.
struct Transports {
  explicit Transports(const hidraw::Roots& roots) : hidraw(roots) {}
  hidraw::Nodes hidraw;
  sim::Bus simulatedBus;
  replay::Replay replay;
  record::Recorder recorder;
};

// Sets up the transport the options choose and puts it behind the hid:: seam; an exit code
// when that fails, after saying why, else 0.
int chooseTransport(const Options& options, Transports& transports);

// Whether the run talks to the hidraw nodes rather than to the simulated unit or a replay.
bool onHidraw(const Options& options);

// Ends the report with the outcome. The report must be whole, and a replay must have matched
// and ended as its report did; each overrides the run's exit code.
int closeExchangeFiles(const Options& options, Transports& transports, const Facts& facts);

}  // namespace cli
