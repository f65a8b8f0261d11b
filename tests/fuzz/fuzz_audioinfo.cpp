// Any bytes as a file for the Audioinfo reader: it never crashes, hangs or reads outside its buffers.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "mediainfo/Audioinfo.h"
#include "support/Supportfiles.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/dev/shm/vombrel-fuzz-audioinfo-" + std::to_string(getpid());
  if (!WriteFileAtomically(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;
  TAudioInfo info;
  try {
    info.ReadFromFile(path);
  } catch (const MediaReadError&) {
    // A file without a frame header is refused cleanly.
  }
  return 0;
}
