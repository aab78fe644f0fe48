#include "wine/program_reports.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>

#include "base/format_text.h"

namespace reports {

namespace {

std::wstring expectationPath(const std::wstring& path) {
  return path.substr(0, path.rfind(L".jsonl")) + L".expected.json";
}

std::wstring fileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

std::wstring systemName(BOOL(WINAPI* get)(LPWSTR, LPDWORD)) {
  wchar_t name[256] = L"";
  DWORD size = 256;
  return get(name, &size) ? name : L"";
}

// Every name and text of a line, as written before JSON escaped it; the units' bytes left out,
// as hex may spell anything.
void collectTexts(const Line& value, std::string& texts) {
  if (value.is_string()) texts += value.get<std::string>() + "\n";
  if (!value.is_object() && !value.is_array()) return;
  for (const auto& item : value.items()) {
    if (value.is_object() && item.key() == "data") continue;
    if (value.is_object()) texts += item.key() + "\n";
    collectTexts(item.value(), texts);
  }
}

// Nowhere in a report: the user's and the computer's names, and the report's own name and
// folder.
void expectNothingOfTheUser(const std::vector<Line>& report, const std::wstring& path) {
  std::string texts;
  for (const Line& line : report) collectTexts(line, texts);
  const std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
  for (const std::wstring& name : {systemName(GetUserNameW), systemName(GetComputerNameW), fileName(path), folder}) {
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(texts.find(wideToUtf8(name)), std::string::npos) << "the report names " << wideToUtf8(name);
  }
}

}  // namespace

std::wstring freshPath(const std::string& name) {
  const char* folder = std::getenv("SPINDRA_TEST_REPORTS");
  if (folder == nullptr) {
    ADD_FAILURE() << "SPINDRA_TEST_REPORTS names no folder for the reports";
    return L"";
  }
  const std::wstring path = utf8ToWide(folder) + L"\\" + utf8ToWide(name) + L".jsonl";
  DeleteFileW(path.c_str());
  DeleteFileW(expectationPath(path).c_str());
  return path;
}

std::vector<Line> read(const std::wstring& path) {
  std::ifstream file(path.c_str());
  EXPECT_TRUE(file.is_open()) << "no report at " << wideToUtf8(path);
  std::vector<Line> lines;
  std::string text;
  while (std::getline(file, text)) {
    Line line = Line::parse(text, nullptr, false);
    EXPECT_TRUE(line.is_object()) << "not a JSON object: " << text;
    lines.push_back(line);
  }
  return lines;
}

std::vector<Line> linesOf(const std::vector<Line>& report, const std::string& op) {
  std::vector<Line> found;
  for (const Line& line : report) {
    if (line.value("op", "") == op) found.push_back(line);
  }
  return found;
}

void expectRunOfTheProgram(const std::wstring& path, const std::string& language) {
  const std::vector<Line> report = read(path);
  ASSERT_GE(report.size(), 2u);
  const Line& begin = report.front();
  EXPECT_EQ(begin.value("op", ""), "begin");
  EXPECT_EQ(begin.value("format", ""), "spindra-exchanges");
  EXPECT_EQ(begin.value("version", 0), 2);
  const Line run = begin.value("run", Line::object());
  EXPECT_EQ(run.value("frontEnd", ""), "spindra-updater");
  EXPECT_EQ(run.value("frontEndVersion", ""), "3.5");
  EXPECT_EQ(run.value("imageVersion", ""), "3.5");
  EXPECT_TRUE(std::regex_match(run.value("imageSha256", ""), std::regex("[0-9a-f]{64}"))) << run.dump();
  EXPECT_EQ(run.value("language", ""), language);
  EXPECT_EQ(run.value("platform", Line::object()).size(), 1u) << "the platform is the system alone: " << run.dump();
  EXPECT_TRUE(std::regex_match(run["platform"].value("os", ""), std::regex(R"(Windows \d+\.\d+\.\d+)"))) << run.dump();
  EXPECT_TRUE(std::regex_match(run.value("started", ""), std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")))
      << run.dump();
  EXPECT_EQ(report.back().value("op", ""), "outcome");
  expectNothingOfTheUser(report, path);
}

void expectReplayToShow(const std::wstring& path, const Line& fields) {
  std::ofstream(expectationPath(path).c_str()) << fields.dump() << "\n";
}

std::set<std::wstring> filesIn(const std::wstring& folder, const std::wstring& pattern) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.insert(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::wstring documentsFolder() {
  wchar_t folder[MAX_PATH] = L"";
  EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder), S_OK);
  return folder;
}

}  // namespace reports
