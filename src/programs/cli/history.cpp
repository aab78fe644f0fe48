#include "programs/cli/history.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace history {
namespace {

const char kDirectory[] = "/spindra-update";
const char kFile[] = "/history.jsonl";

// XDG_STATE_HOME counts only when absolute; the base directory spec says to ignore it otherwise.
std::string stateHome() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return state;
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/state";
  return "";
}

// Each missing directory of the path with 0700: the history is this user's alone.
bool makeDirectories(const std::string& directory) {
  for (std::size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
    const std::string part = directory.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

}  // namespace

std::string path() {
  const std::string home = stateHome();
  return home.empty() ? "" : home + kDirectory + kFile;
}

bool append(const jsonl::Object& entry) {
  const std::string file = path();
  if (file.empty()) {
    errno = ENOENT;
    return false;
  }
  if (!makeDirectories(file.substr(0, file.rfind('/')))) return false;
  const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::string line = jsonl::line(entry) + "\n";
  const ssize_t written = ::write(fd, line.data(), line.size());
  const int writeError = errno;
  const bool closed = ::close(fd) == 0;
  if (written != static_cast<ssize_t>(line.size())) {
    errno = written < 0 ? writeError : EIO;
    return false;
  }
  return closed;
}

bool read(std::vector<std::string>& lines) {
  const std::string file = path();
  std::ifstream in(file);
  if (!in) return errno == ENOENT || file.empty();
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return true;
}

}  // namespace history
