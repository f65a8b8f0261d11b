#include "playlist/Playlistfiles.h"

#include "support/Supportfiles.h"
#include "support/Textcodec.h"

namespace vombrel {

std::string EncodePlaylist(const StringList& entries) { return JoinLinesCrLf(entries); }

StringList DecodePlaylist(std::string_view bytes) {
  const auto nul = bytes.find('\0');
  if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  return SplitLines(bytes);
}

namespace {}  // namespace

std::optional<StringList> ReadPlaylistFile(std::string_view path) {
  const auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return DecodePlaylist(*bytes);
}

void WritePlaylistFile(std::string_view path, const StringList& entries) {
  std::string reason;
  if (!WriteFileAtomically(path, EncodePlaylist(entries), &reason))
    throw PlaylistWriteError("Cannot write the playlist \"" + std::string(path) + "\": " + reason);
}

bool IsPlaylistFile(std::string_view path) {
  const std::string extension = UpperCase(ExtractFileExt(path));
  return extension == ".M3U" || extension == ".VPL";
}

std::string AutosavePath() { return UserDir() + std::string(kAutosaveFileName); }

std::string BackupPath() { return UserDir() + std::string(kBackupFileName); }

namespace {

// The first occurrence of extension in upperName starts exactly at its end.
bool FirstOccurrenceEndsName(std::string_view upperName, std::string_view extension) {
  const auto at = upperName.find(extension);
  return at != std::string_view::npos && at + extension.size() == upperName.size();
}

}  // namespace

std::string CompletePlaylistSaveName(std::string_view chosenName, int filterIndex) {
  const std::string upper = UpperCase(chosenName);
  if (FirstOccurrenceEndsName(upper, ".M3U") || FirstOccurrenceEndsName(upper, ".VPL")) return std::string(chosenName);
  return std::string(chosenName) + (filterIndex == 1 ? ".VPL" : ".M3U");
}

}  // namespace vombrel
