#include "programs/windows/program_report.h"

#include <initializer_list>

#include "adapters/exchange/session_report.h"
#include "adapters/win32/shell_library.h"
#include "adapters/win32/system_facts.h"
#include "base/format_text.h"
#include "programs/windows/report_request.h"
#include "res/message_ids.h"
#include "seams/dialog.h"
#include "ui/main_window.h"

namespace {

record::Run runFacts(const SYSTEMTIME& started) {
  record::Run run = record::programRun("spindra-updater");
  run.language = win32::showsGermanTexts() ? "de" : "en";
  run.os = win32::windowsVersion();
  run.started = utcText(started);
  return run;
}

std::string platformWords(std::uint32_t error) { return wideToUtf8(win32::systemErrorText(error)); }

void tellNoReport(std::uint16_t textId, std::initializer_list<FormatArg> details) {
  dlg::ask(dlg::BoxKind::ReportNotWritten, formatText(dlg::loadText(textId), details, dlg::kTextCapacity),
           mainWindowTitle());
}

// path: the file opened, or the one that could not be, GetLastError telling why.
bool createReport(const ReportRequest& request, const SYSTEMTIME& started, record::FileSink& file,
                  std::wstring& path) {
  if (request.destination == ReportRequest::Destination::Dated) {
    return createDatedReport(file, reportFolders(), started, path);
  }
  path = request.file;
  return file.open(wideToUtf8(path), true);
}

}  // namespace

ProgramReport::ProgramReport(const wchar_t* arguments) {
  const ReportRequest request = readReportRequest(win32::argumentsOf(arguments != nullptr ? arguments : L""));
  if (!request.understood) {
    tellNoReport(msg::kReportRequestNotUnderstood, {request.notUnderstood});
    return;
  }
  if (request.destination == ReportRequest::Destination::None) return;
  SYSTEMTIME started;
  GetSystemTime(&started);
  std::wstring path;
  if (!createReport(request, started, file_, path)) {
    const DWORD error = GetLastError();
    tellNoReport(msg::kReportNotWritten, {path, win32::systemErrorText(error)});
    return;
  }
  recorded_ = hid::active();
  recorder_.start(file_, recorded_, runFacts(started));
  // The simulated unit's error codes are its own, not the system's.
  if (recorded_.reach == hid::Reach::RealUnits) recorder_.describeErrorsWith(platformWords);
  hid::use(recorder_.transport());
  record::followSession(recorder_);
  recording_ = true;
}

ProgramReport::~ProgramReport() {
  if (!recording_) return;
  record::finishSession(recorder_);
  hid::use(recorded_);
}
