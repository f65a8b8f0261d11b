// Monkey's Audio files: the header at the start of the file and the ID3v1 tag at its end.
#pragma once

#include <cstdint>
#include <string>

#include "mediainfo/Mediafile.h"

namespace vombrel {

// The ID3v1 tag as Monkey's Audio files carry it (its own layout rules and the standard
// genre names).
class TID3v1 {
 public:
  // Throws MediaReadError when the file is shorter than 128 bytes or cannot be read.
  void ReadFrom(MediaFile& file);

  bool Exists = false;
  bool IsVersion11 = false;
  std::string Title, Artist, Album, Year, Comment, Genre;
  uint8_t Track = 0;
  int GenreID = 255;
};

class TMonkey {
 public:
  // Throws MediaReadError when the file cannot be opened or is shorter than 128 bytes.
  void ReadFromFile(const std::string& path);
  void ReadFrom(MediaFile& file);

  TID3v1 ID3v1;
  bool Valid = false;
  int64_t FileSize = 0;
  // Header values, kept only for a recognised header (0 otherwise).
  int Version = 0;
  int CompressionLevel = 0;
  int FormatFlags = 0;
  int Channels = 0;
  uint32_t SampleRate = 0;
  uint32_t TotalFrames = 0;
  uint32_t FinalFrameBlocks = 0;
  uint32_t PeakLevel = 0;     // only with format flag 4
  uint32_t SeekElements = 0;  // only with format flag 16
  int BitsPerSample = 0;      // 0 when not valid
};

}  // namespace vombrel
