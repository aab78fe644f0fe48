#pragma once
// Where a recording goes, one line at a time: a file, or memory for a front end that hands
// the report over itself (a download, a copy to the clipboard).
#include <cstdio>
#include <string>

namespace record {

class Sink {
 public:
  virtual ~Sink() = default;
  // One whole line, newline included; false when it was not kept.
  virtual bool write(const std::string& line) = 0;
  // False when anything written was lost.
  virtual bool close() = 0;
};

class FileSink : public Sink {
 public:
  FileSink() = default;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;
  ~FileSink() override { close(); }

  // The path in UTF-8. False with errno telling why (on Windows GetLastError); without replace
  // an existing file is left alone (EEXIST, ERROR_FILE_EXISTS).
  bool open(const std::string& path, bool replace);
  // Flushed at once, so that a run that crashes still leaves every line it wrote.
  bool write(const std::string& line) override;
  bool close() override;

 private:
  std::FILE* file_ = nullptr;
};

class MemorySink : public Sink {
 public:
  bool write(const std::string& line) override {
    text_ += line;
    return true;
  }
  bool close() override { return true; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace record
