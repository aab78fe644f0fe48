#include "programs/cli/permission_hint.h"

#include <sys/stat.h>

#include "programs/cli/cli_texts.h"
#include "programs/cli/udev_rule.h"

namespace cli {

std::string installedUdevRule(const std::vector<std::string>& ruleDirectories) {
  for (const std::string& directory : ruleDirectories) {
    const std::string path = directory + "/" + udev::kRuleFileName;
    struct stat status;
    if (stat(path.c_str(), &status) != 0) continue;
    return S_ISREG(status.st_mode) ? path : "";
  }
  return "";
}

std::string permissionHint(const std::string& node, const std::vector<std::string>& ruleDirectories) {
  const std::string installed = installedUdevRule(ruleDirectories);
  if (!installed.empty()) return text(Text::kPermissionDeniedAtSeat, {utf8ToWide(node), utf8ToWide(installed)});
  const std::wstring ruleName = utf8ToWide(udev::kRuleFileName);
  return text(Text::kPermissionDenied, {utf8ToWide(node), ruleName, ruleName, utf8ToWide(udev::kRule)});
}

}  // namespace cli
