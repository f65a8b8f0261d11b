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

namespace {

// Runs a change; the first playlist write error it meets goes into the outcome.
void Step(HandOverOutcome& outcome, const std::function<void()>& change) {
  try {
    change();
  } catch (const PlaylistWriteError& error) {
    if (outcome.writeError.empty()) outcome.writeError = error.what();
  }
}

void ApplyChanges(PlaylistModel& playlist, HandOverMessage message, std::string_view text, HandOverOutcome& outcome) {
  switch (message) {
    case HandOverMessage::OpenPlaylist:
      Step(outcome, [&] { playlist.LoadPlaylistFile(text); });
      playlist.CurrentIndex = 0;
      outcome.autoplay = true;
      break;
    case HandOverMessage::AddTrack:
      playlist.Clear();
      Step(outcome, [&] { playlist.AddFile(text); });
      playlist.CurrentIndex = 0;
      outcome.autoplay = true;
      break;
    case HandOverMessage::EnqueueTrack: Step(outcome, [&] { playlist.AddFile(text); }); break;
  }
}

}  // namespace

HandOverOutcome ApplyHandOverMessage(PlaylistModel& playlist, HandOverMessage message, std::string_view text,
                                     const std::function<void(const HandOverOutcome&)>& start) {
  HandOverOutcome outcome;
  const auto writeAutosave = [&] { Step(outcome, [&] { playlist.WriteHeldAutosave(); }); };
  playlist.HoldAutosave();
  try {
    ApplyChanges(playlist, message, text, outcome);
    if (start) start(outcome);
  } catch (...) {
    writeAutosave();
    throw;
  }
  writeAutosave();
  return outcome;
}

}  // namespace vombrel
