#pragma once
// What a user whom a unit's hidraw node denies is told to do about it.
#include <string>
#include <vector>

namespace cli {

// udev's rule directories, the administrator's first: a file there overrides the package's.
inline const std::vector<std::string> kUdevRuleDirectories = {"/etc/udev/rules.d", "/usr/lib/udev/rules.d"};

// The path of our rule where udev reads it, or empty when it is not installed (or masked,
// e.g. by a link to /dev/null in the administrator's directory).
std::string installedUdevRule(const std::vector<std::string>& ruleDirectories);

// Without the rule: how to install it and reload udev. With it: that the rule serves the
// user at the seat, not a remote login. The node is the unit denied, e.g. /dev/hidraw3.
std::string permissionHint(const std::string& node,
                           const std::vector<std::string>& ruleDirectories = kUdevRuleDirectories);

}  // namespace cli
