#pragma once
// The report of the page's session, kept from the start in the worker's memory, where the page
// can take it at any moment without calling into the core; and the history's entry of every
// update that reached a unit, which the page keeps in the browser's storage.
#include <string>

#include "adapters/exchange/exchange_record.h"
#include "seams/hid_transport.h"

namespace web {

// What the browser says of itself and of the system it runs on.
struct BrowserFacts {
  std::string os;
  std::string browser;
  std::string browserVersion;
};

// The report's first line, with the run; the recorder stands in front of the transport the
// core uses now (no bus, until one is chosen) and takes the core's calls from here on.
void startReport(const BrowserFacts& browser);

// The core talks to inner from now on, through the same report: the simulated unit, WebHID at
// the start or once another tab gave it up. words tell what the platform calls a failed call's
// error; none for the simulated unit, whose codes are its own.
void reportThrough(const hid::Transport& inner, record::PlatformWords words);

// The session's events and the boxes' answers go into the report from here on.
void followSessionInReport();

// After every event the core handled: how the session stands, as the report's last line, and
// in a word for its file's name.
void tellReportOutcome();

// Update pressed: the update runs; one that failed or was refused offers the report in a
// notice once its box is answered, and one that reached a real unit goes into the history.
void updateAndKeepHistory();

}  // namespace web
