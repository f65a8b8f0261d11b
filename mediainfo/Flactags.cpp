#include "mediainfo/Flactags.h"

#include <cstring>

#include "mediainfo/Id3v2.h"

namespace vombrel {
namespace {

constexpr int kStreamInfoBlock = 0;
constexpr int kVorbisCommentBlock = 4;
constexpr uint32_t kStreamInfoLength = 34;

}  // namespace

void TFlacTags::ReadFromFile(const std::string& path) {
  MediaFile file(path);
  ReadFrom(file);
}

void TFlacTags::ReadFrom(MediaFile& file) {
  *this = TFlacTags();
  FileSize = file.Size();
  const int64_t marker = Id3v2TagEnd(file);
  char magic[4];
  if (file.ReadAt(marker, magic, 4) != 4 || std::memcmp(magic, "fLaC", 4) != 0) return;
  // Every block takes at least its 4-byte header, so the walk ends at the file end.
  for (int64_t position = marker + 4;;) {
    unsigned char header[4];
    if (file.ReadAt(position, header, 4) != 4) return;
    const int type = header[0] & 0x7F;
    const bool last = (header[0] & 0x80) != 0;
    const uint32_t length = LoadU24BE(header + 1);
    const int64_t body = position + 4;
    if (type == kStreamInfoBlock) ReadStreamInfo(file, body, length);
    if (type == kVorbisCommentBlock) {
      ByteCursor cursor(file, body, body + length);
      ReadVorbisComments(cursor, *this);
    }
    if (last) return;
    position = body + length;
  }
}

void TFlacTags::ReadStreamInfo(MediaFile& file, int64_t position, uint32_t length) {
  unsigned char info[kStreamInfoLength];
  if (length < kStreamInfoLength || file.ReadAt(position, info, sizeof info) != sizeof info) return;
  // Bytes 10..17: sample rate (20 bits), channels - 1 (3), bits per sample - 1 (5),
  // total samples (36).
  SampleRate = static_cast<int>((uint32_t{info[10]} << 12) | (uint32_t{info[11]} << 4) | (info[12] >> 4));
  Channels = ((info[12] >> 1) & 7) + 1;
  BitsPerSample = (((info[12] & 1) << 4) | (info[13] >> 4)) + 1;
  Samples = (int64_t{info[13] & 0x0F} << 32) | LoadU32BE(info + 14);
  HasStreamInfo = true;
}

double TFlacTags::Duration() const {
  if (Samples > 0 && SampleRate > 0) return static_cast<double>(Samples) / SampleRate;
  return 0;
}

int TFlacTags::AverageBitRate() const { return AverageKbitRate(FileSize, Duration()); }

}  // namespace vombrel
