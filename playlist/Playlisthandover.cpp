#include "playlist/Playlisthandover.h"

#include "playlist/Playlistfiles.h"

namespace vombrel {

std::optional<HandOverMessage> HandOverMessageFromName(std::string_view name) {
  if (name == kAddTrackMessageName) return HandOverMessage::AddTrack;
  if (name == kOpenPlaylistMessageName) return HandOverMessage::OpenPlaylist;
  if (name == kEnqueueTrackMessageName) return HandOverMessage::EnqueueTrack;
  return std::nullopt;
}

HandOverMessage MessageForArgument(std::string_view argument) {
  return IsPlaylistFile(argument) ? HandOverMessage::OpenPlaylist : HandOverMessage::AddTrack;
}

std::string_view HandOverMessageName(HandOverMessage message) {
  switch (message) {
    case HandOverMessage::AddTrack: return kAddTrackMessageName;
    case HandOverMessage::OpenPlaylist: return kOpenPlaylistMessageName;
    case HandOverMessage::EnqueueTrack: return kEnqueueTrackMessageName;
  }
  return {};
}

bool ApplyHandOverMessage(PlaylistModel& playlist, HandOverMessage message, std::string_view text) {
  switch (message) {
    case HandOverMessage::OpenPlaylist:
      playlist.LoadPlaylistFile(text);
      playlist.CurrentIndex = 0;
      return true;
    case HandOverMessage::AddTrack:
      playlist.Clear();
      playlist.AddFile(text);
      playlist.CurrentIndex = 0;
      return true;
    case HandOverMessage::EnqueueTrack:
      playlist.AddFile(text);
      return false;
  }
  return false;
}

}  // namespace vombrel
