// The desktop media controls of the main window: the MPRIS service (platform/) acting on
// the window's own handlers through a small adapter, and the hooks that tell the service
// when the player may have changed (the transport buttons and the position bar at once,
// the volume bar when it moves, anything else at the window's one-second tick).
//
// Threads: user-interface thread only. Ownership: the window must outlive this object.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "mediainfo/Trackinfo.h"
#include "platform/Mediacontrols.h"
#include "platform/Mprisservice.h"

namespace vombrel {

class TFormVombrel;

class MainWindowMediaControls : public MediaControlsTarget {
 public:
  explicit MainWindowMediaControls(TFormVombrel& window) : window_(window) {}

  PlaybackState State() override;
  std::optional<TrackDescription> CurrentTrack() override;
  int32_t PositionMs() override;
  int32_t EntryCount() override;
  bool Repeat() override;
  bool Shuffle() override;
  int32_t Volume() override;

  void Play() override;
  void TogglePause() override;
  void Stop() override;
  void Next() override;
  void Previous() override;
  void SeekTo(int32_t positionMs) override;
  void SetRepeat(bool repeat) override;
  void SetShuffle(bool shuffle) override;
  void SetVolume(int32_t volume) override;
  void OpenFile(const std::string& path) override;
  void Raise() override;
  void Quit() override;

 private:
  // The tag panel's texts of a file, read again only when the file changes.
  const TagPanelTexts& TagsOf(const std::string& path, std::optional<int32_t>& lengthMs);
  int32_t EngineLengthOf(const std::string& path);

  TFormVombrel& window_;
  struct CachedTags {
    std::string path;
    std::filesystem::file_time_type modified;
    std::uintmax_t size = 0;
    TagPanelTexts tags;
    std::optional<int32_t> lengthMs;
  };
  std::optional<CachedTags> cache_;
};

class MediaControls {
 public:
  // Publishes the service on the session bus as soon as the event loop runs (or says
  // once why not) and hooks the window.
  explicit MediaControls(TFormVombrel& window);

  MprisService& Service() { return service_; }

 private:
  MainWindowMediaControls target_;
  MprisService service_;
};

}  // namespace vombrel
