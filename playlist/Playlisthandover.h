// What the running instance does with a message handed over by a second start.
//
// The three message names travel in the hand-over frames (platform/Handoverframe.h); the
// main window passes every message it receives to ApplyHandOverMessage and, when that
// asks for it, sets its pending autoplay and runs its activation handler.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "playlist/Playlistmodel.h"

namespace vombrel {

inline constexpr std::string_view kAddTrackMessageName = "VOMBREL_ADD_TRACK_MESSAGE_ID";
inline constexpr std::string_view kOpenPlaylistMessageName = "VOMBREL_OPEN_PLAYLIST_MESSAGE_ID";
inline constexpr std::string_view kEnqueueTrackMessageName = "VOMBREL_ENQUEUE_TRACK_MESSAGE_ID";

enum class HandOverMessage { AddTrack, OpenPlaylist, EnqueueTrack };

// The message a registered name stands for (exact, case-sensitive); nullopt otherwise.
std::optional<HandOverMessage> HandOverMessageFromName(std::string_view name);

// The message a second start sends for its first argument: OpenPlaylist when the
// argument passes IsPlaylistFile, otherwise AddTrack.
HandOverMessage MessageForArgument(std::string_view argument);
std::string_view HandOverMessageName(HandOverMessage message);

struct HandOverOutcome {
  bool autoplay = false;   // the caller sets its pending autoplay and runs its activation
  std::string writeError;  // why the autosave or the backup could not be written; "" when it was
};

// Applies one message to the playlist:
// - OpenPlaylist: LoadPlaylistFile(text) (nothing when it does not exist), CurrentIndex = 0.
// - AddTrack: Clear, AddFile(text), CurrentIndex = 0.
// - EnqueueTrack: AddFile(text); no playback.
// Autoplay is asked for by the first two. The wParam of the message is not examined.
// A playlist file that cannot be written (a full disk, a user folder gone read-only) does
// not stop the message half-way: every step runs, the new entries are in place and
// autoplay is asked for as usual; the first write error is handed back to be reported.
// `start`, when given, is called with the outcome once the entries are in place and before
// the autosave is written: the main window starts playback there, so that the write, with
// its flush to disk, does not delay the first sound.
HandOverOutcome ApplyHandOverMessage(PlaylistModel& playlist, HandOverMessage message, std::string_view text,
                                     const std::function<void(const HandOverOutcome&)>& start = {});

}  // namespace vombrel
