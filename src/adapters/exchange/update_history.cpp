#include "adapters/exchange/update_history.h"

#include <ctime>

#include "base/format_text.h"
#include "ui/main_view.h"

namespace record {

bool reachedUnit(UpdateStep step) { return step == UpdateStep::None || isFailure(step); }

jsonl::Object historyEntry(const UpdateRun& run) {
  const MainView& view = mainView();
  jsonl::Object entry = {{"time", utcNow()},
                         {"unit", wideToUtf8(view.rows[0].label)},
                         {"unitVersion", wideToUtf8(view.rows[0].value)},
                         {"escVersionBefore", run.escVersionBefore},
                         {"escVersionAfter", wideToUtf8(view.rows[2].value)},
                         {"imageSha256", run.imageSha256},
                         {"outcome", updateOutcomeName(run.update.step)}};
  if (isFailure(run.update.step)) {
    entry["code"] = run.update.code;
    entry["systemError"] = run.update.systemError;
  }
  if (!run.interruptionHeld.empty()) entry["interruptionHeld"] = run.interruptionHeld;
  return entry;
}

// std::gmtime rather than gmtime_r, which not every platform's C library has: the programs
// ask for the time from one thread only.
std::string utcNow() {
  const std::time_t now = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
  return text;
}

}  // namespace record
