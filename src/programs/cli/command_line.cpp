#include "programs/cli/command_line.h"

#include <csignal>
#include <cstdio>

#include "adapters/linux/interruptions.h"
#include "link/unit_device.h"
#include "programs/cli/exit_codes.h"
#include "programs/cli/facts.h"
#include "programs/cli/finding.h"
#include "programs/cli/options.h"
#include "programs/cli/scenarios.h"
#include "programs/cli/session_replay.h"
#include "programs/cli/telling.h"
#include "programs/cli/transport_choice.h"
#include "programs/cli/updating.h"
#include "ui/main_view.h"
#include "update/readiness.h"

namespace cli {
namespace {

Text optionsProblem(OptionsResult result) {
  switch (result) {
    case OptionsResult::UnknownLanguage: return Text::kUnknownLanguage;
    case OptionsResult::Conflicting: return Text::kConflictingOptions;
    case OptionsResult::NeedsSimulation: return Text::kNeedsSimulation;
    default: return Text::kUnknownOption;
  }
}

// What the options ask for before any unit is looked for: an exit code when it is all the run
// does (help, version, history, the scenarios, or wrong options), else -1.
int prepare(int argc, const char* const* argv, Options& options) {
  setLanguage(languageFromEnvironment());
  std::string problem;
  const OptionsResult parsed = parseOptions(argc, argv, options, problem);
  if (options.languageGiven) setLanguage(options.language);
  if (parsed != OptionsResult::Ok) {
    printError(text(optionsProblem(parsed), {utf8ToWide(problem)}));
    return exitcode::kWrongOptions;
  }
  if (options.help) {
    showUsage();
    return exitcode::kReady;
  }
  if (options.version) return showVersion();
  if (options.history) return showHistory(options.json);
  if (options.scenario == "list") {
    std::fputs(scenario::list().c_str(), stdout);
    return exitcode::kReady;
  }
  return -1;
}

}  // namespace

int run(int argc, const char* const* argv, const hidraw::Roots& roots) {
  // A reader that went away (a closed terminal, a pipe) costs only the output: the update
  // goes on and the exit code still tells its outcome.
  std::signal(SIGPIPE, SIG_IGN);
  interruptions::setNotice(tellInterruptionHeld);
  Options options;
  Transports transports(roots);
  const int early = prepare(argc, argv, options);
  if (early >= 0) return early;
  const int transportProblem = chooseTransport(options, transports);
  if (transportProblem != 0) return transportProblem;
  term::setAnswers(options.answers);
  term::setBoxStream(options.json ? stderr : stdout);

  Facts facts;
  if (!options.replayFile.empty() && isSessionReport(transports.replay.recording())) {
    facts.sessionDivergence = replaySession(transports.replay.recording(), facts);
    transports.replay.acceptCloseAfterEnd();
  } else {
    findAndAssess(options, roots, facts);
    // Simulated updates and replays are tries, not updates of an ESC: the history keeps neither.
    if (options.update && mainView().readiness == Readiness::Ready) {
      updateAndJudge(facts);
      if (onHidraw(options)) keepInHistory(facts);
    }
  }
  resetDevice();

  facts.exitCode = closeExchangeFiles(options, transports, facts);
  if (options.json) {
    printJson(facts);
  } else {
    printForPeople(facts);
  }
  return facts.exitCode;
}

}  // namespace cli
