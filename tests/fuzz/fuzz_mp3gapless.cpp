// Any bytes as the first bytes of an MP3 file for the leading-silence reader: it never
// crashes nor reads outside the bytes, and what it finds is a sane delay.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "players/Mp3gapless.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Mp3LeadingSilence silence = ParseMp3LeadingSilence(std::string_view(reinterpret_cast<const char*>(data), size));
  // 12 bits of encoder delay and the decoder's own: never more than a tenth of a second at 48 kHz.
  if (silence.samples < 0 || silence.samples > 4095 + kMp3DecoderDelaySamples) std::abort();
  if (silence.samples > 0 && silence.sampleRate < 8000) std::abort();
  return 0;
}
