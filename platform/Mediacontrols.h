// What the desktop media controls (the MPRIS service, Mprisservice.h) need of the player.
// The main window implements it through a small adapter; tests script it.
//
// Threads: every member is called on the user-interface thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vombrel {

enum class PlaybackState { Stopped, Playing, Paused };

// The playlist's current entry as the media controls describe it.
struct TrackDescription {
  std::string path;   // the entry exactly as the playlist holds it
  int32_t index = 0;  // its position in the playlist
  // Tag texts as the tag panel shows them; empty when the file has none.
  std::string title, artist, album, genre;
  int32_t trackNumber = 0;  // 0: none
  int32_t lengthMs = 0;     // 0: not known
  bool operator==(const TrackDescription&) const = default;
};

class MediaControlsTarget {
 public:
  virtual ~MediaControlsTarget() = default;

  // State.
  virtual PlaybackState State() = 0;
  // The current entry, or nullopt when the playlist has no valid current entry.
  virtual std::optional<TrackDescription> CurrentTrack() = 0;
  // Position in the playing or paused track in milliseconds; 0 otherwise.
  virtual int32_t PositionMs() = 0;
  virtual int32_t EntryCount() = 0;
  virtual bool Repeat() = 0;
  virtual bool Shuffle() = 0;
  // The volume bar's position, 0..65535.
  virtual int32_t Volume() = 0;

  // Operations: each ends in the player's own handler for it.
  virtual void Play() = 0;         // the Play button
  virtual void TogglePause() = 0;  // the Pause button
  virtual void Stop() = 0;
  virtual void Next() = 0;
  virtual void Previous() = 0;
  // Moves the playing or paused track to a position in milliseconds (0..length).
  virtual void SeekTo(int32_t positionMs) = 0;
  virtual void SetRepeat(bool repeat) = 0;
  virtual void SetShuffle(bool shuffle) = 0;
  // The output volume, 0..65535; the volume bar follows.
  virtual void SetVolume(int32_t volume) = 0;
  // A local file handed over as by a second start: a track replaces the playlist and
  // plays, a playlist file is loaded and played.
  virtual void OpenFile(const std::string& path) = 0;
  virtual void Raise() = 0;
  // The main window's normal close sequence.
  virtual void Quit() = 0;
};

}  // namespace vombrel
