// The playlist file format shared by ".VPL", ".M3U", the autosave "Playlist.vpl" and the
// backup "Playlist.tmp".
//
// Entries are bytes and are written back unchanged: every entry followed by CR LF, the
// last one included; an empty playlist is a file of length 0. Reading takes the whole
// file up to its end or its first 0x00 byte and cuts it at every CR LF, lone CR and lone
// LF (an LF followed by a CR is two breaks); a break at the very end adds no empty entry.
// Nothing is trimmed or interpreted ("#EXTINF" lines are entries like any other).
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "support/Supportstring.h"

namespace vombrel {

// A playlist file that could not be written; the message names the path and the reason.
struct PlaylistWriteError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kAutosaveFileName = "Playlist.vpl";
inline constexpr std::string_view kBackupFileName = "Playlist.tmp";

// The bytes of a playlist file holding entries.
std::string EncodePlaylist(const StringList& entries);
// The entries of a playlist file's bytes.
StringList DecodePlaylist(std::string_view bytes);

// Entries of the file at path; nullopt when it cannot be opened or read.
std::optional<StringList> ReadPlaylistFile(std::string_view path);
// Replaces the file at path atomically (written beside it, then renamed over it), so a
// crash never leaves a truncated playlist. Throws PlaylistWriteError on failure; the old
// file is then unchanged.
void WritePlaylistFile(std::string_view path, const StringList& entries);

// True when the extension of path (from the last "." after the last "/"), upper-cased,
// is ".M3U" or ".VPL".
bool IsPlaylistFile(std::string_view path);

// "<user data folder>/Playlist.vpl" and "<user data folder>/Playlist.tmp".
std::string AutosavePath();
std::string BackupPath();

// The save dialog's name completion: a name whose upper-cased text has its first ".M3U"
// (or else its first ".VPL") exactly at its end is kept as typed; otherwise ".VPL" is
// appended for filter index 1 (the first filter line) and ".M3U" for any other index.
std::string CompletePlaylistSaveName(std::string_view chosenName, int filterIndex);

// The filter of the playlist open and save dialogs.
inline constexpr std::string_view kPlaylistDialogFilter =
    "Vombrel playlist (*.vpl)|*.VPL|Winamp playlist (*.m3u)|*.M3U";

}  // namespace vombrel
