// Where a report asked for on the command line goes: the request read from the arguments as
// Windows splits them, the dated name, and the folder that takes the file. The program's own
// folder cannot be made unwritable under Wine, whose files all belong to one user: here the
// first folder tried is one that takes no file because it does not exist.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adapters/win32/shell_library.h"
#include "base/format_text.h"
#include "programs/windows/report_request.h"
#include "wine/program_reports.h"

namespace {

using Destination = ReportRequest::Destination;

TEST(ReportRequest, IsReadFromTheArgumentsAsWindowsSplitsThem) {
  const struct {
    const wchar_t* commandLine;
    bool understood;
    Destination destination;
    const wchar_t* fileOrNotUnderstood;
  } cases[] = {
      {L"", true, Destination::None, L""},
      {L"   ", true, Destination::None, L""},
      {L"--report", true, Destination::Dated, L""},
      {L"--record \"C:\\My Reports\\update.jsonl\"", true, Destination::Named, L"C:\\My Reports\\update.jsonl"},
      {L"--record=update.jsonl", true, Destination::Named, L"update.jsonl"},
      {L"--record", false, Destination::None, L"--record"},
      {L"--record=", false, Destination::None, L"--record="},
      {L"--report --record a.jsonl", false, Destination::None, L"--record"},
      {L"--record a.jsonl --report", false, Destination::None, L"--report"},
      {L"--Report", false, Destination::None, L"--Report"},
      {L"\"C:\\firmware\\image.bin\"", false, Destination::None, L"C:\\firmware\\image.bin"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(wideToUtf8(c.commandLine));
    const ReportRequest request = readReportRequest(win32::argumentsOf(c.commandLine));
    EXPECT_EQ(request.understood, c.understood);
    EXPECT_EQ(request.destination, c.destination);
    EXPECT_EQ(c.understood ? request.file : request.notUnderstood, c.fileOrNotUnderstood);
  }
}

// 2026-12-01 09:05:07 UTC; year, month, day of the week, day, hour, minute, second, ms.
SYSTEMTIME anInstant() { return SYSTEMTIME{2026, 12, 2, 1, 9, 5, 7, 0}; }

TEST(ReportRequest, DatedNamesHoldNoCharacterWindowsForbids) {
  const SYSTEMTIME utc = anInstant();
  EXPECT_EQ(datedReportName(utc, 1), L"spindra-report-2026-12-01T0905Z.jsonl");
  EXPECT_EQ(datedReportName(utc, 2), L"spindra-report-2026-12-01T0905Z-2.jsonl");
  EXPECT_EQ(datedReportName(utc, 1).find_first_of(L"<>:\"/\\|?*"), std::wstring::npos);
  EXPECT_EQ(utcText(utc), "2026-12-01T09:05:07Z");
}

TEST(ReportRequest, GoesBesideTheProgramThenToDocuments) {
  wchar_t program[MAX_PATH];
  ASSERT_NE(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
  const std::wstring programPath = program;
  EXPECT_EQ(reportFolders(),
            (std::vector<std::wstring>{programPath.substr(0, programPath.find_last_of(L"\\/")),
                                       reports::documentsFolder()}));
}

class DatedReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    writable_ = std::wstring(temp) + L"spindra-reports-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(writable_.c_str(), nullptr));
    unwritable_ = writable_ + L"\\not-there";
  }
  void TearDown() override {
    for (const std::wstring& name : reports::filesIn(writable_, L"*")) DeleteFileW((writable_ + L"\\" + name).c_str());
    RemoveDirectoryW(writable_.c_str());
  }

  std::wstring writable_, unwritable_;
  const SYSTEMTIME utc_ = anInstant();
};

TEST_F(DatedReportTest, AFolderThatTakesNoFileGivesWayToTheNext) {
  record::FileSink sink;
  std::wstring path;
  ASSERT_TRUE(createDatedReport(sink, {unwritable_, writable_}, utc_, path));
  EXPECT_EQ(path, writable_ + L"\\" + datedReportName(utc_, 1));
  EXPECT_TRUE(sink.write("{}\n"));
  EXPECT_TRUE(sink.close());
  EXPECT_EQ(reports::filesIn(writable_, L"*"), (std::set<std::wstring>{datedReportName(utc_, 1)}));
}

TEST_F(DatedReportTest, AReportOfTheSameMinuteKeepsItsNameAndTheNextIsNumbered) {
  record::FileSink first, second;
  std::wstring firstPath, secondPath;
  ASSERT_TRUE(createDatedReport(first, {writable_}, utc_, firstPath));
  ASSERT_TRUE(first.write("first\n"));
  ASSERT_TRUE(createDatedReport(second, {writable_}, utc_, secondPath));
  EXPECT_EQ(secondPath, writable_ + L"\\" + datedReportName(utc_, 2));
  first.close();
  second.close();
  WIN32_FILE_ATTRIBUTE_DATA kept{};
  ASSERT_TRUE(GetFileAttributesExW(firstPath.c_str(), GetFileExInfoStandard, &kept));
  EXPECT_EQ(kept.nFileSizeLow, 6u) << "the first report was overwritten";
}

TEST_F(DatedReportTest, WithoutAFolderThatTakesOneItSaysWhyForTheLastTried) {
  record::FileSink sink;
  std::wstring path;
  EXPECT_FALSE(createDatedReport(sink, {unwritable_}, utc_, path));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(path, unwritable_ + L"\\" + datedReportName(utc_, 1));
  EXPECT_FALSE(sink.write("{}\n"));
}

}  // namespace
