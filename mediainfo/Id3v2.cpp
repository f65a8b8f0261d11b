#include "mediainfo/Id3v2.h"

#include <array>
#include <cstring>
#include <string_view>

#include "mediainfo/Mediatext.h"
#include "support/Supportstring.h"
#include "support/Textcodec.h"

namespace vombrel {
namespace {

constexpr std::size_t kFrameTextLimit = 250;

enum FrameSlot { kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment, kSlotCount };
constexpr std::array<const char*, kSlotCount> kFrameIds = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM"};

int SlotOf(const unsigned char* id) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (std::memcmp(id, kFrameIds[static_cast<std::size_t>(slot)], 4) == 0) return slot;
  }
  return -1;
}

// Encoding byte 1 of ID3v2.3: UTF-16 led by a byte-order mark (little-endian without one).
bool IsUtf16(unsigned char encoding) { return encoding == 1; }

// Length of a text's bytes up to its terminator (one zero byte, or an aligned zero unit
// in UTF-16), and where the bytes behind the terminator start.
std::size_t TerminatedLength(std::string_view bytes, bool utf16, std::size_t* next) {
  if (!utf16) {
    const auto zero = bytes.find('\0');
    const std::size_t length = zero == std::string_view::npos ? bytes.size() : zero;
    *next = std::min(bytes.size(), length + 1);
    return length;
  }
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (bytes[i] == 0 && bytes[i + 1] == 0) {
      *next = i + 2;
      return i;
    }
  }
  *next = bytes.size();
  return bytes.size();
}

// One encoded text of a frame as UTF-8: Windows-1252 for encoding 0, UTF-16 with its
// byte-order mark for encoding 1, UTF-8 (else Windows-1252) for anything else.
std::string DecodeFrameText(unsigned char encoding, std::string_view bytes) {
  std::size_t next = 0;
  bytes = bytes.substr(0, TerminatedLength(bytes, IsUtf16(encoding), &next));
  if (encoding == 0) return Windows1252ToUtf8(bytes);
  if (!IsUtf16(encoding)) return Utf8Text(bytes);
  bool bigEndian = false;
  if (bytes.size() >= 2) {
    const auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
    if ((b0 == 0xFE && b1 == 0xFF) || (b0 == 0xFF && b1 == 0xFE)) {
      bigEndian = b0 == 0xFE;
      bytes.remove_prefix(2);
    }
  }
  return Utf16ToUtf8(bytes, bigEndian);
}

// A text frame's data: the encoding byte, then the text.
std::string TextFrame(std::string_view data) {
  if (data.empty()) return {};
  return Trim(DecodeFrameText(static_cast<unsigned char>(data[0]), data.substr(1)));
}

// A COMM frame's data: encoding, 3-letter language, terminated description, the text.
std::string CommentFrame(std::string_view data) {
  if (data.size() < 4) return {};
  const auto encoding = static_cast<unsigned char>(data[0]);
  std::string_view rest = data.substr(4);
  std::size_t next = 0;
  TerminatedLength(rest, IsUtf16(encoding), &next);
  return Trim(DecodeFrameText(encoding, rest.substr(next)));
}

uint8_t TrackNumber(const std::string& text) {
  const auto number = ParseDecimal(Trim(LeftOf(text, "/", true)));
  return static_cast<uint8_t>(number.value_or(0) & 0xFF);
}

std::string GenreText(const std::string& text) {
  const auto close = text.rfind(')');
  // Trimmed again, so that "(13) Pop" gives the list name "Pop" that saving matches.
  return close == std::string::npos ? text : Trim(text.substr(close + 1));
}

}  // namespace

int64_t Id3v2TagEnd(MediaFile& file) {
  unsigned char header[10];
  if (file.ReadAt(0, header, 10) != 10 || std::memcmp(header, "ID3", 3) != 0) return 0;
  const int64_t size = (int64_t{header[6] & 0x7F} << 21) | (int64_t{header[7] & 0x7F} << 14) |
                       (int64_t{header[8] & 0x7F} << 7) | int64_t{header[9] & 0x7F};
  const bool footer = (header[5] & 0x10) != 0;
  return size + 10 + (footer ? 10 : 0);
}

void TID3v2::ResetData() {
  Exists = false;
  VersionID = 0;
  Size = 0;
  Title.clear(), Artist.clear(), Album.clear(), Year.clear(), Genre.clear(), Comment.clear();
  Track = 0;
}

void TID3v2::ReadFromFile(const std::string& path) {
  ResetData();
  try {
    MediaFile file(path);
    ReadFrom(file);
  } catch (const MediaReadError&) {
    // An unreadable file has no tag.
  }
}

void TID3v2::ReadFrom(MediaFile& file) {
  ResetData();
  unsigned char header[10];
  if (file.ReadAt(0, header, 10) != 10 || std::memcmp(header, "ID3", 3) != 0) return;
  Exists = true;
  VersionID = header[3];
  const int64_t size = int64_t{header[6]} * (1 << 21) + int64_t{header[7]} * (1 << 14) + int64_t{header[8]} * (1 << 7) +
                       int64_t{header[9]} + 10;
  Size = size > file.Size() ? 0 : size;
  if (VersionID != 3 || Size <= 0) return;

  std::array<std::string, kSlotCount> data;
  int64_t position = 10;
  while (position < Size) {
    unsigned char frame[10];
    if (file.ReadAt(position, frame, 10) != 10 || frame[0] < 'A' || frame[0] > 'Z') break;
    const int64_t dataStart = position + 10;
    const uint32_t frameSize = LoadU32BE(frame + 4);
    const int slot = SlotOf(frame);
    if (slot >= 0) {
      data[static_cast<std::size_t>(slot)] = file.ReadString(dataStart, std::min<uint32_t>(frameSize, kFrameTextLimit));
    }
    position = dataStart + frameSize;
  }
  Title = TextFrame(data[kTitle]);
  Artist = TextFrame(data[kArtist]);
  Album = TextFrame(data[kAlbum]);
  Year = TextFrame(data[kYear]);
  Track = TrackNumber(TextFrame(data[kTrack]));
  Genre = GenreText(TextFrame(data[kGenre]));
  Comment = CommentFrame(data[kComment]);
}

}  // namespace vombrel
