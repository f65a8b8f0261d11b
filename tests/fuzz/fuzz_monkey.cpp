// Any bytes as a file for the Monkey reader: it never crashes, hangs or reads outside its buffers.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "mediainfo/Monkey.h"
#include "support/Supportfiles.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/dev/shm/vombrel-fuzz-monkey-" + std::to_string(getpid());
  if (!WriteFileAtomically(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;
  TMonkey ape;
  try {
    ape.ReadFromFile(path);
  } catch (const MediaReadError&) {
    // Files shorter than an ID3v1 tag are refused cleanly.
  }
  return 0;
}
