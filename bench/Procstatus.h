// Figures of this process from /proc/self/status, for the benchmark programs.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

namespace vombrel::bench {

// The value of a kilobyte field ("VmRSS", "VmHWM", ...), or -1 when it is missing.
inline long StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
  }
  return -1;
}

}  // namespace vombrel::bench
