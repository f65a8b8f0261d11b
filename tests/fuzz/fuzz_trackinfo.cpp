// Any bytes under every extension the panel knows: reading the panel and the title either
// succeeds or fails with the reader failure, nothing else. The input is read in place, as
// the image of a file of each name.
#include <cstdint>
#include <string_view>

#include "mediainfo/Mediafile.h"
#include "mediainfo/Trackinfo.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const char* name : {"track.mp3", "track.ogg", "track.flac", "track.wma", "track.ape"}) {
    MediaFile file(name, bytes);
    try {
      (void)ReadTrackInfoFrom(file);
    } catch (const MediaReadError&) {
    }
    (void)ReadTitleFrom(file);
  }
  return 0;
}
