#pragma once
// The command line of spindra-update.
#include <string>

#include "programs/cli/cli_texts.h"
#include "programs/cli/terminal_dialog.h"

namespace cli {

struct Options {
  bool help = false;
  bool version = false;
  bool history = false;  // --history: show it, touch no unit
  bool update = false;
  bool wait = false;
  unsigned waitSeconds = 0;  // --wait=SECONDS; 0: until a unit comes
  bool json = false;
  bool force = false;  // --force: --report (--record) may replace a file
  bool languageGiven = false;
  Language language = Language::English;
  term::Answers answers;
  std::string scenario;    // --simulate
  std::string escVersion;  // --esc-version
  std::string recordFile;  // --report, or --record, its older name: the same report
  std::string recordOption;  // which of the two was given
  std::string replayFile;  // --replay
};

enum class OptionsResult { Ok, Unknown, UnknownLanguage, Conflicting, NeedsSimulation };

// On failure, problem names the argument, or the options that exclude each other.
OptionsResult parseOptions(int argc, const char* const* argv, Options& options, std::string& problem);

}  // namespace cli
