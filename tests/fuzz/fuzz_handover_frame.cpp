// The hand-over frame reader must take any byte stream, in any pieces, without reading
// outside its buffer; every frame it accepts must encode back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/Handoverframe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  vombrel::HandOverFrameReader reader;
  // The first byte chooses the piece size, as a socket would cut the stream.
  const std::size_t piece = size > 0 ? 1 + data[0] % 64 : 1;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    reader.Append(bytes.substr(at, piece));
    vombrel::HandOverFrame frame;
    vombrel::HandOverFrameReader::Status status;
    while ((status = reader.Next(&frame)) == vombrel::HandOverFrameReader::Status::Frame) {
      const auto encoded = vombrel::EncodeHandOverFrame(frame);
      if (!encoded) std::abort();
      vombrel::HandOverFrameReader again;
      again.Append(*encoded);
      vombrel::HandOverFrame copy;
      if (again.Next(&copy) != vombrel::HandOverFrameReader::Status::Frame || !(copy == frame)) std::abort();
    }
    if (status == vombrel::HandOverFrameReader::Status::Malformed) break;
  }
  return 0;
}
