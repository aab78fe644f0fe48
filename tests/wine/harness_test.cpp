// Proves the Wine test harness itself: the program really runs under Wine and sees the
// environment its test was registered with.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

TEST(Harness, RunsUnderWine) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  ASSERT_NE(ntdll, nullptr);
  EXPECT_NE(GetProcAddress(ntdll, "wine_get_version"), nullptr);
}

TEST(Harness, SeesTheTestEnvironment) {
  const char* probe = std::getenv("SPINDRA_HARNESS_PROBE");
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(std::string(probe), "passed-through");
}

// Run only by the check that a failing program fails its ctest test.
TEST(Harness, DISABLED_FailsOnPurpose) { FAIL() << "failing on purpose"; }
