// FLAC files: the Vorbis comments and the stream values of the STREAMINFO block, found by
// walking the metadata blocks behind the "fLaC" marker (and behind a leading ID3v2 tag).
#pragma once

#include <cstdint>
#include <string>

#include "mediainfo/Mediafile.h"
#include "mediainfo/Oggvorbis.h"

namespace vombrel {

class TFlacTags : public VorbisCommentFields {
 public:
  // Throws MediaReadError when the file cannot be opened; malformed blocks only leave
  // values at 0 or empty.
  void ReadFromFile(const std::string& path);
  void ReadFrom(MediaFile& file);

  bool Valid = true;  // the reader always reports valid
  int64_t FileSize = 0;
  int Channels = 0;
  int SampleRate = 0;  // Hz
  int BitsPerSample = 0;
  int NominalBitRate = 0;  // FLAC has none: always 0
  int64_t Samples = 0;     // total samples per channel; 0 when unknown
  bool HasStreamInfo = false;

  double Duration() const;     // seconds
  int AverageBitRate() const;  // kbit/s

 private:
  void ReadStreamInfo(MediaFile& file, int64_t position, uint32_t length);
};

}  // namespace vombrel
