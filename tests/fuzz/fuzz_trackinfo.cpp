// Any bytes under every extension the panel knows: reading the panel and the title either
// succeeds or fails with the reader failure, nothing else.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "mediainfo/Mediafile.h"
#include "mediainfo/Trackinfo.h"
#include "support/Supportfiles.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string base = "/dev/shm/vombrel-fuzz-trackinfo-" + std::to_string(getpid());
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const char* extension : {".mp3", ".ogg", ".flac", ".wma", ".ape"}) {
    const std::string path = base + extension;
    if (!WriteFileAtomically(path, bytes)) return 0;
    try {
      (void)ReadTrackInfo(path);
    } catch (const MediaReadError&) {
    }
    (void)ReadTitle(path);
    unlink(path.c_str());
  }
  return 0;
}
