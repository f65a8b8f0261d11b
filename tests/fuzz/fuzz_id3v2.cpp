// Any bytes as a file for the Id3v2 reader: it never crashes, hangs or reads outside its buffers.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "mediainfo/Id3v2.h"
#include "support/Supportfiles.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/dev/shm/vombrel-fuzz-id3v2-" + std::to_string(getpid());
  if (!WriteFileAtomically(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;
  TID3v2 tag;
  tag.ReadFromFile(path);
  return 0;
}
