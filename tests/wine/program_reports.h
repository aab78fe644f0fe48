#pragma once
// The reports the Windows programs write for support, as the tests read them, and what the
// replay that follows the Windows tests must make of them (see add_report_replays).
#include <windows.h>

#include <nlohmann/json.hpp>

#include <set>
#include <string>
#include <vector>

namespace reports {

using Line = nlohmann::json;

// A path for a report this test leaves to the replay: <name>.jsonl in the folder
// SPINDRA_TEST_REPORTS names, with nothing of an earlier run there (the report, or what its
// replay must show). Empty, after a failure, where the folder is not named.
std::wstring freshPath(const std::string& name);

// The report's lines; a line that is no JSON object fails the test.
std::vector<Line> read(const std::wstring& path);
// Its lines of one "op" ("event", "read", ...), in order.
std::vector<Line> linesOf(const std::vector<Line>& report, const std::string& op);

// The report begins with the run of this program in language ("en", "de") and ends with an
// outcome; nowhere does it name the user, the computer or itself.
void expectRunOfTheProgram(const std::wstring& path, const std::string& language);

// What spindra-update --replay <report> --json must show: written beside the report, as
// <name>.expected.json, from what the program's dialog showed.
void expectReplayToShow(const std::wstring& path, const Line& fields);

// The names of a folder's files that match pattern (e.g. spindra-report-*).
std::set<std::wstring> filesIn(const std::wstring& folder, const std::wstring& pattern);

// The user's Documents folder, as the system names it.
std::wstring documentsFolder();

}  // namespace reports
