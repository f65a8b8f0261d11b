#include "players/Mp3gapless.h"

#include <unistd.h>

#include <array>
#include <cstring>

#include "support/Supportfiles.h"

namespace vombrel {

namespace {

// The first frame and its gapless fields fit in this much.
constexpr std::size_t kHeadBytes = 4096;
constexpr std::array<int32_t, 3> kMpeg1Rates{44100, 48000, 32000};
// The gapless fields follow the encoder's name; these encoders fill them in.
constexpr std::array<std::string_view, 3> kGaplessEncoders{"LAME", "Lavc", "Lavf"};
// Encoder name (9), tag revision and VBR method (1), low-pass (1), replay gain (8),
// encoding flags (1), bit rate (1): then 12 bits of delay and 12 of padding.
constexpr std::size_t kDelayOffsetInLameTag = 21;

uint8_t At(std::string_view bytes, std::size_t i) { return static_cast<uint8_t>(bytes[i]); }

std::size_t Id3v2End(std::string_view head) {
  if (head.size() < 10 || head.substr(0, 3) != "ID3") return 0;
  std::size_t size = 0;
  for (std::size_t i = 6; i < 10; ++i) size = (size << 7) | (At(head, i) & 0x7F);
  const bool footer = (At(head, 5) & 0x10) != 0;
  return 10 + size + (footer ? 10 : 0);
}

struct LayerThreeHeader {
  int32_t sampleRate = 0;
  std::size_t xingOffset = 0;  // from the start of the frame
};

// A Layer III frame header at `at`, or a zero sample rate.
LayerThreeHeader ParseHeader(std::string_view bytes, std::size_t at) {
  LayerThreeHeader header;
  if (at + 4 > bytes.size() || At(bytes, at) != 0xFF || (At(bytes, at + 1) & 0xE0) != 0xE0) return header;
  const int version = (At(bytes, at + 1) >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
  const int layer = (At(bytes, at + 1) >> 1) & 3;    // 1: Layer III
  const int rateIndex = (At(bytes, at + 2) >> 2) & 3;
  if (version == 1 || layer != 1 || rateIndex == 3) return header;
  const int divisor = version == 3 ? 1 : version == 2 ? 2 : 4;
  const bool mono = ((At(bytes, at + 3) >> 6) & 3) == 3;
  header.sampleRate = kMpeg1Rates[static_cast<std::size_t>(rateIndex)] / divisor;
  const std::size_t sideInfo = version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  header.xingOffset = 4 + sideInfo;
  return header;
}

uint32_t LoadU32BE(std::string_view bytes, std::size_t at) {
  return (uint32_t{At(bytes, at)} << 24) | (uint32_t{At(bytes, at + 1)} << 16) | (uint32_t{At(bytes, at + 2)} << 8) |
         uint32_t{At(bytes, at + 3)};
}

}  // namespace

uint64_t Mp3LeadingSilence::Nanoseconds() const {
  if (samples <= 0 || sampleRate <= 0) return 0;
  return static_cast<uint64_t>(samples) * 1000000000ULL / static_cast<uint64_t>(sampleRate);
}

Mp3LeadingSilence ParseMp3LeadingSilence(std::string_view head) {
  const std::size_t frame = Id3v2End(head);
  const LayerThreeHeader header = ParseHeader(head, frame);
  if (header.sampleRate == 0) return {};
  std::size_t at = frame + header.xingOffset;
  if (at + 8 > head.size()) return {};
  const std::string_view marker = head.substr(at, 4);
  if (marker != "Xing" && marker != "Info") return {};
  const uint32_t flags = LoadU32BE(head, at + 4);
  at += 8;
  if (flags & 1) at += 4;    // frame count
  if (flags & 2) at += 4;    // byte count
  if (flags & 4) at += 100;  // seek table
  if (flags & 8) at += 4;    // quality
  if (at + kDelayOffsetInLameTag + 3 > head.size()) return {};
  bool known = false;
  for (const std::string_view encoder : kGaplessEncoders) known = known || head.substr(at, 4) == encoder;
  if (!known) return {};
  const std::size_t delay = at + kDelayOffsetInLameTag;
  const int32_t encoderDelay = (At(head, delay) << 4) | (At(head, delay + 1) >> 4);
  if (encoderDelay == 0) return {};
  return {encoderDelay + kMp3DecoderDelaySamples, header.sampleRate};
}

Mp3LeadingSilence ReadMp3LeadingSilence(const std::string& path) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return {};
  // The first frame follows the ID3v2 tag, however large its pictures make it.
  std::string head(10, '\0');
  std::size_t frame = 0;
  if (pread(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size())) frame = Id3v2End(head);
  head.assign(kHeadBytes, '\0');
  const ssize_t got = pread(fd, head.data(), head.size(), static_cast<off_t>(frame));
  close(fd);
  if (got <= 0) return {};
  head.resize(static_cast<std::size_t>(got));
  return ParseMp3LeadingSilence(head);
}

}  // namespace vombrel
