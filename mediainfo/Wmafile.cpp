#include "mediainfo/Wmafile.h"

#include <array>
#include <cstring>

#include "mediainfo/Mediatext.h"
#include "support/Supportstring.h"

namespace vombrel {
namespace {

using Guid = std::array<unsigned char, 16>;

// GUIDs as they are stored: the first three groups little-endian.
constexpr Guid MakeGuid(uint32_t a, uint16_t b, uint16_t c, uint64_t d) {
  return {static_cast<unsigned char>(a),       static_cast<unsigned char>(a >> 8),  static_cast<unsigned char>(a >> 16),
          static_cast<unsigned char>(a >> 24), static_cast<unsigned char>(b),       static_cast<unsigned char>(b >> 8),
          static_cast<unsigned char>(c),       static_cast<unsigned char>(c >> 8),  static_cast<unsigned char>(d >> 56),
          static_cast<unsigned char>(d >> 48), static_cast<unsigned char>(d >> 40), static_cast<unsigned char>(d >> 32),
          static_cast<unsigned char>(d >> 24), static_cast<unsigned char>(d >> 16), static_cast<unsigned char>(d >> 8),
          static_cast<unsigned char>(d)};
}

constexpr Guid kHeaderObject = MakeGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
constexpr Guid kFileProperties = MakeGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365);
constexpr Guid kStreamProperties = MakeGuid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365);
constexpr Guid kContentDescription = MakeGuid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
constexpr Guid kExtendedContentDescription = MakeGuid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850);

constexpr std::size_t kTextCharacters = 250;
constexpr uint32_t kObjectHeaderSize = 24;  // GUID and 64-bit size

// What the header objects hold, before the validity check.
struct Found {
  uint32_t maxBitRate = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t bytesPerSecond = 0;
  std::string title, artist, album, year, genre, comment, track;
};

bool ReadGuid(ByteCursor& cursor, Guid& guid) {
  std::string bytes;
  if (!cursor.ReadBytes(guid.size(), guid.size(), bytes)) return false;
  std::memcpy(guid.data(), bytes.data(), guid.size());
  return true;
}

// A UTF-16 text of `byteLength` bytes, up to 250 characters kept, as trimmed UTF-8.
bool ReadText(ByteCursor& cursor, uint64_t byteLength, std::string& text) {
  std::string bytes;
  if (!cursor.ReadBytes(byteLength, kTextCharacters * 2, bytes)) return false;
  text = Trim(Utf16ToUtf8(bytes, false));
  return true;
}

bool ReadNumberAt(MediaFile& file, int64_t position, uint32_t& value, std::size_t width) {
  unsigned char b[4] = {0, 0, 0, 0};
  if (file.ReadAt(position, b, width) != width) return false;
  value = LoadU32LE(b);
  return true;
}

bool ReadContentDescription(ByteCursor& cursor, Found& found) {
  uint16_t lengths[5];
  for (auto& length : lengths) {
    if (!cursor.ReadU16LE(length)) return false;
  }
  std::string rights, rating;
  return ReadText(cursor, lengths[0], found.title) && ReadText(cursor, lengths[1], found.artist) &&
         ReadText(cursor, lengths[2], rights) && ReadText(cursor, lengths[3], found.comment) &&
         ReadText(cursor, lengths[4], rating);
}

std::string* FieldForName(const std::string& name, Found& found) {
  if (name == "WM/TITLE") return &found.title;
  if (name == "WM/AUTHOR") return &found.artist;
  if (name == "WM/ALBUMTITLE") return &found.album;
  if (name == "WM/TRACK") return &found.track;
  if (name == "WM/YEAR") return &found.year;
  if (name == "WM/GENRE") return &found.genre;
  if (name == "WM/DESCRIPTION") return &found.comment;
  return nullptr;
}

bool ReadExtendedContentDescription(ByteCursor& cursor, Found& found) {
  uint16_t count = 0;
  if (!cursor.ReadU16LE(count)) return false;
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t nameLength = 0, type = 0, valueLength = 0;
    std::string name;
    if (!cursor.ReadU16LE(nameLength) || !ReadText(cursor, nameLength, name) || !cursor.ReadU16LE(type) ||
        !cursor.ReadU16LE(valueLength)) {
      return false;
    }
    std::string* field = type == 0 ? FieldForName(UpperCase(name), found) : nullptr;
    if (field ? !ReadText(cursor, valueLength, *field) : !cursor.Skip(valueLength)) return false;
  }
  return true;
}

// One header object starting at `start` with the given GUID; false on a read fault.
bool ReadObject(MediaFile& file, const Guid& guid, int64_t start, int64_t end, Found& found) {
  if (guid == kFileProperties) return ReadNumberAt(file, start + 100, found.maxBitRate, 4);
  if (guid == kStreamProperties) {
    uint32_t channels = 0;
    const bool ok = ReadNumberAt(file, start + 80, channels, 2) &&
                    ReadNumberAt(file, start + 82, found.sampleRate, 4) &&
                    ReadNumberAt(file, start + 86, found.bytesPerSecond, 4);
    found.channels = static_cast<uint16_t>(channels);
    return ok;
  }
  ByteCursor cursor(file, start + kObjectHeaderSize, end);
  if (guid == kContentDescription) return ReadContentDescription(cursor, found);
  if (guid == kExtendedContentDescription) return ReadExtendedContentDescription(cursor, found);
  return true;
}

bool ReadHeader(MediaFile& file, Found& found) {
  ByteCursor cursor(file, 0, file.Size());
  Guid guid;
  uint32_t objectCount = 0;
  if (!ReadGuid(cursor, guid) || guid != kHeaderObject || !cursor.Skip(8) || !cursor.ReadU32LE(objectCount) ||
      !cursor.Skip(2)) {
    return false;
  }
  int64_t start = cursor.Position();
  for (uint32_t i = 0; i < objectCount; ++i) {
    ByteCursor object(file, start, file.Size());
    uint32_t size = 0;
    if (!ReadGuid(object, guid) || !object.ReadU32LE(size)) return false;
    // An object is never smaller than its own GUID and size; a smaller size would make
    // the walk stand still.
    if (size < kObjectHeaderSize) return false;
    if (!ReadObject(file, guid, start, start + size, found)) return false;
    start += size;
  }
  return true;
}

bool IsValid(const Found& found) {
  return found.maxBitRate >= 1 && found.maxBitRate <= 319999 && (found.channels == 1 || found.channels == 2) &&
         found.sampleRate >= 8000 && found.sampleRate <= 96000 && found.bytesPerSecond >= 1 &&
         found.bytesPerSecond <= 39999;
}

}  // namespace

void TWMAfile::ReadFromFile(const std::string& path) {
  *this = TWMAfile();
  try {
    MediaFile file(path);
    ReadFrom(file);
  } catch (const MediaReadError&) {
    // Not valid.
  }
}

void TWMAfile::ReadFrom(MediaFile& file) {
  *this = TWMAfile();
  Found found;
  if (!ReadHeader(file, found) || !IsValid(found)) return;
  Valid = true;
  FileSize = file.Size();
  Channels = found.channels;
  SampleRate = static_cast<int>(found.sampleRate);
  Duration = static_cast<double>(FileSize) * 8 / found.maxBitRate;
  BitRate = static_cast<int>(found.bytesPerSecond * 8 / 1000);
  Track = ParseDecimal(found.track).value_or(0);
  Title = found.title, Artist = found.artist, Album = found.album, Year = found.year;
  Genre = found.genre, Comment = found.comment;
}

}  // namespace vombrel
