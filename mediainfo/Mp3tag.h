// The ID3v1 tag of an MP3 file (ID3v1.0 and ID3v1.1 layouts): reading, the editing rules
// of the tag panel and writing the 128 bytes back over the old tag or behind the audio.
// Texts are held as UTF-8 and stored in the file as Windows-1252.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mediainfo/Mediafile.h"

namespace vombrel {

// The ID3v1 genre list with the Winamp extensions, numbers 0..147, standard names.
const std::vector<std::string>& StandardId3v1Genres();

class Tmp3Tag {
 public:
  // The panel's genre list: the standard list with three entries spelled as the panel
  // always showed them (136, 140, 141) and an empty entry 148.
  static const std::vector<std::string>& Genres();

  Tmp3Tag() = default;

  // Reads the tag of the file; throws MediaReadError when the file cannot be opened.
  void ReadFromFile(const std::string& path);
  void ReadFrom(MediaFile& file);

  // Writes the tag over the file's ID3v1 tag or appends it. Throws MediaWriteError with
  // the file system's reason; a failed write leaves the file as it was.
  void WriteToFile(const std::string& path) const;
  // The 128 bytes that WriteToFile stores.
  std::string TagBytes() const;

  bool TagPresent() const { return tagPresent_; }
  bool TagModified() const { return tagModified_; }
  bool v1Tag() const { return v1Tag_; }
  const std::string& Title() const { return title_; }
  const std::string& Artist() const { return artist_; }
  const std::string& Album() const { return album_; }
  const std::string& Year() const { return year_; }
  const std::string& Comment() const { return comment_; }
  uint32_t Track() const { return track_; }
  int GenreID() const { return genreId_; }
  const std::string& Genre() const { return genre_; }

  // Editing rules: a text keeps its first 30 characters (Year 4, Comment 28 in the
  // ID3v1.1 layout) and marks the tag modified only when it changes.
  void SetTitle(const std::string& text);
  void SetArtist(const std::string& text);
  void SetAlbum(const std::string& text);
  void SetYear(const std::string& text);
  void SetComment(const std::string& text);
  // A new track number selects the layout: 0 gives ID3v1.0, anything else ID3v1.1.
  void SetTrack(uint32_t track);
  // A new number takes that entry's name; a new name takes its position (-1 if absent).
  void SetGenreID(int id);
  void SetGenre(const std::string& name);

 private:
  void SetText(std::string& field, const std::string& text, std::size_t length);
  void Reset();

  bool tagPresent_ = false;
  bool tagModified_ = false;
  bool v1Tag_ = false;
  std::string title_, artist_, album_, year_, comment_;
  uint32_t track_ = 0;
  int genreId_ = 0;
  std::string genre_ = "Blues";
};

struct MediaWriteError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The name of genre `id` in `list`, empty outside it.
std::string GenreName(const std::vector<std::string>& list, int id);

// The first 128 bytes of a "TAG" block at the end of the file, or empty when the file is
// shorter than 128 bytes or its last 128 bytes do not begin with "TAG".
std::string ReadId3v1Block(MediaFile& file);

}  // namespace vombrel
