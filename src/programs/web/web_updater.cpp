// The browser updater's core, in the page's dedicated worker: the page's events come in one
// at a time (updater_worker.js); everything shown goes out to the page.
#include <emscripten.h>

#include <optional>
#include <string>

#include "adapters/sim/scenario.h"
#include "adapters/sim/simulated_unit.h"
#include "adapters/web/page_link.h"
#include "adapters/web/web_texts.h"
#include "adapters/web/webhid_bus.h"
#include "base/format_text.h"
#include "link/unit_device.h"
#include "programs/web/image_details.h"
#include "programs/web/page_report.h"
#include "programs/web/unit_notices.h"
#include "res/catalogue.h"
#include "res/message_ids.h"
#include "seams/dialog.h"
#include "ui/device_change.h"
#include "ui/main_view.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "ui/unit_status.h"

namespace {

web::WebHidBus webHidBus;
std::optional<sim::Bus> simulatedBus;

void showPageTexts() {
  using catalogue::DialogText;
  using web::PageText;
  namespace element = web::element;
  namespace answer = web::answer;
  const auto show = [](const char* target, const std::wstring& text) {
    web::postToPage(web::message::kElementText, target, 0, text);
  };
  show(element::kClose, catalogue::dialogText(DialogText::Close, web::language()));
  show(element::kUpdate, catalogue::dialogText(DialogText::Update, web::language()));
  show(element::kHintCaption, catalogue::dialogText(DialogText::HintCaption, web::language()));
  show(element::kVersionGroup, catalogue::dialogText(DialogText::VersionGroup, web::language()));
  show(element::kConnect, web::pageText(PageText::Connect));
  show(element::kKeepOpen, web::pageText(PageText::KeepOpen));
  show(element::kReportCaption, web::pageText(PageText::ReportCaption));
  show(element::kSaveReport, web::pageText(PageText::SaveReport));
  show(element::kHistoryCaption, web::pageText(PageText::HistoryCaption));
  show(element::kHistoryEmpty, web::pageText(PageText::HistoryEmpty));
  show(web::kept::kHistoryLine, web::pageText(PageText::HistoryLine));
  show(web::kept::kHistorySucceeded, web::pageText(PageText::HistorySucceeded));
  show(web::kept::kHistoryFailed, web::pageText(PageText::HistoryFailed));
  show(answer::kOkLabel, web::pageText(PageText::Ok));
  show(answer::kCancelLabel, web::pageText(PageText::Cancel));
  show(answer::kYesLabel, web::pageText(PageText::Yes));
  show(answer::kNoLabel, web::pageText(PageText::No));
  web::postToPage(web::message::kTitle, "", 0, mainWindowTitle());
  web::showImageDetails();
  for (const std::uint16_t product : {kRoundelProductId, kDockBoxProductId}) {
    web::postToPage(web::message::kUnitFilter, "", kUnitVendorId << 16 | product);
  }
}

// A text of the page about the simulation asked for; where it has a second %s, there go the
// scenarios there are.
std::wstring withScenario(web::PageText text, const std::string& scenario) {
  return formatText(web::pageText(text), {utf8ToWide(scenario), utf8ToWide(sim::scenarioNames())}, dlg::kTextCapacity);
}

// The simulated unit instead of WebHID, as the other programs run it; its own unplugging is
// a device event like WebHID's.
void simulate(const std::string& scenario, const std::string& escVersion) {
  simulatedBus.emplace();
  if (!sim::setUp(*simulatedBus, scenario, escVersion, web::queueDeviceEvent)) {
    simulatedBus.reset();
    dlg::ask(dlg::BoxKind::UnknownSimulation, withScenario(web::PageText::UnknownSimulation, scenario),
             mainWindowTitle());
    return;
  }
  web::reportThrough(simulatedBus->transport(), nullptr);
  web::postToPage(web::message::kElementText, web::element::kSimulated, 0, withScenario(web::PageText::Simulated, scenario));
}

void onDeviceEvent(std::uint32_t event, const DeviceBroadcast& record) { session::deviceChange(event, record); }

std::string webHidErrorWords(std::uint32_t) { return webHidBus.lastErrorWords(); }

// WebHID is this page's to use: the units' filters are known, so Connect may ask for one.
void useWebHid() {
  web::reportThrough(webHidBus.transport(), webHidErrorWords);
  web::postToPage(web::message::kElementEnabled, web::element::kConnect, 1);
}

}  // namespace

extern "C" {

// Once, when the page has loaded: the dialog's start, and the report's, with what the browser
// says of itself. Without WebHID and without a simulation there is no bus: the page shows no
// unit and says which browsers work, or, while another tab has the updater, waits to take over.
EMSCRIPTEN_KEEPALIVE void updaterStart(const char* simulation, const char* escVersion, int german, int webHid,
                                       const char* os, const char* browser, const char* browserVersion) {
  web::useLanguage(german != 0 ? catalogue::Language::German : catalogue::Language::English);
  web::startReport({os, browser, browserVersion});
  web::handleDeviceEventsWith(onDeviceEvent);
  showPageTexts();
  sendUnitNoticeTexts();
  setRowLabels();
  if (*simulation != '\0') {
    simulate(simulation, escVersion);
  } else if (webHid != 0) {
    useWebHid();
  }
  registerDeviceNotifications();
  web::followSessionInReport();
  session::start();
  web::tellReportOutcome();
}

// The page that had the updater was closed: this one, started without WebHID, takes it over,
// in the same session and report.
EMSCRIPTEN_KEEPALIVE void updaterTakeOver() {
  useWebHid();
  session::start();
  web::tellReportOutcome();
}

// A button of the page, by its element's name. A press the page sent before it had shown the
// button disabled is dropped, as a disabled button takes none.
EMSCRIPTEN_KEEPALIVE void updaterPress(const char* button) {
  const std::string pressed = button;
  if (pressed == web::element::kUpdate && mainView().updateEnabled) {
    web::updateAndKeepHistory();
  } else if (pressed == web::element::kClose) {
    // The page stays: it gives the unit up and waits for the next one.
    session::pressClose();
    appendHint(msg::kNoUnit);
  }
  web::tellReportOutcome();
}

EMSCRIPTEN_KEEPALIVE void updaterDeviceChange(int arrived, const char* path) {
  onDeviceEvent(arrived != 0 ? kDeviceArrival : kDeviceRemoveComplete,
                DeviceBroadcast{kDeviceTypeInterface, utf8ToWide(path)});
  web::tellReportOutcome();
}

}  // extern "C"
