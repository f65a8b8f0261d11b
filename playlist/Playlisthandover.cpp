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

HandOverOutcome ApplyHandOverMessage(PlaylistModel& playlist, HandOverMessage message, std::string_view text) {
  HandOverOutcome outcome;
  auto step = [&](auto&& change) {
    try {
      change();
    } catch (const PlaylistWriteError& error) {
      if (outcome.writeError.empty()) outcome.writeError = error.what();
    }
  };
  switch (message) {
    case HandOverMessage::OpenPlaylist:
      step([&] { playlist.LoadPlaylistFile(text); });
      playlist.CurrentIndex = 0;
      outcome.autoplay = true;
      break;
    case HandOverMessage::AddTrack:
      playlist.Clear();
      step([&] { playlist.AddFile(text); });
      playlist.CurrentIndex = 0;
      outcome.autoplay = true;
      break;
    case HandOverMessage::EnqueueTrack: step([&] { playlist.AddFile(text); }); break;
  }
  return outcome;
}

}  // namespace vombrel
