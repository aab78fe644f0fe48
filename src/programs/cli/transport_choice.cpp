#include "programs/cli/transport_choice.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "adapters/linux/linux_system.h"
#include "programs/cli/exit_codes.h"
#include "programs/cli/report.h"
#include "programs/cli/scenarios.h"
#include "programs/cli/telling.h"

namespace cli {
namespace {

// The simulated unit of --simulate; false, after naming the scenarios there are, for one it
// does not know.
bool simulate(const Options& options, sim::Bus& bus) {
  if (scenario::prepare(bus, options.scenario, options.escVersion)) return true;
  printError(text(Text::kUnknownScenario, {utf8ToWide(options.scenario), utf8ToWide(options.escVersion)}));
  std::fputs(scenario::list().c_str(), stderr);
  return false;
}

}  // namespace

int chooseTransport(const Options& options, Transports& transports) {
  hid::Transport transport = transports.hidraw.transport();
  if (!options.scenario.empty()) {
    if (!simulate(options, transports.simulatedBus)) return exitcode::kWrongOptions;
    transport = transports.simulatedBus.transport();
  }
  if (!options.replayFile.empty()) {
    std::string error;
    if (!transports.replay.load(options.replayFile, error)) {
      printError(text(Text::kReplayUnusable, {utf8ToWide(error)}));
      return exitcode::kExchangeFileUnusable;
    }
    announceReplay(transports.replay);
    transport = transports.replay.transport();
  }
  if (!options.recordFile.empty()) {
    if (!startReport(options, transport, transports.recorder)) {
      const std::wstring file = utf8ToWide(options.recordFile);
      printError(errno == EEXIST ? text(Text::kRecordExists, {file})
                                 : text(Text::kRecordFailed, {file, utf8ToWide(std::strerror(errno))}));
      return exitcode::kExchangeFileUnusable;
    }
    transport = transports.recorder.transport();
  }
  if (transport.reach == hid::Reach::StandIn) linuxsys::skipPauses();
  hid::use(transport);
  return 0;
}

bool onHidraw(const Options& options) { return options.scenario.empty() && options.replayFile.empty(); }

int closeExchangeFiles(const Options& options, Transports& transports, const Facts& facts) {
  if (!options.recordFile.empty() && !finishReport(facts, transports.recorder)) {
    printError(text(Text::kRecordFailed, {utf8ToWide(options.recordFile), utf8ToWide(std::strerror(errno))}));
    return exitcode::kExchangeFileUnusable;
  }
  if (!options.replayFile.empty()) {
    std::string mismatch = transports.replay.mismatch();
    if (mismatch.empty()) mismatch = facts.sessionDivergence;
    if (!mismatch.empty()) {
      printError(text(Text::kReplayDiffers, {utf8ToWide(mismatch)}));
      return exitcode::kReplayDiffers;
    }
    if (endsOtherwise(facts, transports.replay)) return exitcode::kReplayEndsOtherwise;
  }
  return facts.exitCode;
}

}  // namespace cli
