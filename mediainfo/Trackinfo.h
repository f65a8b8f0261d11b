// What the main window's information panel shows for a track, the titles the playlist
// shows, and the core of saving the panel into an MP3 file's ID3v1 tag. Everything here is
// free of any toolkit: the window copies the texts into its controls and shows messages.
// All functions may be called from any thread; they share no state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vombrel {

class MediaFile;

// The seven edit boxes of the tag panel.
struct TagPanelTexts {
  std::string TagTitolo, TagArtista, TagAlbum, TagAnno, TagTraccia, TagCommento, TagGenere;
  bool operator==(const TagPanelTexts&) const = default;
};

struct TrackInfo {
  TagPanelTexts Tags;
  std::string LabelBitRate;
  std::string LabelFrequency;
  // nullopt: the label keeps what it showed for the previous track.
  std::optional<std::string> LabelExtension;
  // nullopt: the total length is the one the engine reports (GetLength).
  std::optional<int32_t> LengthMs;
  // The reader's raw values as (name, JSON literal) pairs, for the information tool.
  std::vector<std::pair<std::string, std::string>> Stream;
};

// The panel contents for a file, chosen by its upper-cased extension (".MP3", ".WMA",
// ".OGG", ".FLAC", ".APE"; anything else empties the fields). Throws MediaReadError when
// the reader fails (the file cannot be opened, an ".APE" file is shorter than 128 bytes,
// an MP3 has no valid frame header): the play attempt then fails and the entry is skipped.
TrackInfo ReadTrackInfo(const std::string& path);
// The same for a file already open (its path's extension chooses the reader).
TrackInfo ReadTrackInfoFrom(MediaFile& file);

// The title the playlist shows for a file (possibly empty): the ID3v1 title of an MP3
// (else its ID3v2 title), the Vorbis TITLE of an ".OGG", the title of a ".WMA", the ID3v1
// title of an ".APE"; empty for anything else, ".FLAC" included. Never throws: a file
// that cannot be read has an empty title.
std::string ReadTitle(const std::string& path);
// The same for a file already open.
std::string ReadTitleFrom(MediaFile& file);

// A message the window translates: its key and its Italian default text.
struct TranslatableText {
  const char* Key;
  const char* Default;
};
inline constexpr TranslatableText kMsgWrongFormatTrack{"MSG_WRONGFORMATTRACK", "La traccia deve essere numerica"};
inline constexpr TranslatableText kTtlFormatError{"TTL_FORMATERROR", "Errore formato"};

enum class SaveTagsResult {
  Written,           // the ID3v1 tag was written
  NotMp3,            // not an ".MP3" file: nothing to write
  WrongTrackFormat,  // TagTraccia is not a decimal integer: nothing written; the window
                     // shows kMsgWrongFormatTrack titled kTtlFormatError
};

// Writes the panel into the ID3v1 tag of `path` when it is an ".MP3" file (over an old
// ID3v1 tag or appended; an ID3v2 tag stays as it is). Throws MediaWriteError with the
// file system's reason when the file cannot be written; the file is then unchanged.
SaveTagsResult SaveTagsToFile(const std::string& path, const TagPanelTexts& panel);

// True when the upper-cased extension of `path` is exactly ".MP3".
bool IsMp3Path(const std::string& path);

}  // namespace vombrel
