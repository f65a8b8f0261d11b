// The ID3v2 tag at the start of an MP3 file: the frames the panel shows are read from
// version 2.3 tags only (other versions are recognised and give no texts); the program
// never writes ID3v2.
#pragma once

#include <cstdint>
#include <string>

#include "mediainfo/Mediafile.h"

namespace vombrel {

// File position just after a leading ID3v2 tag of any version (its synchsafe size plus
// the 10-byte header, plus 10 for a footer); 0 when the file does not begin with "ID3".
int64_t Id3v2TagEnd(MediaFile& file);

class TID3v2 {
 public:
  // Reads the tag; a file that cannot be opened simply has no tag.
  void ReadFromFile(const std::string& path);
  void ReadFrom(MediaFile& file);
  void ResetData();

  bool Exists = false;
  int VersionID = 0;  // the major version byte
  int64_t Size = 0;   // tag size including its header; 0 when it exceeds the file
  std::string Title, Artist, Album, Year, Genre, Comment;
  uint8_t Track = 0;
};

}  // namespace vombrel
