// Stream information of an MPEG audio file (MPEG-1, 2 and 2.5, layers I to III): the
// frame-header parser, the first-frame search, the Xing VBR header and the duration.
#pragma once

#include <cstdint>
#include <string>

#include "mediainfo/Mediafile.h"

namespace vombrel {

class TMpegFrameHdr {
 public:
  // Parses the 4 header bytes b0..b3.
  void Parse(const unsigned char* bytes);

  unsigned char Bytes[4] = {0, 0, 0, 0};
  bool Valid = false;
  int Version = 0;      // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5, 0 invalid
  int Layer = 0;        // 1..3, 0 invalid
  int BitRate = 0;      // kbit/s; 0 free format, -1 invalid
  int SampleRate = 0;   // Hz; -1 invalid
  int FrameLength = 0;  // bytes, padding included
  int ChannelMode = 0;  // 3 = single channel
  bool Padding = false;

  // "?!!", "I", "II", "III" for layers 0..3.
  const char* LayerName() const;
};

// The first position in bytes[0..count) where a valid header starts, or -1.
int64_t FindFrameHeader(const unsigned char* bytes, std::size_t count, TMpegFrameHdr& header);

class TAudioInfo {
 public:
  static constexpr int64_t kSearchLimit = 10240;

  // Reads the stream information. Throws MediaReadError when the file cannot be opened
  // or holds no valid frame header within the search range (it cannot be played).
  void ReadFromFile(const std::string& path);
  void ReadFrom(MediaFile& file);

  TMpegFrameHdr FirstFrame;
  int64_t FirstFrameOffset = -1;  // file position; -1 when none was found
  bool VBR = false;               // a Xing header was found
  uint32_t XingFrames = 0;
  int32_t DurationMs = 0;
  bool HasId3v1 = false;
  int64_t FileSize = 0;

 private:
  void Reset();
  void FindFirstFrame(MediaFile& file);
  void ConfirmBySecondHeader(MediaFile& file);
  void ReadXingHeader(MediaFile& file);
  void SkipInfoFrame(MediaFile& file);
  void ComputeDuration();
};

}  // namespace vombrel
