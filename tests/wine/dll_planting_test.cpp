// A downloaded program sits among whatever else was downloaded. DLLs named like the ones it
// loads at run time, planted beside it, must never be loaded. Windows loads whichever DLL of
// the name its search finds first; Wine, left to itself, swaps in its own comctl32 for one
// found elsewhere, so the test runs with Wine told to prefer found DLLs, as Windows does.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "program_driver.h"
#include "res/controls.h"

namespace {

constexpr DWORD kTimeoutMs = 60000;
const wchar_t* const kPlantedNames[] = {L"hid.dll", L"comctl32.dll"};

std::wstring widen(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

std::wstring fileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

// A folder holding the planted DLLs, and the programs placed beside them.
class DllPlantingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = std::wstring(temp) + L"spindra-planting-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    for (const wchar_t* name : kPlantedNames) addFile(widen(SPINDRA_PLANTED_DLL), name);
  }

  void TearDown() override {
    for (const std::wstring& name : files_) DeleteFileW((folder_ + name).c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  void addFile(const std::wstring& source, const std::wstring& name) {
    ASSERT_TRUE(CopyFileW(source.c_str(), (folder_ + name).c_str(), FALSE)) << "copying " << fileName(source).c_str();
    files_.push_back(name);
    files_.push_back(name + L".loaded");
  }

  std::wstring place(const char* program) {
    const std::wstring source = widen(program);
    addFile(source, fileName(source));
    return folder_ + fileName(source);
  }

  bool loaded(const wchar_t* dll) const {
    return GetFileAttributesW((folder_ + dll + L".loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::wstring folder_;
  std::vector<std::wstring> files_;
};

constexpr DWORD kPlantedDllExitCode = 97;

// Without this the other test would prove nothing: Wine does take a DLL beside the program.
TEST_F(DllPlantingTest, AProgramSearchingItsOwnFolderLoadsThePlantedDlls) {
  const std::wstring loaderPath = place(SPINDRA_CARELESS_LOADER);
  for (const wchar_t* dll : kPlantedNames) {
    driver::Program loader(loaderPath, dll);
    ASSERT_TRUE(loader.started());
    EXPECT_EQ(loader.waitForExit(kTimeoutMs), kPlantedDllExitCode) << dll;
    EXPECT_TRUE(loaded(dll)) << dll;
  }
}

TEST_F(DllPlantingTest, TheUpdaterRunsWithoutLoadingThePlantedDlls) {
  SetEnvironmentVariableW(L"SPINDRA_SIM_SCENARIO", L"no-unit");
  for (const char* program : {SPINDRA_PRODUCT_EXE, SPINDRA_SIMULATED_EXE}) {
    SCOPED_TRACE(program);
    driver::Program updater(place(program));
    ASSERT_TRUE(updater.started());
    const HWND dialog = updater.waitForMainDialog(kTimeoutMs);
    for (const wchar_t* dll : kPlantedNames) EXPECT_FALSE(loaded(dll)) << dll;
    ASSERT_NE(dialog, nullptr) << "no main dialog; exit code " << updater.waitForExit(0);
    driver::press(dialog, ctl::kCloseButton);
    EXPECT_EQ(updater.waitForExit(kTimeoutMs), 0u);
  }
}

}  // namespace
