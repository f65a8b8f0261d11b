// A fresh settings folder for one window test: $XDG_CONFIG_HOME points at an empty folder
// named after the running test, so no test sees another's settings or playlist.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vombrel::testing {

inline std::filesystem::path MakePrivateConfigHome(const std::string& tag) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() /
                                     ("vombrel-" + tag + "-" + std::to_string(getpid()) + "-" +
                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root);
  setenv("XDG_CONFIG_HOME", root.c_str(), 1);
  return root;
}

}  // namespace vombrel::testing
