#pragma once
// A directory of its own for one test, removed with everything in it afterwards.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "spindra-XXXXXX").string();
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "cannot create a temporary directory";
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string path(const std::string& relative = "") const { return relative.empty() ? path_ : path_ + "/" + relative; }

  // Creates the file and the directories above it.
  void write(const std::string& relative, const std::string& contents) const {
    std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
    std::ofstream(path(relative), std::ios::binary) << contents;
  }

  std::string read(const std::string& relative) const {
    std::ifstream file(path(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};
