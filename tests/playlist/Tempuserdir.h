// A private user data folder for one test, removed afterwards.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/Supportfiles.h"

namespace vombrel::testing {

class TempUserDir {
 public:
  explicit TempUserDir(const std::string& tag)
      : root_(std::filesystem::temp_directory_path() / ("vombrel-" + tag + "-" + std::to_string(getpid()))) {
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "user");
    SetUserDirChoice((root_ / "user").string() + "/");
  }
  ~TempUserDir() {
    SetUserDirChoice("<UserAppData>");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  std::string UserFile(const std::string& name) const { return (root_ / "user" / name).string(); }
  void Write(const std::string& path, const std::string& bytes) const {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& path) const { return ReadFileBytes(path).value_or("<missing>"); }

 private:
  std::filesystem::path root_;
};

}  // namespace vombrel::testing
