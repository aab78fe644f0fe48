#pragma once
// The report a user may ask the program for on its command line, for support: --report, a
// file under a dated name beside the program (in Documents where the program's folder takes
// none), or --record FILE. Windows only.
#include <windows.h>

#include <string>
#include <vector>

#include "adapters/exchange/report_sink.h"

struct ReportRequest {
  enum class Destination { None, Dated, Named };
  Destination destination = Destination::None;
  std::wstring file;           // Named: as given, a relative one from the current folder
  bool understood = true;      // false: no report is made
  std::wstring notUnderstood;  // the first argument not understood
};

// Nothing, "--report", "--record FILE" or "--record=FILE"; anything else is not understood.
ReportRequest readReportRequest(const std::vector<std::wstring>& arguments);

// The name of a report started at utc: spindra-report-2026-12-11T0931Z.jsonl, and from
// number 2 on spindra-report-2026-12-11T0931Z-2.jsonl, as an earlier report of that minute
// keeps its name.
std::wstring datedReportName(const SYSTEMTIME& utc, unsigned number);

// The folders a dated report may go to, in turn: the program's own, then the user's Documents.
std::vector<std::wstring> reportFolders();

// Opens a new file in sink under the dated name, in the first of folders that takes one; never
// one that exists. path is the file opened, or, on failure, the last one tried, GetLastError
// telling why.
bool createDatedReport(record::FileSink& sink, const std::vector<std::wstring>& folders, const SYSTEMTIME& utc,
                       std::wstring& path);

// UTC to the second, as reports tell the time: 2026-12-11T09:31:05Z.
std::string utcText(const SYSTEMTIME& utc);
