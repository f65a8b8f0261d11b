#include "mediainfo/Audioinfo.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "mediainfo/Id3v2.h"
#include "mediainfo/Mediatext.h"
#include "mediainfo/Mp3tag.h"

namespace vombrel {
namespace {

// kbit/s by bit-rate index; MPEG-2.5 uses the MPEG-2 rows.
constexpr int kMpeg1Rates[3][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, -1},  // layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, -1},     // layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1},      // layer III
};
constexpr int kMpeg2Rates[2][16] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, -1},  // layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1},       // layers II, III
};
// Hz by sample-rate index 0..2, for versions 1..3.
constexpr int kSampleRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {32000, 16000, 8000}};

constexpr int kVersionByBits[4] = {3, 0, 2, 1};
constexpr int kLayerByBits[4] = {0, 3, 2, 1};

int BitRateOf(int version, int layer, int index) {
  if (version == 0 || layer == 0) return -1;
  if (version == 1) return kMpeg1Rates[layer - 1][index];
  return kMpeg2Rates[layer == 1 ? 0 : 1][index];
}

int SampleRateOf(int version, int index) {
  if (version == 0 || index == 3) return -1;
  return kSampleRates[version - 1][index];
}

// Samples per frame / 8, the factor of the frame-length formula.
int FrameLengthFactor(int version, int layer) {
  if (layer == 1) return version == 1 ? 48 : 24;
  return version == 1 ? 144 : 72;
}

// Offset of the Xing header from the start of the first frame.
int XingOffset(const TMpegFrameHdr& header) {
  const bool mono = header.ChannelMode == 3;
  if (header.Version == 1) return mono ? 21 : 36;
  return mono ? 13 : 21;
}

}  // namespace

void TMpegFrameHdr::Parse(const unsigned char* bytes) {
  std::memcpy(Bytes, bytes, 4);
  Version = kVersionByBits[(bytes[1] >> 3) & 3];
  Layer = kLayerByBits[(bytes[1] >> 1) & 3];
  BitRate = BitRateOf(Version, Layer, bytes[2] >> 4);
  SampleRate = SampleRateOf(Version, (bytes[2] >> 2) & 3);
  ChannelMode = bytes[3] >> 6;
  Padding = (bytes[2] & 2) != 0;
  FrameLength = 0;
  if (SampleRate > 0) {
    const int64_t whole = int64_t{BitRate} * 1000 * FrameLengthFactor(Version, Layer) / SampleRate;
    FrameLength = static_cast<int>(whole) + (Padding ? (Layer == 1 ? 4 : 1) : 0);
  }
  Valid = bytes[0] == 0xFF && bytes[1] > 223 && Version != 0 && Layer != 0 && BitRate != -1 && SampleRate != -1;
}

const char* TMpegFrameHdr::LayerName() const {
  static const char* const names[4] = {"?!!", "I", "II", "III"};
  return names[Layer >= 0 && Layer <= 3 ? Layer : 0];
}

int64_t FindFrameHeader(const unsigned char* bytes, std::size_t count, TMpegFrameHdr& header) {
  for (std::size_t i = 0; i + 4 <= count; ++i) {
    if (bytes[i] != 0xFF || bytes[i + 1] < 0xE0) continue;
    header.Parse(bytes + i);
    if (header.Valid) return static_cast<int64_t>(i);
  }
  return -1;
}

void TAudioInfo::Reset() {
  FirstFrame = TMpegFrameHdr();
  FirstFrameOffset = -1;
  VBR = false;
  XingFrames = 0;
  DurationMs = 0;
  HasId3v1 = false;
  FileSize = 0;
}

void TAudioInfo::ReadFromFile(const std::string& path) {
  MediaFile file(path);
  ReadFrom(file);
}

void TAudioInfo::ReadFrom(MediaFile& file) {
  Reset();
  FileSize = file.Size();
  FindFirstFrame(file);
  if (FirstFrameOffset < 0) throw MediaReadError("No MPEG audio frame found in \"" + file.Path() + "\"");
  ConfirmBySecondHeader(file);
  if (FirstFrame.Valid) ReadXingHeader(file);
  HasId3v1 = !ReadId3v1Block(file).empty();
  if (!VBR) {
    if (FirstFrame.BitRate == 0) {
      throw MediaReadError("Free-format MPEG audio has no bit rate: \"" + file.Path() + "\"");
    }
    ComputeDuration();
  }
}

void TAudioInfo::FindFirstFrame(MediaFile& file) {
  // The search covers kSearchLimit bytes behind a leading ID3v2 tag. Reading the range in
  // one block finds exactly the header that a walk in small chunks (carrying the last 4
  // bytes over each border) finds: the first valid header in file order.
  int64_t start = Id3v2TagEnd(file);
  // A tag whose size field points past the end of the file is damaged: its size says
  // nothing about where the audio begins, so the search covers the file from its start.
  if (start > file.Size()) start = 0;
  if (start >= file.Size()) return;
  const auto length = static_cast<std::size_t>(std::min(kSearchLimit, file.Size() - start));
  std::vector<unsigned char> bytes(length);
  const std::size_t got = file.ReadAt(start, bytes.data(), length);
  const int64_t found = FindFrameHeader(bytes.data(), got, FirstFrame);
  if (found >= 0) FirstFrameOffset = start + found;
}

void TAudioInfo::ConfirmBySecondHeader(MediaFile& file) {
  const int64_t next = FirstFrameOffset + FirstFrame.FrameLength;
  if (file.Size() - next <= 4) return;
  unsigned char bytes[4];
  if (file.ReadAt(next, bytes, 4) != 4) return;
  TMpegFrameHdr second;
  second.Parse(bytes);
  FirstFrame.Valid = second.Valid;
}

void TAudioInfo::ReadXingHeader(MediaFile& file) {
  unsigned char xing[12];
  if (file.ReadAt(FirstFrameOffset + XingOffset(FirstFrame), xing, 12) != 12) return;
  if (std::memcmp(xing, "Info", 4) == 0) return SkipInfoFrame(file);
  if (std::memcmp(xing, "Xing", 4) != 0) return;
  VBR = true;
  XingFrames = (xing[7] & 1) ? LoadU32BE(xing + 8) : 0;
  if (FirstFrame.SampleRate <= 0) return;
  const int64_t seconds = RoundHalfEven(1152.0 / FirstFrame.SampleRate * XingFrames);
  DurationMs = static_cast<int32_t>(std::min<int64_t>(seconds * 1000, INT32_MAX));
}

// An "Info" header marks a constant-bit-rate file whose first frame carries only the
// header, often at a smaller bit rate than the stream's (the encoder picks the smallest
// frame the header fits in). Taking that frame's bit rate would misstate the bit rate and
// the duration, so the stream is described by the audio frame that follows it.
void TAudioInfo::SkipInfoFrame(MediaFile& file) {
  const int64_t next = FirstFrameOffset + FirstFrame.FrameLength;
  unsigned char bytes[4];
  if (FirstFrame.FrameLength <= 0 || file.ReadAt(next, bytes, 4) != 4) return;
  TMpegFrameHdr audioFrame;
  audioFrame.Parse(bytes);
  if (!audioFrame.Valid || audioFrame.BitRate <= 0) return;
  FirstFrame = audioFrame;
  FirstFrameOffset = next;
}

void TAudioInfo::ComputeDuration() {
  if (FirstFrame.BitRate == -1) return;
  const int64_t audioBytes = std::max<int64_t>(0, FileSize - FirstFrameOffset - (HasId3v1 ? 128 : 0));
  const int64_t seconds = audioBytes * 8 / (int64_t{FirstFrame.BitRate} * 1000);
  DurationMs = static_cast<int32_t>(std::min<int64_t>(seconds * 1000, INT32_MAX));
}

}  // namespace vombrel
