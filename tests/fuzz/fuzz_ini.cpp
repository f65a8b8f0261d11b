// Any bytes as a settings file: reads and a write never crash, and a written key reads back.
// The file is held in memory; parsing and writing follow the rules of a file on disk.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "support/Inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto ini = vombrel::IniFile::InMemory(std::string(reinterpret_cast<const char*>(data), size));
  for (const auto& section : ini.ReadSectionNames()) {
    for (const auto& key : ini.ReadSection(section)) (void)ini.Read(section, key);
  }
  ini.Write("General", "Fuzz", "value");
  if (ini.Read("General", "Fuzz") != std::optional<std::string>("value")) std::abort();
  return 0;
}
