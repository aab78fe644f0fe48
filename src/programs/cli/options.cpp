#include "programs/cli/options.h"

#include <string>

namespace cli {
namespace {

// The value of "--option value", or of "--option=value" when inline_ holds what follows "=".
bool takeValue(int argc, const char* const* argv, int& i, const std::string* inline_, std::string& value) {
  if (inline_) {
    value = *inline_;
  } else {
    if (i + 1 >= argc) return false;
    value = argv[++i];
  }
  return !value.empty();
}

bool takeLanguage(const std::string& value, Options& options, OptionsResult& result, std::string& problem) {
  if (value != "en" && value != "de") {
    result = OptionsResult::UnknownLanguage;
    problem = value;
    return false;
  }
  options.languageGiven = true;
  options.language = value == "de" ? Language::German : Language::English;
  return true;
}

// Whole seconds, at least one; six digits at most keeps the count of polls far from overflow.
bool takeWaitLimit(const std::string& value, Options& options) {
  if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos || value.size() > 6) return false;
  options.waitSeconds = static_cast<unsigned>(std::stoul(value));
  return options.wait = options.waitSeconds > 0;
}

// --report and --record write the same file; given both, which one to write is a guess.
bool takeReportFile(int argc, const char* const* argv, int& i, const std::string* inline_, const std::string& option,
                    Options& options, OptionsResult& result, std::string& problem) {
  std::string value;
  if (!takeValue(argc, argv, i, inline_, value)) return false;
  if (!options.recordOption.empty() && options.recordOption != option) {
    result = OptionsResult::Conflicting;
    problem = "--record --report";
    return false;
  }
  options.recordFile = value;
  options.recordOption = option;
  return true;
}

bool parseOne(int argc, const char* const* argv, int& i, Options& options, OptionsResult& result,
              std::string& problem) {
  std::string arg = argv[i];
  std::string inlineValue;
  const std::string* inline_ = nullptr;
  const std::size_t equals = arg.find('=');
  if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
    inlineValue = arg.substr(equals + 1);
    inline_ = &inlineValue;
    arg.resize(equals);
  }
  std::string value;
  if (arg == "--wait") return inline_ ? takeWaitLimit(inlineValue, options) : (options.wait = true);
  if (arg == "--lang") return takeValue(argc, argv, i, inline_, value) && takeLanguage(value, options, result, problem);
  if (arg == "--simulate") return takeValue(argc, argv, i, inline_, options.scenario);
  if (arg == "--esc-version") return takeValue(argc, argv, i, inline_, options.escVersion);
  if (arg == "--record" || arg == "--report") return takeReportFile(argc, argv, i, inline_, arg, options, result, problem);
  if (arg == "--replay") return takeValue(argc, argv, i, inline_, options.replayFile);
  if (inline_) return false;  // a flag takes no value
  if (arg == "--help" || arg == "-h") return options.help = true;
  if (arg == "--version" || arg == "-V") return options.version = true;
  if (arg == "--update") return options.update = true;
  if (arg == "--history") return options.history = true;
  if (arg == "--json") return options.json = true;
  if (arg == "--yes" || arg == "--assume-yes" || arg == "-y") return options.answers.confirm = true;
  if (arg == "--allow-same-version") return options.answers.allowSameVersion = true;
  if (arg == "--force") return options.force = true;
  return false;
}

}  // namespace

OptionsResult parseOptions(int argc, const char* const* argv, Options& options, std::string& problem) {
  options = Options{};
  for (int i = 1; i < argc; ++i) {
    const int option = i;
    OptionsResult result = OptionsResult::Unknown;
    if (!parseOne(argc, argv, i, options, result, problem)) {
      if (result == OptionsResult::Unknown) problem = argv[option];
      return result;
    }
  }
  // A replay stands in for the unit: there is nothing else to simulate or record.
  if (!options.replayFile.empty() && (!options.scenario.empty() || !options.recordFile.empty())) {
    problem = options.scenario.empty() ? "--replay " + options.recordOption : "--replay --simulate";
    return OptionsResult::Conflicting;
  }
  if (!options.escVersion.empty() && options.scenario.empty()) {
    problem = "--esc-version";
    return OptionsResult::NeedsSimulation;
  }
  return OptionsResult::Ok;
}

}  // namespace cli
