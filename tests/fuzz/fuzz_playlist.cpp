// Playlist reading must take any bytes; what it reads must write back to a file that
// reads the same again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "playlist/Playlistfiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto entries = vombrel::DecodePlaylist(bytes);
  if (vombrel::DecodePlaylist(vombrel::EncodePlaylist(entries)) != entries) std::abort();
  (void)vombrel::IsPlaylistFile(bytes);
  (void)vombrel::CompletePlaylistSaveName(bytes, static_cast<int>(size % 3));
  return 0;
}
