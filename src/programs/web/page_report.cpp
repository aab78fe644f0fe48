#include "programs/web/page_report.h"

#include <emscripten.h>

#include "adapters/exchange/session_report.h"
#include "adapters/exchange/update_history.h"
#include "adapters/web/page_link.h"
#include "adapters/web/web_texts.h"
#include "base/format_text.h"
#include "programs/web/image_details.h"
#include "ui/main_view.h"
#include "ui/session.h"

namespace {

// The worker keeps the report's lines (updater_worker.js), so that it hands the report to the
// page whenever asked, also while the core awaits a transfer or a box.
EM_JS(void, keepReportLine, (const char* line), { Module.pageLink.reportLine(UTF8ToString(line)); });

EM_JS(void, keepReportOutcome, (const char* line, const char* word), {
  Module.pageLink.reportOutcome(UTF8ToString(line), UTF8ToString(word));
});

class WorkerSink : public record::Sink {
 public:
  bool write(const std::string& line) override {
    keepReportLine(line.c_str());
    return true;
  }
  bool close() override { return true; }
};

WorkerSink sink;
record::Recorder recorder;

// The digest of the bytes the page would write, as its details line shows it.
record::Run runFacts(const web::BrowserFacts& browser) {
  record::Run run = record::programRun("spindra-updater-web");
  run.imageSha256 = web::carriedImageSha256();
  run.language = web::language() == catalogue::Language::German ? "de" : "en";
  run.os = browser.os;
  run.browser = browser.browser;
  run.browserVersion = browser.browserVersion;
  run.started = record::utcNow();
  return run;
}

void showReportNotice(bool shown) { web::postToPage(web::message::kNotice, web::element::kReportNotice, shown ? 1 : 0); }

// Updates of the simulated unit try the page, not an ESC: the history keeps them not.
void keepInHistory(const record::UpdateRun& run) {
  if (!record::reachedUnit(run.update.step) || hid::active().reach != hid::Reach::RealUnits) return;
  web::postToPage(web::message::kHistoryEntry, "", 0, utf8ToWide(jsonl::line(record::historyEntry(run))));
}

}  // namespace

namespace web {

void startReport(const BrowserFacts& browser) {
  recorder.start(sink, hid::active(), runFacts(browser));
  hid::use(recorder.transport());
  postToPage(message::kNotice, element::kReportNotice, 0, pageText(PageText::ReportNotice));
}

void reportThrough(const hid::Transport& inner, record::PlatformWords words) {
  recorder.passTo(inner);
  recorder.describeErrorsWith(words);
  hid::use(recorder.transport());
}

void followSessionInReport() { record::followSession(recorder); }

void tellReportOutcome() {
  const record::RunOutcome outcome = record::sessionOutcome();
  keepReportOutcome(jsonl::line(recorder.outcomeLine(record::outcomeFields(outcome))).c_str(),
                    record::outcomeWord(outcome).c_str());
}

void updateAndKeepHistory() {
  showReportNotice(false);
  record::UpdateRun run;
  run.escVersionBefore = wideToUtf8(mainView().rows[2].value);
  run.imageSha256 = carriedImageSha256();
  session::pressUpdate();
  run.update = session::outcome().update;
  showReportNotice(isFailure(run.update.step) || isRefusal(run.update.step));
  keepInHistory(run);
}

}  // namespace web
