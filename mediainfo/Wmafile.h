// Windows Media Audio files: the objects of the ASF header that give the stream format
// and the texts (content description and extended content description).
#pragma once

#include <cstdint>
#include <string>

#include "mediainfo/Mediafile.h"

namespace vombrel {

class TWMAfile {
 public:
  // Never throws: a file that cannot be opened or read is not valid.
  void ReadFromFile(const std::string& path);
  void ReadFrom(MediaFile& file);

  // Only a valid file delivers values; otherwise every value is 0 or empty.
  bool Valid = false;
  int64_t FileSize = 0;
  int Channels = 0;
  int SampleRate = 0;   // Hz
  double Duration = 0;  // seconds
  int BitRate = 0;      // kbit/s
  int Track = 0;
  std::string Title, Artist, Album, Year, Genre, Comment;
};

}  // namespace vombrel
