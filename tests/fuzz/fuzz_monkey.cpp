// Any bytes as a file for the TMonkey reader: it never crashes, hangs or reads outside its
// buffers. The input is read in place, as the file image.
#include <cstdint>
#include <string_view>

#include "mediainfo/Mediafile.h"
#include "mediainfo/Monkey.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MediaFile file("input", std::string_view(reinterpret_cast<const char*>(data), size));
  TMonkey ape;
  try {
    ape.ReadFrom(file);
  } catch (const MediaReadError&) {
    // Files shorter than an ID3v1 tag are refused cleanly.
  }
  return 0;
}
