#include "programs/windows/report_request.h"

#include <cstdio>
#include <cwchar>

#include "adapters/win32/shell_library.h"
#include "base/format_text.h"

namespace {

constexpr wchar_t kReport[] = L"--report";
constexpr wchar_t kRecord[] = L"--record";
constexpr wchar_t kRecordIs[] = L"--record=";
// Further reports of one minute; more are not made in a minute by hand.
constexpr unsigned kNumbersPerMinute = 99;

std::wstring programFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/"));
}

}  // namespace

ReportRequest readReportRequest(const std::vector<std::wstring>& arguments) {
  ReportRequest request;
  std::size_t used = 0;
  const std::wstring first = arguments.empty() ? L"" : arguments[0];
  if (first == kReport) {
    request.destination = ReportRequest::Destination::Dated;
    used = 1;
  } else if (first.rfind(kRecordIs, 0) == 0 && first.size() > std::wcslen(kRecordIs)) {
    request.destination = ReportRequest::Destination::Named;
    request.file = first.substr(std::wcslen(kRecordIs));
    used = 1;
  } else if (first == kRecord && arguments.size() > 1) {
    request.destination = ReportRequest::Destination::Named;
    request.file = arguments[1];
    used = 2;
  }
  if (used == arguments.size()) return request;
  ReportRequest notUnderstood;
  notUnderstood.understood = false;
  notUnderstood.notUnderstood = arguments[used];
  return notUnderstood;
}

// Without the colons of the time, which Windows forbids in names.
std::wstring datedReportName(const SYSTEMTIME& utc, unsigned number) {
  wchar_t name[64];
  std::swprintf(name, 64, L"spindra-report-%04u-%02u-%02uT%02u%02uZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour,
                utc.wMinute);
  return std::wstring(name) + (number > 1 ? L"-" + std::to_wstring(number) : L"") + L".jsonl";
}

std::vector<std::wstring> reportFolders() {
  std::vector<std::wstring> folders;
  for (const std::wstring& folder : {programFolder(), win32::documentsFolder()}) {
    if (!folder.empty()) folders.push_back(folder);
  }
  return folders;
}

// A folder that takes no file (read-only, gone, on a medium that cannot be written) gives way
// to the next one; a name taken, to the next number.
bool createDatedReport(record::FileSink& sink, const std::vector<std::wstring>& folders, const SYSTEMTIME& utc,
                       std::wstring& path) {
  for (const std::wstring& folder : folders) {
    for (unsigned number = 1; number <= kNumbersPerMinute; ++number) {
      path = folder + L"\\" + datedReportName(utc, number);
      if (sink.open(wideToUtf8(path), false)) return true;
      if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
  }
  return false;
}

std::string utcText(const SYSTEMTIME& utc) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour,
                utc.wMinute, utc.wSecond);
  return text;
}
