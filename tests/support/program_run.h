#pragma once
// spindra-update run as a user runs it: arguments, environment, stdin not a terminal; what it
// prints and its exit code are what the tests check.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// How the program is started: which build, its environment, what its stdin is (a file or a
// terminal's device) and whether it runs as a user who may not open what root could.
struct Launch {
  std::string program = SPINDRA_UPDATE_PROGRAM;
  std::vector<std::string> environment = {"LANG=C"};
  std::string input = "/dev/null";
  bool unprivileged = false;
};

inline std::vector<char*> pointersTo(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// In the child: stdin, stdout and stderr in place, root given up when asked, the program.
[[noreturn]] inline void becomeProgram(const Launch& how, std::vector<std::string> args, const std::string& outFile,
                                const std::string& errFile) {
  const int streams[] = {open(how.input.c_str(), O_RDWR), open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
                         open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)};
  for (int fd = 0; fd < 3; ++fd) {
    if (streams[fd] < 0 || dup2(streams[fd], fd) < 0) _exit(127);
  }
  if (how.unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(127);
  std::vector<std::string> environment = how.environment;
  execve(how.program.c_str(), pointersTo(args).data(), pointersTo(environment).data());
  _exit(127);
}

inline ProgramRun launch(const Launch& how, const std::vector<std::string>& args) {
  TempDir dir;
  std::vector<std::string> argStrings{how.program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  ProgramRun run;
  const pid_t child = fork();
  if (child == 0) becomeProgram(how, argStrings, dir.path("out"), dir.path("err"));
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) {
    ADD_FAILURE() << "cannot run " << how.program;
    return run;
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = dir.read("out");
  run.err = dir.read("err");
  return run;
}

inline ProgramRun runProgram(const std::vector<std::string>& args, const std::vector<std::string>& environment = {"LANG=C"}) {
  Launch how;
  how.environment = environment;
  return launch(how, args);
}
