// Any bytes as a settings file: reads and a write never crash, and a written key reads back.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/Inifile.h"
#include "support/Supportfiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/dev/shm/vombrel-fuzz-ini-" + std::to_string(getpid()) + ".ini";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!vombrel::WriteFileAtomically(path, bytes)) return 0;
  vombrel::IniFile ini(path);
  for (const auto& section : ini.ReadSectionNames()) {
    for (const auto& key : ini.ReadSection(section)) (void)ini.Read(section, key);
  }
  ini.Write("General", "Fuzz", "value");
  if (ini.Read("General", "Fuzz") != std::optional<std::string>("value")) std::abort();
  return 0;
}
