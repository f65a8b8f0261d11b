// Any bytes as a file for the Wmafile reader: it never crashes, hangs or reads outside its buffers.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "mediainfo/Wmafile.h"
#include "support/Supportfiles.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/dev/shm/vombrel-fuzz-wmafile-" + std::to_string(getpid());
  if (!WriteFileAtomically(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;
  TWMAfile wma;
  wma.ReadFromFile(path);
  return 0;
}
