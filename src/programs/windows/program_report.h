#pragma once
// The report the program writes while its dialog runs, when its command line asks for one
// (see report_request.h): the run, every exchange with the units, the dialog's events and
// answers, the outcome. Windows only.
#include "adapters/exchange/exchange_record.h"
#include "adapters/exchange/report_sink.h"
#include "seams/hid_transport.h"

class ProgramReport {
 public:
  // From the command line's arguments (wWinMain's): where a report is asked for, it stands in
  // front of the active transport and follows the session from now on. A report that cannot
  // be made is told in a box before the dialog, which then runs as ever, without one.
  explicit ProgramReport(const wchar_t* arguments);
  // The outcome written and the file closed; the transport before the report is active again.
  ~ProgramReport();
  ProgramReport(const ProgramReport&) = delete;
  ProgramReport& operator=(const ProgramReport&) = delete;

 private:
  record::FileSink file_;
  record::Recorder recorder_;
  hid::Transport recorded_{};
  bool recording_ = false;
};
