#include "app/Mediacontrols.h"

#include <QTimer>
#include <algorithm>
#include <system_error>

#include "app/VombrelMain.h"
#include "playlist/Playlisthandover.h"
#include "support/Supportstring.h"

namespace vombrel {

// ---------------------------------------------------------------------------------------
// The adapter.

PlaybackState MainWindowMediaControls::State() {
  TBasePlayer* engine = window_.Engine();
  if (!engine) return PlaybackState::Stopped;
  try {
    switch (engine->GetMode()) {
      case PlayerMode::Playing: return PlaybackState::Playing;
      case PlayerMode::Paused: return PlaybackState::Paused;
      default: return PlaybackState::Stopped;
    }
  } catch (...) {
    return PlaybackState::Stopped;
  }
}

const TagPanelTexts& MainWindowMediaControls::TagsOf(const std::string& path, std::optional<int32_t>& lengthMs) {
  std::error_code error;
  const auto modified = std::filesystem::last_write_time(path, error);
  const auto size = error ? 0 : std::filesystem::file_size(path, error);
  if (!cache_ || cache_->path != path || cache_->modified != modified || cache_->size != size) {
    cache_ = CachedTags{path, modified, size, {}, std::nullopt};
    try {
      TrackInfo info = ReadTrackInfo(path);
      cache_->tags = std::move(info.Tags);
      cache_->lengthMs = info.LengthMs;
    } catch (...) {
      // A file the readers cannot read has no tags; its name stands for it.
    }
  }
  lengthMs = cache_->lengthMs;
  return cache_->tags;
}

// The engine knows the length of the file it has open; of any other file nothing.
int32_t MainWindowMediaControls::EngineLengthOf(const std::string& path) {
  TBasePlayer* engine = window_.Engine();
  if (!engine) return 0;
  try {
    if (engine->GetFileName() != path || engine->GetMode() == PlayerMode::NotReady) return 0;
    return std::max(engine->GetLength(), 0);
  } catch (...) {
    return 0;
  }
}

std::optional<TrackDescription> MainWindowMediaControls::CurrentTrack() {
  const PlaylistModel& playlist = window_.Playlist();
  if (playlist.CurrentIndex < 0 || playlist.CurrentIndex >= playlist.Count()) return std::nullopt;
  TrackDescription track;
  track.index = playlist.CurrentIndex;
  track.path = playlist.Entry(track.index);
  std::optional<int32_t> lengthMs;
  const TagPanelTexts& tags = TagsOf(track.path, lengthMs);
  track.title = tags.TagTitolo;
  track.artist = tags.TagArtista;
  track.album = tags.TagAlbum;
  track.genre = tags.TagGenere;
  track.trackNumber = StrToIntDefault(Trim(tags.TagTraccia), 0);
  track.lengthMs = lengthMs && *lengthMs > 0 ? *lengthMs : EngineLengthOf(track.path);
  return track;
}

int32_t MainWindowMediaControls::PositionMs() {
  if (State() == PlaybackState::Stopped) return 0;
  try {
    return std::max(window_.Engine()->GetPosition(), 0);
  } catch (...) {
    return 0;
  }
}

int32_t MainWindowMediaControls::EntryCount() { return window_.Playlist().Count(); }
bool MainWindowMediaControls::Repeat() { return window_.Playlist().Repeat; }
bool MainWindowMediaControls::Shuffle() { return window_.Playlist().Shuffle; }
int32_t MainWindowMediaControls::Volume() { return window_.Volume->Position(); }

void MainWindowMediaControls::Play() { window_.ButtonPlayClick(); }

// As the tray's pause command does, the pause button shows the state it left.
void MainWindowMediaControls::TogglePause() {
  window_.ButtonPauseClick();
  window_.ButtonPause->SetDown(window_.Paused());
}

void MainWindowMediaControls::Stop() { window_.ButtonStopClick(); }
void MainWindowMediaControls::Next() { window_.ButtonNextClick(); }
void MainWindowMediaControls::Previous() { window_.ButtonPrevClick(); }

// Like the position bar's seek, but to the millisecond; refused as the bar's is when
// nothing plays.
void MainWindowMediaControls::SeekTo(int32_t positionMs) {
  if (State() == PlaybackState::Stopped) return;
  try {
    window_.Engine()->SetPosition(positionMs);
  } catch (...) {
    // A seek the engine refuses leaves playback where it was.
  }
}

void MainWindowMediaControls::SetRepeat(bool repeat) { window_.Playlist().Repeat = repeat; }
void MainWindowMediaControls::SetShuffle(bool shuffle) { window_.Playlist().Shuffle = shuffle; }

void MainWindowMediaControls::SetVolume(int32_t volume) {
  window_.SetVolume(volume);
  window_.SyncVolumeBar();
}

void MainWindowMediaControls::OpenFile(const std::string& path) {
  window_.AppEventsMessage(std::string(HandOverMessageName(MessageForArgument(path))), path);
}

// Shown (from the tray or minimised too), raised and activated.
void MainWindowMediaControls::Raise() { window_.BringToForeground(); }

void MainWindowMediaControls::Quit() { window_.ButtonCloseClick(); }

// ---------------------------------------------------------------------------------------
// The controls.

MediaControls::MediaControls(TFormVombrel& window) : target_(window), service_(target_) {
  // Once the event loop runs: the window shows first, the bus costs start-up nothing.
  QTimer::singleShot(0, &service_, [this] { service_.Publish(); });
  auto refresh = [this] { service_.ScheduleRefresh(); };
  for (TFlatButton* button :
       {window.ButtonPlay, window.ButtonPrev, window.ButtonNext, window.ButtonPause, window.ButtonStop})
    QObject::connect(button, &FlatControl::Click, &service_, refresh);
  QObject::connect(window.Posizione, &TFlatScrollbar::Scroll, &service_, refresh);
  QObject::connect(window.Volume, &TFlatScrollbar::Change, &service_, refresh);
  QObject::connect(window.PlayerTimer, &QTimer::timeout, &service_, refresh);
}

}  // namespace vombrel
