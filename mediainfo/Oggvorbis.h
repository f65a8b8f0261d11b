// Ogg Vorbis files: the identification header of the first page, the comment header and
// the sample count of the last page. Also the Vorbis comment list that FLAC files share.
#pragma once

#include <cstdint>
#include <string>

#include "mediainfo/Mediafile.h"

namespace vombrel {

// The texts a Vorbis comment list gives the panel (UTF-8, each cut to 250 bytes).
struct VorbisCommentFields {
  std::string Title, Artist, Album, Date, Genre, Comment, Vendor;
  uint8_t Track = 0;  // TRACKNUMBER before its "/", as one byte; 0 when not a number
};

// Reads a vendor string, a comment count and the comments from `cursor` (each a
// little-endian 32-bit length and its bytes) into `fields`. A comment without "=" replaces
// the vendor; names match in upper case; a later comment replaces an earlier one. The
// first read fault ends the list, keeping what was found.
void ReadVorbisComments(ByteCursor& cursor, VorbisCommentFields& fields);

class TOggVorbis : public VorbisCommentFields {
 public:
  // Throws MediaReadError when the file cannot be opened; faults inside it only leave
  // values at 0 or empty.
  void ReadFromFile(const std::string& path);
  void ReadFrom(MediaFile& file);

  bool Valid = false;
  int64_t FileSize = 0;
  int Channels = 0;        // 1 or 2, else 0
  int SampleRate = 0;      // Hz, 8000..48000, else 0
  int NominalBitRate = 0;  // kbit/s, 16..350, else 0
  int64_t Samples = 0;     // low half of the last page's granule position

  double Duration() const;     // seconds
  int AverageBitRate() const;  // kbit/s

 private:
  void ReadIdentification(MediaFile& file);
  void ReadComments(MediaFile& file);
  void ReadSamples(MediaFile& file);
};

// Average bit rate in kbit/s of `fileSize` bytes lasting `seconds`, rounded half to even.
int AverageKbitRate(int64_t fileSize, double seconds);

}  // namespace vombrel
