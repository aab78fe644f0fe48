// A whole update, the user answering OK and Yes, against a unit whose report lengths, reply
// bytes and failure point are chosen by the fuzzer, with a small image of its choosing.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "link/unit_device.h"
#include "adapters/sim/simulated_bus.h"
#include "res/controls.h"
#include "res/message_ids.h"
#include "support/recording_dialog.h"
#include "support/virtual_clock.h"
#include "ui/unit_status.h"
#include "ui/update_report.h"
#include "update/image_transfer.h"

namespace {

constexpr std::uint32_t kLargestImage = 6 * kBlockBytes;
constexpr unsigned kExchangesOfALargestUpdate = 4 + 6 + 2;

std::vector<std::uint8_t> imageFrom(FuzzInput& input) {
  std::vector<std::uint8_t> image(input.below(kLargestImage + 1));
  for (std::uint8_t& b : image) b = input.byte();
  return image;
}

std::size_t countOf(const sim::Bus& bus, UnitCommand command) {
  std::size_t count = 0;
  for (UnitCommand sent : bus.commands()) count += sent == command ? 1 : 0;
  return count;
}

// How the unit behaved: whether it said anything untrue (a reply rewritten, a fault struck),
// and whether it could take the image at all (ready, reports long enough, an image to send).
struct Conduct {
  bool lied = false;
  bool updatable = false;
};

// What must hold however the unit behaved: one outcome, reported in full, writing span ended;
// and a unit that told the truth has the image in flash exactly when success is shown.
void requireACompleteOutcome(const sim::Bus& bus, const std::vector<std::uint8_t>& image, const Conduct& unit) {
  requireNoTestFailure();
  require(!vclock::updateWriting() && vclock::pausesOutsideWriting() == 0, "every pause inside the writing span, the span ended");
  require(!rec::enabled(ctl::kUpdateButton), "Update is disabled after an update");
  require(rec::callsStartingWith("open progress").size() == rec::callsStartingWith("close progress").size(),
          "the progress window is closed");
  const bool succeeded = rec::text(ctl::kHintBox) == rec::catalogueText(msg::kUpdateSucceeded);
  if (!succeeded) {
    require(rec::text(ctl::kHintBox) == rec::catalogueText(msg::kUpdateFailedHint), "failure hint");
    require(!unitDevice.isOpen(), "a failed update gives the unit up");
    require(!rec::boxes().empty() && rec::boxes().back().kind == dlg::BoxKind::UpdateFailed, "failure box");
    require(unit.lied || !unit.updatable, "a truthful unit that can take the image takes it");
    return;
  }
  require(unitDevice.isOpen() && rec::text(ctl::kEscVersionText) == L"3.5", "success shows version 3.5");
  require(countOf(bus, UnitCommand::WriteBlock) == (image.size() + kBlockBytes - 1) / kBlockBytes, "every block sent");
  if (unit.lied) return;
  std::vector<std::uint8_t> expected(sim::kFlashSize, 0xFF);
  std::copy(image.begin(), image.end(), expected.begin());
  require(bus.device(sim::unitPath()).unit.flash == expected, "success means the flash holds the image");
}

// Refused before it starts, for a unit that cannot take a block or an empty image: the
// reason alone is shown, nothing is sent and the unit is kept.
void requireARefusal(const sim::Bus& bus, std::size_t requestsBefore) {
  requireNoTestFailure();
  require(!rec::enabled(ctl::kUpdateButton), "Update is disabled after a refusal");
  require(unitDevice.isOpen(), "a refused update keeps the unit");
  require(bus.requests().size() == requestsBefore, "a refused update sends nothing");
  require(rec::boxes().size() == 1 && rec::boxes()[0].kind == dlg::BoxKind::UpdateRefused,
          "the refusal's box alone");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  sim::Bus bus;
  hid::use(bus.transport());
  resetDevice();
  bus.setClock(vclock::now);
  rec::reset();
  vclock::reset();

  sim::UnitModel model;
  model.esc.firmwareVersion = input.word();
  model.outputReportLength = input.below(130);
  model.inputReportLength = input.below(130);
  bus.addUnit(model);
  const std::vector<std::uint8_t> image = imageFrom(input);
  vclock::setImage(image);
  assessReadiness(discoverUnit());

  Conduct unit;
  const bool refused = unitDevice.isOpen() && (model.outputReportLength < kBlockRequestBytes || image.empty());
  unit.updatable = unitDevice.isOpen() && !refused && model.inputReportLength >= 4;
  if (input.byte() % 2) {
    unit.lied = true;
    bus.setFault(sim::faultAtExchange(static_cast<sim::FaultKind>(input.byte() % 5),
                                       1 + input.below(kExchangesOfALargestUpdate), input.dword()));
  }
  bus.setReplyFilter([&](std::vector<std::uint8_t>& reply) { unit.lied |= input.rewriteReply(reply); });
  rec::scriptBox(dlg::Answer::GoOn);
  rec::scriptBox(dlg::Answer::GoOn);
  const std::size_t requestsBefore = bus.requests().size();
  updateAndReport();
  if (refused) {
    requireARefusal(bus, requestsBefore);
  } else {
    requireACompleteOutcome(bus, image, unit);
  }
  resetDevice();
  return 0;
}
