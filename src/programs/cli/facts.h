#pragma once
// What a run of spindra-update found and did: gathered while it finds the unit and updates
// it, told at the end.
#include <cstdint>
#include <optional>
#include <string>

#include "programs/cli/exit_codes.h"
#include "update/readiness.h"
#include "update/update_sequence.h"

namespace cli {

struct Facts {
  std::string device;       // the unit found, even when it was then given up
  std::uint16_t productId = 0;  // and its kind, kept as long as device
  std::string deniedNode;   // a unit this user may not open
  std::string inUseNode;    // a unit another program holds
  UpdateStep refusal = UpdateStep::None;  // what Update would refuse the ready unit for
  bool updateRun = false;
  UpdateOutcome update;
  std::string escVersionBefore;  // as the panel showed it before the update
  std::string imageSha256;       // of the image written
  std::string heldSignal;   // the first interruption held while the update wrote, e.g. SIGINT
  bool waitTimedOut = false;  // --wait=SECONDS passed without a unit
  // A replayed dialog session: the readiness when Update was last pressed, or at its end.
  std::optional<Readiness> sessionReadiness;
  std::string sessionDivergence;  // where the replayed session went another way than its report
  int exitCode = exitcode::kNoUnit;
};

}  // namespace cli
