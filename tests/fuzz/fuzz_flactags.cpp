// Any bytes as a file for the TFlacTags reader: it never crashes, hangs or reads outside its
// buffers. The input is read in place, as the file image.
#include <cstdint>
#include <string_view>

#include "mediainfo/Flactags.h"
#include "mediainfo/Mediafile.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MediaFile file("input", std::string_view(reinterpret_cast<const char*>(data), size));
  TFlacTags flac;
  flac.ReadFrom(file);
  (void)flac.AverageBitRate();
  return 0;
}
