// Any bytes as a WAV image: the header reader never reads outside the image and what it
// reports lies inside it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "wave/Wavestorage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vombrel::TMemoryStream stream;
  stream.bytes.assign(reinterpret_cast<const char*>(data), size);
  if (const auto header = vombrel::ReadWaveHeader(stream)) {
    if (header->dataOffset > size) std::abort();
  }
  return 0;
}
