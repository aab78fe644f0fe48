#include "programs/cli/permission_hint.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "programs/cli/cli_texts.h"
#include "programs/cli/udev_rule.h"
#include "support/temp_dir.h"

// What a user whom the unit's node denies is told: how to install the rule while it is not
// installed, and, once it is (by the package or by hand), why it still may not reach them.
namespace {

const std::string kInstallSteps = std::string("sudo tee /etc/udev/rules.d/70-spindra-update.rules > /dev/null <<'EOF'\n") +
                                  udev::kRule + "EOF\nsudo udevadm control --reload-rules\nsudo udevadm trigger\n";

struct RuleDirectories {
  TempDir dir;
  std::vector<std::string> list() const { return {dir.path("etc"), dir.path("lib")}; }
  void install(const std::string& where) const { dir.write(where + "/70-spindra-update.rules", udev::kRule); }
};

class PermissionHintTest : public ::testing::Test {
 protected:
  void TearDown() override { cli::setLanguage(cli::Language::English); }
  RuleDirectories rules;
};

TEST_F(PermissionHintTest, WithoutTheRuleItSaysHowToInstallAndReloadIt) {
  std::filesystem::create_directories(rules.dir.path("etc"));
  rules.dir.write("lib/69-other.rules", "# another package's rule\n");
  const std::string hint = cli::permissionHint("/dev/hidraw3", rules.list());
  EXPECT_EQ(hint.substr(0, 79), "/dev/hidraw3 is a programming unit, but this user may not open it (permission d");
  EXPECT_NE(hint.find("Install the udev rule 70-spindra-update.rules, reload udev"), std::string::npos) << hint;
  EXPECT_EQ(hint.substr(hint.size() - kInstallSteps.size()), kInstallSteps);
}

TEST_F(PermissionHintTest, AnInstalledRuleIsExplainedAsServingTheSeatNotARemoteLogin) {
  const struct {
    std::vector<std::string> installedIn;
    const char* named;
  } cases[] = {
      {{"lib"}, "lib"},         // the package's place
      {{"etc"}, "etc"},         // copied by hand, as the hint once said
      {{"etc", "lib"}, "etc"},  // the administrator's copy is the one udev reads
  };
  for (const auto& c : cases) {
    RuleDirectories fresh;
    for (const std::string& where : c.installedIn) fresh.install(where);
    const std::string path = fresh.dir.path(c.named) + "/70-spindra-update.rules";
    SCOPED_TRACE(c.named);
    EXPECT_EQ(cli::permissionHint("/dev/hidraw3", fresh.list()),
              "/dev/hidraw3 is a programming unit, but this user may not open it (permission denied).\n"
              "The udev rule " + path + " is installed: it gives access to the user at the seat (the local console "
              "session),\nnot over a remote login (ssh). Run spindra-update in a session at the computer itself; if "
              "you are\nthere already, unplug the unit and plug it in again.\n");
  }

  rules.install("lib");
  cli::setLanguage(cli::Language::German);
  const std::string german = cli::permissionHint("/dev/hidraw3", rules.list());
  EXPECT_EQ(german.find("/dev/hidraw3 ist eine Programmiereinheit"), 0u) << german;
  EXPECT_NE(german.find("Die udev-Regel " + rules.dir.path("lib") + "/70-spindra-update.rules ist installiert: Sie "
                        "gibt dem Benutzer am Arbeitsplatz (der lokalen Konsolensitzung) Zugriff,\nnicht über eine "
                        "entfernte Anmeldung (ssh)."),
            std::string::npos)
      << german;
  EXPECT_EQ(german.find("sudo tee"), std::string::npos) << german;
}

TEST_F(PermissionHintTest, ARuleMaskedByTheAdministratorIsNotInstalled) {
  rules.install("lib");
  std::filesystem::create_directories(rules.dir.path("etc"));
  ASSERT_EQ(symlink("/dev/null", rules.dir.path("etc/70-spindra-update.rules").c_str()), 0);
  EXPECT_EQ(cli::installedUdevRule(rules.list()), "");
  const std::string hint = cli::permissionHint("/dev/hidraw3", rules.list());
  EXPECT_EQ(hint.substr(hint.size() - kInstallSteps.size()), kInstallSteps);
}

}  // namespace
