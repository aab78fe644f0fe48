#include "programs/cli/updating.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "adapters/exchange/json_line.h"
#include "adapters/linux/interruptions.h"
#include "link/unit_protocol.h"
#include "programs/cli/history.h"
#include "programs/cli/telling.h"
#include "programs/cli/terminal_dialog.h"
#include "ui/main_view.h"
#include "ui/update_report.h"

namespace cli {
namespace {

// The unit, the ESC's firmware before and after, and what is written: the panel's rows as
// the window shows them.
std::string whatChanges(const sys::FirmwareImage& image) {
  const MainView& view = mainView();
  return text(Text::kWhatChanges,
              {view.rows[0].label, view.rows[0].value, view.rows[2].value, kVersionMajor, kVersionMinor, image.size});
}

// An update that sent its first request: it succeeded, failed or ran on through a held
// interruption. Refused and cancelled ones never reached the unit.
bool reachedUnit(const Facts& facts) { return facts.update.step == UpdateStep::None || isFailure(facts.update.step); }

jsonl::Object historyEntry(const Facts& facts) {
  const MainView& view = mainView();
  jsonl::Object entry = {{"time", history::utcNow()},
                         {"unit", forTerminal(view.rows[0].label)},
                         {"unitVersion", forTerminal(view.rows[0].value)},
                         {"escVersionBefore", facts.escVersionBefore},
                         {"escVersionAfter", forTerminal(view.rows[2].value)},
                         {"imageSha256", facts.imageSha256},
                         {"outcome", updateOutcomeName(facts.update.step)}};
  if (isFailure(facts.update.step)) {
    entry["code"] = facts.update.code;
    entry["systemError"] = facts.update.systemError;
  }
  if (!facts.heldSignal.empty()) entry["interruptionHeld"] = facts.heldSignal;
  return entry;
}

// About what the rest of an update waits: its fixed pauses still ahead, rounded up to whole
// seconds.
std::uint32_t secondsLeft() { return (term::pausesAheadMs() + 999) / 1000; }

}  // namespace

// On the thread that holds the signals, at once; on a terminal below the progress bar.
void tellInterruptionHeld(int) {
  const char* lineStart = term::redrawsInPlace() ? "\n" : "";
  std::fprintf(stderr, "%s%s\n", lineStart, text(Text::kInterruptionHeld, {secondsLeft()}).c_str());
}

void updateAndJudge(Facts& facts) {
  sys::FirmwareImage image;
  if (sys::locateFirmwareImage(image)) {
    term::setConfirmDetails(whatChanges(image));
    facts.imageSha256 = imageDigest(image);
  }
  facts.escVersionBefore = forTerminal(mainView().rows[2].value);
  facts.updateRun = true;
  facts.update = updateAndReport();
  facts.heldSignal = interruptions::nameOf(interruptions::firstHeld());
  facts.exitCode = exitcode::ofStep(facts.update.step);
}

// A history that cannot be written costs the entry, not the update: a warning, same exit code.
void keepInHistory(const Facts& facts) {
  if (!reachedUnit(facts) || history::append(historyEntry(facts))) return;
  printError(text(Text::kHistoryNotWritten, {utf8ToWide(history::path()), utf8ToWide(std::strerror(errno))}));
}

}  // namespace cli
