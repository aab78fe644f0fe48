#include "programs/cli/updating.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "adapters/exchange/update_history.h"
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
  if (!record::reachedUnit(facts.update.step) ||
      history::append(record::historyEntry({facts.escVersionBefore, facts.imageSha256, facts.update, facts.heldSignal}))) {
    return;
  }
  printError(text(Text::kHistoryNotWritten, {utf8ToWide(history::path()), utf8ToWide(std::strerror(errno))}));
}

}  // namespace cli
