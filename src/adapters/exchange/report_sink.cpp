#include "adapters/exchange/report_sink.h"

namespace record {

bool FileSink::open(const std::string& path, bool replace) {
  close();
  file_ = std::fopen(path.c_str(), replace ? "we" : "wxe");
  return file_ != nullptr;
}

bool FileSink::write(const std::string& line) {
  return file_ && std::fputs(line.c_str(), file_) != EOF && std::fflush(file_) == 0;
}

bool FileSink::close() {
  if (!file_) return true;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  return closed;
}

}  // namespace record
