// The playlist: ordered entries, the current position and the rules that choose the next
// entry (Shuffle, Repeat, skipping what cannot be played).
//
// Threads: every member is called on the user-interface thread only.
// Ownership: the main window owns the model; the controller passed in is not owned and
// must outlive the model (or be replaced before it dies).
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "support/Supportstring.h"

namespace vombrel {

// What the model needs of the player controller (the main window). Tests script it.
class PlaylistController {
 public:
  virtual ~PlaylistController() = default;
  // One attempt to play the current entry (the controller's TryPlayCurrent); it fails at
  // once, without touching the engine, when CurrentIndex is not a valid position.
  virtual bool TryPlayCurrent() = 0;
  // The engine's position and length in milliseconds.
  virtual int32_t EnginePosition() = 0;
  virtual int32_t EngineLength() = 0;
  // Pause if playing, resume if paused.
  virtual void TogglePause() = 0;
  // Rebuild the playlist window's list if that window is open.
  virtual void RefreshPlaylistWindow() = 0;
};

// Next value of a pseudo-random generator; the random step is value mod n.
using RandomSource = std::function<uint32_t()>;
// Title of a media file from its tags (empty when it has none); called only for existing
// files whose upper-cased extension is ".MP3", ".OGG", ".WMA" or ".APE".
using TitleReader = std::function<std::string(const std::string& path)>;
// Told the path of every playlist file loaded or saved successfully (recent-playlists menu).
using RecentPlaylistHook = std::function<void(const std::string& path)>;

class PlaylistModel {
 public:
  // The controller may be null until the main window is ready: plays then fail, the
  // pause toggle and refreshes do nothing.
  explicit PlaylistModel(PlaylistController* controller = nullptr);

  // Fields. CurrentIndex is adjusted only by navigation, never by adding, removing,
  // clearing or loading entries, so it may be out of range until the next step.
  StringList Entries;
  int32_t CurrentIndex = 0;
  bool Shuffle = false;
  bool Repeat = true;
  bool ShowFileNames = false;
  bool StopRequested = false;

  void SetController(PlaylistController* controller) { controller_ = controller; }
  // The default source is a process-wide generator seeded once from the clock.
  void SetRandomSource(RandomSource source);
  // The default reader gives no title.
  void SetTitleReader(TitleReader reader);
  void SetRecentPlaylistHook(RecentPlaylistHook hook);

  int32_t Count() const { return static_cast<int32_t>(Entries.size()); }
  // Entry at position i; empty text for a position out of range.
  std::string Entry(int32_t i) const;

  // Appends the texts in order, autosaves, refreshes the playlist window.
  void AddFiles(const StringList& files);
  void AddFile(std::string_view file);
  // Removes every entry, nothing else (callers follow it with AddFile, which autosaves).
  void Clear();
  // Removes the entries at the given positions (those out of range are ignored),
  // autosaves, refreshes the playlist window.
  void RemoveEntries(const std::set<int32_t>& positions);

  // Navigation: CurrentIndex moves by 1 (or by a random step 0..n-1 with Shuffle), modulo
  // Count, into 0..Count-1. Nothing happens on an empty list.
  void StepNext();
  void StepPrevious();
  // Tries the current entry, then the following ones, at most Count attempts in all;
  // stops early when StopRequested is set between attempts. True when one played.
  bool PlayWithRetry();
  // The engine's notification: only a position equal to the length is a track end; then
  // the next entry plays unless the last entry ended and Repeat is off.
  void HandleTrackEnd();
  // The track menu's item i: the current entry toggles pause, any other one plays.
  void SelectAndPlay(int32_t i);
  // What the playlist window, the track menu and the title show for an entry.
  std::string DisplayName(const std::string& entry) const;

  // Playlist files (the format is in Playlistfiles.h). Write failures throw
  // PlaylistWriteError.
  void SaveAutosave() const;
  // Replaces the entries by the file's; keeps a backup in "Playlist.tmp" and restores it
  // when the file cannot be read; autosaves; refreshes. A missing file changes nothing.
  void LoadPlaylistFile(std::string_view path);
  void SavePlaylistFile(std::string_view path) const;
  // Start-up without an argument: the autosave's entries if it can be read (errors leave
  // the list empty, silently), CurrentIndex = 0.
  void LoadAutosave();
  // While held, a change that autosaves refreshes the playlist window at once and leaves
  // the autosave to WriteHeldAutosave, which ends the hold and writes it when a change
  // asked for it (PlaylistWriteError when it cannot).
  void HoldAutosave() { autosaveHeld_ = true; }
  void WriteHeldAutosave();

 private:
  int32_t RandomStep(int32_t n) const;
  void Changed();
  void Refresh() const;
  void NotifyRecent(std::string_view path) const;

  PlaylistController* controller_;
  bool autosaveHeld_ = false;
  bool autosaveWanted_ = false;
  RandomSource random_;
  TitleReader titleReader_;
  RecentPlaylistHook recentHook_;
};

}  // namespace vombrel
