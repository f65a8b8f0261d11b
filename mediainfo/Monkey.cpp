#include "mediainfo/Monkey.h"

#include <cstring>

#include "mediainfo/Mediatext.h"
#include "mediainfo/Mp3tag.h"
#include "support/Textcodec.h"

namespace vombrel {
namespace {

constexpr std::size_t kTagSize = 128;
constexpr std::size_t kHeaderSize = 40;

constexpr int kFlag8Bit = 1;
constexpr int kFlagPeakLevel = 4;
constexpr int kFlag24Bit = 8;
constexpr int kFlagSeekElements = 16;

std::string Field(const std::string& block, std::size_t offset, std::size_t length) {
  return Windows1252ToUtf8(TrimRightBlanks(CutAtZero(std::string_view(block).substr(offset, length))));
}

}  // namespace

void TID3v1::ReadFrom(MediaFile& file) {
  *this = TID3v1();
  if (file.Size() < static_cast<int64_t>(kTagSize)) {
    throw MediaReadError("File too short for an ID3v1 tag: \"" + file.Path() + "\"");
  }
  const std::string block = file.ReadString(file.Size() - static_cast<int64_t>(kTagSize), kTagSize);
  if (block.size() != kTagSize) throw MediaReadError("Read error in \"" + file.Path() + "\"");
  if (block.compare(0, 3, "TAG") != 0) return;
  Exists = true;
  IsVersion11 = (block[125] == 0 && block[126] != 0) || (block[125] == ' ' && block[126] != ' ');
  Title = Field(block, 3, 30);
  Artist = Field(block, 33, 30);
  Album = Field(block, 63, 30);
  Year = Field(block, 93, 4);
  Comment = Field(block, 97, IsVersion11 ? 28 : 30);
  Track = IsVersion11 ? static_cast<uint8_t>(block[126]) : 0;
  GenreID = static_cast<unsigned char>(block[127]);
  Genre = GenreName(StandardId3v1Genres(), GenreID);
}

void TMonkey::ReadFromFile(const std::string& path) {
  MediaFile file(path);
  ReadFrom(file);
}

void TMonkey::ReadFrom(MediaFile& file) {
  *this = TMonkey();
  ID3v1.ReadFrom(file);
  FileSize = file.Size();
  unsigned char h[kHeaderSize];
  if (file.ReadAt(0, h, kHeaderSize) != kHeaderSize) return;
  const int channels = LoadU16LE(h + 10);
  const uint32_t sampleRate = LoadU32LE(h + 12);
  Valid = std::memcmp(h, "MAC ", 4) == 0 && sampleRate >= 1 && channels != 0;
  if (!Valid) return;
  Version = LoadU16LE(h + 4);
  CompressionLevel = LoadU16LE(h + 6);
  FormatFlags = LoadU16LE(h + 8);
  Channels = channels;
  SampleRate = sampleRate;
  TotalFrames = LoadU32LE(h + 24);
  FinalFrameBlocks = LoadU32LE(h + 28);
  if (FormatFlags & kFlagPeakLevel) PeakLevel = LoadU32LE(h + 32);
  if (FormatFlags & kFlagSeekElements) SeekElements = LoadU32LE(h + 36);
  BitsPerSample = (FormatFlags & kFlag24Bit) ? 24 : (FormatFlags & kFlag8Bit) ? 8 : 16;
}

}  // namespace vombrel
