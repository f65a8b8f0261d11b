#include "mediainfo/Mp3tag.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "mediainfo/Mediatext.h"
#include "support/Supportfiles.h"
#include "support/Supportstring.h"
#include "support/Textcodec.h"

namespace vombrel {
namespace {

constexpr std::size_t kTagSize = 128;

std::vector<std::string> PanelGenres() {
  std::vector<std::string> list = StandardId3v1Genres();
  list[136] = "Christian Gangs";
  list[140] = "Contemporary Ch?";
  list[141] = "Cristian Rock";
  list.emplace_back();  // 148: the empty genre
  return list;
}

// A text field of the tag: cut at its first zero byte, without trailing blanks.
std::string FieldText(std::string_view block, std::size_t offset, std::size_t length) {
  return Windows1252ToUtf8(TrimRightBlanks(CutAtZero(block.substr(offset, length))));
}

// The text as the field stores it: Windows-1252, cut to `length` bytes.
std::string FieldBytes(const std::string& text, std::size_t length) {
  std::string bytes = Utf8ToWindows1252(text);
  if (bytes.size() > length) bytes.resize(length);
  return bytes;
}

void PutField(std::string& block, std::size_t offset, std::size_t length, const std::string& text) {
  const std::string bytes = FieldBytes(text, length);
  block.replace(offset, bytes.size(), bytes);
}

[[noreturn]] void ThrowWriteError(const std::string& what, const std::string& path, int code) {
  throw MediaWriteError(what + " \"" + path + "\". " + FileErrorText(code));
}

bool WriteWhole(int fd, const char* bytes, std::size_t count, off_t offset) {
  std::size_t done = 0;
  while (done < count) {
    const auto n = pwrite(fd, bytes + done, count - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

const std::vector<std::string>& StandardId3v1Genres() {
  static const std::vector<std::string> list = {"Blues",
                                                "Classic Rock",
                                                "Country",
                                                "Dance",
                                                "Disco",
                                                "Funk",
                                                "Grunge",
                                                "Hip-Hop",
                                                "Jazz",
                                                "Metal",
                                                "New Age",
                                                "Oldies",
                                                "Other",
                                                "Pop",
                                                "R&B",
                                                "Rap",
                                                "Reggae",
                                                "Rock",
                                                "Techno",
                                                "Industrial",
                                                "Alternative",
                                                "Ska",
                                                "Death Metal",
                                                "Pranks",
                                                "Soundtrack",
                                                "Euro-Techno",
                                                "Ambient",
                                                "Trip-Hop",
                                                "Vocal",
                                                "Jazz+Funk",
                                                "Fusion",
                                                "Trance",
                                                "Classical",
                                                "Instrumental",
                                                "Acid",
                                                "House",
                                                "Game",
                                                "Sound Clip",
                                                "Gospel",
                                                "Noise",
                                                "AlternRock",
                                                "Bass",
                                                "Soul",
                                                "Punk",
                                                "Space",
                                                "Meditative",
                                                "Instrumental Pop",
                                                "Instrumental Rock",
                                                "Ethnic",
                                                "Gothic",
                                                "Darkwave",
                                                "Techno-Industrial",
                                                "Electronic",
                                                "Pop-Folk",
                                                "Eurodance",
                                                "Dream",
                                                "Southern Rock",
                                                "Comedy",
                                                "Cult",
                                                "Gangsta",
                                                "Top 40",
                                                "Christian Rap",
                                                "Pop/Funk",
                                                "Jungle",
                                                "Native American",
                                                "Cabaret",
                                                "New Wave",
                                                "Psychadelic",
                                                "Rave",
                                                "Showtunes",
                                                "Trailer",
                                                "Lo-Fi",
                                                "Tribal",
                                                "Acid Punk",
                                                "Acid Jazz",
                                                "Polka",
                                                "Retro",
                                                "Musical",
                                                "Rock & Roll",
                                                "Hard Rock",
                                                "Folk",
                                                "Folk-Rock",
                                                "National Folk",
                                                "Swing",
                                                "Fast Fusion",
                                                "Bebob",
                                                "Latin",
                                                "Revival",
                                                "Celtic",
                                                "Bluegrass",
                                                "Avantgarde",
                                                "Gothic Rock",
                                                "Progressive Rock",
                                                "Psychedelic Rock",
                                                "Symphonic Rock",
                                                "Slow Rock",
                                                "Big Band",
                                                "Chorus",
                                                "Easy Listening",
                                                "Acoustic",
                                                "Humour",
                                                "Speech",
                                                "Chanson",
                                                "Opera",
                                                "Chamber Music",
                                                "Sonata",
                                                "Symphony",
                                                "Booty Bass",
                                                "Primus",
                                                "Porn Groove",
                                                "Satire",
                                                "Slow Jam",
                                                "Club",
                                                "Tango",
                                                "Samba",
                                                "Folklore",
                                                "Ballad",
                                                "Power Ballad",
                                                "Rhythmic Soul",
                                                "Freestyle",
                                                "Duet",
                                                "Punk Rock",
                                                "Drum Solo",
                                                "A capella",
                                                "Euro-House",
                                                "Dance Hall",
                                                "Goa",
                                                "Drum & Bass",
                                                "Club-House",
                                                "Hardcore",
                                                "Terror",
                                                "Indie",
                                                "BritPop",
                                                "Negerpunk",
                                                "Polsk Punk",
                                                "Beat",
                                                "Christian Gangsta Rap",
                                                "Heavy Metal",
                                                "Black Metal",
                                                "Crossover",
                                                "Contemporary Christian",
                                                "Christian Rock",
                                                "Merengue",
                                                "Salsa",
                                                "Thrash Metal",
                                                "Anime",
                                                "JPop",
                                                "Synthpop"};
  return list;
}

const std::vector<std::string>& Tmp3Tag::Genres() {
  static const std::vector<std::string> list = PanelGenres();
  return list;
}

std::string GenreName(const std::vector<std::string>& list, int id) {
  return id >= 0 && static_cast<std::size_t>(id) < list.size() ? list[static_cast<std::size_t>(id)] : std::string();
}

std::string ReadId3v1Block(MediaFile& file) {
  if (file.Size() < static_cast<int64_t>(kTagSize)) return {};
  std::string block = file.ReadString(file.Size() - static_cast<int64_t>(kTagSize), kTagSize);
  if (block.size() != kTagSize || block.compare(0, 3, "TAG") != 0) return {};
  return block;
}

void Tmp3Tag::Reset() {
  tagPresent_ = false;
  title_.clear(), artist_.clear(), album_.clear(), year_.clear(), comment_.clear(), genre_.clear();
  track_ = 0;
}

void Tmp3Tag::ReadFromFile(const std::string& path) {
  MediaFile file(path);
  ReadFrom(file);
}

void Tmp3Tag::ReadFrom(MediaFile& file) {
  Reset();
  const std::string block = ReadId3v1Block(file);
  if (block.empty()) return;
  tagPresent_ = true;
  title_ = FieldText(block, 3, 30);
  artist_ = FieldText(block, 33, 30);
  album_ = FieldText(block, 63, 30);
  year_ = FieldText(block, 93, 4);
  comment_ = FieldText(block, 97, 30);
  // ID3v1.1 keeps the track in byte 126 behind a zero byte 125; ID3v1.0 has none.
  if (block[125] == 0 && block[126] != 0) {
    v1Tag_ = false, track_ = static_cast<unsigned char>(block[126]);
  } else {
    v1Tag_ = true, track_ = 0;
  }
  genreId_ = static_cast<unsigned char>(block[127]);
  genre_ = GenreName(Genres(), genreId_);
}

void Tmp3Tag::SetText(std::string& field, const std::string& text, std::size_t length) {
  const std::string cut = Windows1252ToUtf8(FieldBytes(text, length));
  if (cut == field) return;
  field = cut;
  tagModified_ = true;
}

void Tmp3Tag::SetTitle(const std::string& text) { SetText(title_, text, 30); }
void Tmp3Tag::SetArtist(const std::string& text) { SetText(artist_, text, 30); }
void Tmp3Tag::SetAlbum(const std::string& text) { SetText(album_, text, 30); }
void Tmp3Tag::SetYear(const std::string& text) { SetText(year_, text, 4); }
void Tmp3Tag::SetComment(const std::string& text) { SetText(comment_, text, v1Tag_ ? 30 : 28); }

void Tmp3Tag::SetTrack(uint32_t track) {
  if (track == track_) return;
  track_ = track;
  v1Tag_ = track == 0;
  tagModified_ = true;
}

void Tmp3Tag::SetGenreID(int id) {
  if (id == genreId_) return;
  genreId_ = id;
  genre_ = GenreName(Genres(), id);
  tagModified_ = true;
}

void Tmp3Tag::SetGenre(const std::string& name) {
  if (name == genre_) return;
  genre_ = name;
  genreId_ = -1;
  const auto& list = Genres();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (SameText(list[i], name)) {
      genreId_ = static_cast<int>(i);
      break;
    }
  }
  tagModified_ = true;
}

std::string Tmp3Tag::TagBytes() const {
  std::string block(kTagSize, ' ');
  block.replace(0, 3, "TAG");
  PutField(block, 3, 30, title_);
  PutField(block, 33, 30, artist_);
  PutField(block, 63, 30, album_);
  PutField(block, 93, 4, year_);
  PutField(block, 97, 30, comment_);
  if (!v1Tag_) {
    block[125] = 0;
    block[126] = static_cast<char>(track_ & 0xFF);
  }
  block[127] = static_cast<char>(genreId_ & 0xFF);  // -1 is written as 255
  return block;
}

void Tmp3Tag::WriteToFile(const std::string& path) const {
  // The tag is patched in place (128 bytes) rather than the whole file rewritten: media
  // files can be large, and the file keeps its identity, links and ownership. A failed
  // write is undone so that the file stays as it was.
  // Only a regular file is patched: a pipe would block the read of the old tag, a device
  // would take the bytes. Non-blocking, so a pipe put in the file's place cannot hang.
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) ThrowWriteError("Cannot open file", path, errno);
  if (!S_ISREG(st.st_mode))
    ThrowWriteError("Cannot open file", path, S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFileError);
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) ThrowWriteError("Cannot open file", path, errno);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int code = S_ISREG(st.st_mode) ? errno : kNotRegularFileError;
    close(fd);
    ThrowWriteError("Cannot open file", path, code);
  }
  std::string old(kTagSize, '\0');
  off_t offset = st.st_size;
  if (st.st_size >= static_cast<off_t>(kTagSize) &&
      pread(fd, old.data(), kTagSize, st.st_size - static_cast<off_t>(kTagSize)) == static_cast<ssize_t>(kTagSize) &&
      old.compare(0, 3, "TAG") == 0) {
    offset = st.st_size - static_cast<off_t>(kTagSize);
  }
  const std::string block = TagBytes();
  if (!WriteWhole(fd, block.data(), block.size(), offset) || fsync(fd) != 0) {
    const int code = errno;
    if (offset == st.st_size) {
      (void)!ftruncate(fd, st.st_size);
    } else {
      WriteWhole(fd, old.data(), old.size(), offset);
    }
    close(fd);
    ThrowWriteError("Cannot write file", path, code);
  }
  if (close(fd) != 0) ThrowWriteError("Cannot write file", path, errno);
}

}  // namespace vombrel
