// Any bytes as a file for the TWMAfile reader: it never crashes, hangs or reads outside its
// buffers. The input is read in place, as the file image.
#include <cstdint>
#include <string_view>

#include "mediainfo/Mediafile.h"
#include "mediainfo/Wmafile.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MediaFile file("input", std::string_view(reinterpret_cast<const char*>(data), size));
  TWMAfile wma;
  wma.ReadFrom(file);
  return 0;
}
