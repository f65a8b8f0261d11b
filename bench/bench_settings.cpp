// ReadString and WriteString on a settings file of 2,000 keys: microseconds per call.
// Usage: bench_settings [calls]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/Configurazione.h"
#include "support/Supportfiles.h"

using namespace vombrel;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::atoi(argv[1]) : 500;
  const auto root = std::filesystem::temp_directory_path() / ("vombrel-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(root);
  SetAppDirForTesting(root.string());
  TConfigurazione store(root.string(), "Kelvatro/Vombrel");
  {
    IniFile file(store.IniFileName());
    for (int s = 0; s < 20; ++s) {
      std::vector<std::pair<std::string, std::string>> keys;
      for (int k = 0; k < 100; ++k) keys.emplace_back("Key" + std::to_string(k), "Value number " + std::to_string(k));
      file.WriteMany("Section" + std::to_string(s), keys);
    }
  }
  const auto measure = [&](const char* what, auto call) {
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i) call(i);
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / calls;
    std::printf("%-12s %9.1f us/call (%d calls, 2,000 keys)\n", what, us, calls);
  };
  std::size_t sink = 0;
  measure("ReadString", [&](int i) {
    sink += store.ReadString("Section" + std::to_string(i % 20), "Key" + std::to_string(i % 100), "").size();
  });
  measure("WriteString", [&](int i) {
    store.WriteString("Section" + std::to_string(i % 20), "Key" + std::to_string(i % 100), std::to_string(i));
  });
  std::filesystem::remove_all(root);
  return sink == 0 ? 1 : 0;
}
