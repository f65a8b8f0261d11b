// Any bytes as a file for the Oggvorbis reader: it never crashes, hangs or reads outside its buffers.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "mediainfo/Oggvorbis.h"
#include "support/Supportfiles.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/dev/shm/vombrel-fuzz-oggvorbis-" + std::to_string(getpid());
  if (!WriteFileAtomically(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;
  TOggVorbis ogg;
  ogg.ReadFromFile(path);
  (void)ogg.AverageBitRate();
  return 0;
}
