#include "mediainfo/Oggvorbis.h"

#include <cstring>

#include "mediainfo/Mediatext.h"
#include "support/Supportstring.h"

namespace vombrel {
namespace {

constexpr std::size_t kTextLimit = 250;
constexpr int64_t kCommentSearchBytes = 250;
constexpr int kSampleSearchSteps = 50;

int32_t LoadI32LE(const unsigned char* p) { return static_cast<int32_t>(LoadU32LE(p)); }

void StoreComment(const std::string& comment, VorbisCommentFields& fields) {
  const auto equals = comment.find('=');
  if (equals == std::string::npos) {
    fields.Vendor = comment;
    return;
  }
  const std::string name = UpperCase(comment.substr(0, equals));
  const std::string value = comment.substr(equals + 1);
  if (name == "TITLE")
    fields.Title = value;
  else if (name == "ARTIST")
    fields.Artist = value;
  else if (name == "ALBUM")
    fields.Album = value;
  else if (name == "DATE")
    fields.Date = value;
  else if (name == "GENRE")
    fields.Genre = value;
  else if (name == "COMMENT")
    fields.Comment = value;
  else if (name == "TRACKNUMBER") {
    const auto number = ParseDecimal(Trim(LeftOf(value, "/", true)));
    fields.Track = static_cast<uint8_t>(number.value_or(0) & 0xFF);
  }
}

}  // namespace

void ReadVorbisComments(ByteCursor& cursor, VorbisCommentFields& fields) {
  uint32_t length = 0, count = 0;
  std::string bytes;
  if (!cursor.ReadU32LE(length) || !cursor.ReadBytes(length, kTextLimit, bytes)) return;
  fields.Vendor = Utf8Text(bytes);
  if (!cursor.ReadU32LE(count)) return;
  // Every comment takes at least its 4-byte length, so a false count ends at the file end.
  for (uint32_t i = 0; i < count; ++i) {
    if (!cursor.ReadU32LE(length) || !cursor.ReadBytes(length, kTextLimit, bytes)) return;
    StoreComment(Utf8Text(bytes), fields);
  }
}

int AverageKbitRate(int64_t fileSize, double seconds) {
  if (!(seconds > 0)) return 0;
  return static_cast<int>(RoundHalfEven(static_cast<double>(fileSize) / seconds / 125.0));
}

void TOggVorbis::ReadFromFile(const std::string& path) {
  MediaFile file(path);
  ReadFrom(file);
}

void TOggVorbis::ReadFrom(MediaFile& file) {
  *this = TOggVorbis();
  FileSize = file.Size();
  ReadIdentification(file);
  ReadComments(file);
  ReadSamples(file);
}

void TOggVorbis::ReadIdentification(MediaFile& file) {
  // The identification packet is the payload of a first page with one segment.
  unsigned char id[30];
  if (file.ReadAt(28, id, sizeof id) != sizeof id || id[0] != 0x01 || std::memcmp(id + 1, "vorbis", 6) != 0) return;
  Valid = true;
  Channels = id[11] == 1 || id[11] == 2 ? id[11] : 0;
  const int32_t rate = LoadI32LE(id + 12);
  SampleRate = rate >= 8000 && rate <= 48000 ? rate : 0;
  const int32_t nominal = LoadI32LE(id + 20) / 1000;
  NominalBitRate = nominal >= 16 && nominal <= 350 ? nominal : 0;
}

void TOggVorbis::ReadComments(MediaFile& file) {
  const std::string head = file.ReadString(0, kCommentSearchBytes);
  const auto marker = head.find(std::string_view("\x03vorbis", 7));
  if (marker == std::string::npos) return;
  // The packet is read as if contiguous: page headers inside it are not skipped.
  ByteCursor cursor(file, static_cast<int64_t>(marker) + 7, file.Size());
  ReadVorbisComments(cursor, *this);
}

void TOggVorbis::ReadSamples(MediaFile& file) {
  for (int step = 1; step <= kSampleSearchSteps; ++step) {
    const int64_t offset = std::max<int64_t>(0, FileSize - (step * 240 + 10));
    unsigned char window[250];
    const std::size_t got = file.ReadAt(offset, window, sizeof window);
    for (std::size_t i = 0; i <= 240 && i + 10 <= got; ++i) {
      if (std::memcmp(window + i, "OggS", 4) == 0) {
        Samples = LoadI32LE(window + i + 6);
        return;
      }
    }
    if (offset == 0) return;
  }
}

double TOggVorbis::Duration() const {
  if (Samples > 0 && SampleRate != 0) return static_cast<double>(Samples) / SampleRate;
  if (NominalBitRate != 0 && Channels != 0) {
    return static_cast<double>(FileSize) / NominalBitRate / Channels / 125.0 * 2.0;
  }
  return 0;
}

int TOggVorbis::AverageBitRate() const { return AverageKbitRate(FileSize, Duration()); }

}  // namespace vombrel
