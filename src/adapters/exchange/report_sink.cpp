#include "adapters/exchange/report_sink.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>

#include "base/format_text.h"
#endif

namespace record {

namespace {

#ifdef _WIN32
// The narrow C functions would read the UTF-8 path in the ANSI code page, and a file in text
// mode would add a CR to every line. Others may read the report while it is written.
std::FILE* openFile(const std::string& path, bool replace) {
  HANDLE handle = CreateFileW(utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              replace ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, "wb");
  if (file == nullptr) _close(descriptor);
  return file;
}
#else
std::FILE* openFile(const std::string& path, bool replace) { return std::fopen(path.c_str(), replace ? "we" : "wxe"); }
#endif

}  // namespace

bool FileSink::open(const std::string& path, bool replace) {
  close();
  file_ = openFile(path, replace);
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
