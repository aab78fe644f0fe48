#include "programs/cli/finding.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "link/unit_device.h"
#include "programs/cli/report.h"
#include "programs/cli/telling.h"
#include "programs/cli/transport_choice.h"
#include "seams/hid_transport.h"
#include "seams/system.h"
#include "ui/main_view.h"
#include "ui/main_window.h"
#include "ui/unit_status.h"
#include "ui/update_report.h"
#include "update/readiness.h"

namespace cli {
namespace {

constexpr std::uint32_t kPollMs = 500;
constexpr unsigned kPollsBetweenDiscoveries = 10;  // also retried without a change, e.g. after a udev reload

}  // namespace

int readinessExit(const Facts& facts) {
  switch (mainView().readiness) {
    case Readiness::NoUnit:
      if (!facts.inUseNode.empty()) return exitcode::kUnitInUse;
      return facts.deniedNode.empty() ? exitcode::kNoUnit : exitcode::kPermissionDenied;
    case Readiness::WrongMode: return exitcode::kWrongMode;
    case Readiness::NoUpdatableEsc: return exitcode::kNoUpdatableEsc;
    case Readiness::EscIncompatible: return exitcode::kEscIncompatible;
    case Readiness::Ready: break;
  }
  return exitcode::kReady;
}

namespace {

// A unit's node that discovery had to pass over: this user denied, or another program holding it.
// Its report keeps it, for a replay to find the same.
void notePassedOverUnit(const Options& options, const hidraw::Roots& roots, Facts& facts) {
  hidraw::UnusableNode node = reportedPassedOverNode();
  if (onHidraw(options)) {
    node = hidraw::unusableNode(roots, kUnitVendorId, {kRoundelProductId, kDockBoxProductId});
    if (node.error != 0) noteEvent("passedOver", {{"path", node.path}, {"error", node.error}});
  }
  if (node.error == EACCES) facts.deniedNode = node.path;
  if (node.error == EWOULDBLOCK) facts.inUseNode = node.path;
}

// For the report: the interfaces that came and went since the last poll.
void noteChanges(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after) {
  const auto missingFrom = [](const std::vector<std::wstring>& set, const std::wstring& path) {
    return std::find(set.begin(), set.end(), path) == set.end();
  };
  for (const std::wstring& path : after) {
    if (missingFrom(before, path)) noteEvent("arrival", {{"path", wideToUtf8(path)}});
  }
  for (const std::wstring& path : before) {
    if (missingFrom(after, path)) noteEvent("removal", {{"path", wideToUtf8(path)}});
  }
}

// Discovers again whenever the set of interfaces changes, and every few polls besides. A limit
// counts the pauses between polls rather than the clock: a simulated unit does not pause, so
// a simulated wait reaches its limit at once, and the same way every run.
std::int32_t waitForUnit(unsigned limitSeconds, bool& timedOut) {
  std::vector<std::wstring> known;
  for (unsigned poll = 0;; ++poll) {
    std::vector<std::wstring> present;
    hid::active().listInterfaces(present);
    if (poll % kPollsBetweenDiscoveries == 0 || present != known) {
      if (poll > 0) noteChanges(known, present);
      known = present;
      const std::int32_t result = discoverUnit();
      if (result != kNoMatchingDevice) return result;
    }
    if (limitSeconds > 0 && std::uint64_t{poll} * kPollMs >= std::uint64_t{limitSeconds} * 1000) {
      timedOut = true;
      return kNoMatchingDevice;
    }
    if (poll == 0) printError(text(Text::kWaiting));
    sys::pause(kPollMs);
  }
}

// The checks Update makes before its questions: a unit they rule out is shown as the window
// shows it after Update was refused, not as ready.
void findRefusal(Facts& facts) {
  sys::FirmwareImage image;
  facts.refusal = updateRefusal(image);
  if (facts.refusal != UpdateStep::None) showRefusalHint(facts.refusal);
}

}  // namespace

void findAndAssess(const Options& options, const hidraw::Roots& roots, Facts& facts) {
  setRowLabels();
  const std::int32_t discovered = options.wait ? waitForUnit(options.waitSeconds, facts.waitTimedOut) : discoverUnit();
  if (!unitDevice.devicePath.empty()) {
    facts.device = wideToUtf8(unitDevice.devicePath);
    facts.productId = unitDevice.productId;
  }
  assessReadiness(discovered);
  if (mainView().readiness == Readiness::NoUnit) notePassedOverUnit(options, roots, facts);
  if (mainView().readiness == Readiness::Ready) findRefusal(facts);
  facts.exitCode = facts.refusal == UpdateStep::None ? readinessExit(facts) : exitcode::ofStep(facts.refusal);
  if (facts.waitTimedOut && facts.exitCode == exitcode::kNoUnit) {
    printError(text(Text::kWaitTimedOut, {options.waitSeconds}));
    facts.exitCode = exitcode::kWaitTimedOut;
  }
}

}  // namespace cli
