#include "programs/cli/options.h"

namespace cli {
namespace {

bool takeValue(int argc, const char* const* argv, int& i, std::string& value) {
  if (i + 1 >= argc) return false;
  value = argv[++i];
  return !value.empty();
}

bool takeLanguage(const std::string& value, Options& options) {
  if (value != "en" && value != "de") return false;
  options.languageGiven = true;
  options.language = value == "de" ? Language::German : Language::English;
  return true;
}

bool parseOne(int argc, const char* const* argv, int& i, Options& options) {
  const std::string arg = argv[i];
  std::string value;
  if (arg == "--help" || arg == "-h") return options.help = true;
  if (arg == "--version" || arg == "-V") return options.version = true;
  if (arg == "--update") return options.update = true;
  if (arg == "--history") return options.history = true;
  if (arg == "--wait") return options.wait = true;
  if (arg == "--json") return options.json = true;
  if (arg == "--yes") return options.answers.confirm = true;
  if (arg == "--allow-same-version") return options.answers.allowSameVersion = true;
  if (arg == "--lang") return takeValue(argc, argv, i, value) && takeLanguage(value, options);
  if (arg == "--simulate") return takeValue(argc, argv, i, options.scenario);
  if (arg == "--esc-version") return takeValue(argc, argv, i, options.escVersion);
  if (arg == "--record") return takeValue(argc, argv, i, options.recordFile);
  if (arg == "--replay") return takeValue(argc, argv, i, options.replayFile);
  return false;
}

}  // namespace

OptionsResult parseOptions(int argc, const char* const* argv, Options& options, std::string& problem) {
  options = Options{};
  for (int i = 1; i < argc; ++i) {
    const int option = i;
    if (!parseOne(argc, argv, i, options)) {
      problem = argv[option];
      return OptionsResult::Unknown;
    }
  }
  // A replay stands in for the unit: there is nothing else to simulate or record.
  if (!options.replayFile.empty() && (!options.scenario.empty() || !options.recordFile.empty())) {
    problem = options.scenario.empty() ? "--replay --record" : "--replay --simulate";
    return OptionsResult::Conflicting;
  }
  if (!options.escVersion.empty() && options.scenario.empty()) {
    problem = "--esc-version";
    return OptionsResult::NeedsSimulation;
  }
  return OptionsResult::Ok;
}

}  // namespace cli
