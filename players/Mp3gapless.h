// The silence an MP3 encoder and decoder put before the first sample of the music. An
// encoder that writes the gapless-playback fields (LAME, and FFmpeg's Lavc/Lavf, in the
// Xing/"Info" frame) records its own delay there; the decoder adds a fixed delay of its
// own. Without trimming, every MP3 starts with about 25 ms of silence.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vombrel {

// Samples of silence the MP3 decoder puts out on top of the encoder's delay (measured on
// the decoders the engine uses; the usual convention says 529).
inline constexpr int32_t kMp3DecoderDelaySamples = 528;

struct Mp3LeadingSilence {
  int32_t samples = 0;     // 0 when the file records no encoder delay
  int32_t sampleRate = 0;  // Hz
  // The silence as nanoseconds; 0 when there is none to trim.
  uint64_t Nanoseconds() const;
};

// Reads the first frame of the stream in `head` (the file's first bytes, an ID3v2 tag
// first if there is one). Nothing is trimmed from a file that is not Layer III, or whose
// first frame holds no gapless fields.
Mp3LeadingSilence ParseMp3LeadingSilence(std::string_view head);

// Reads the first bytes of the file; nothing to trim when it cannot be read.
Mp3LeadingSilence ReadMp3LeadingSilence(const std::string& path);

}  // namespace vombrel
