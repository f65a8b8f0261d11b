// The player's desktop media controls: MPRIS 2.2 on the session bus, under the name
// org.mpris.MediaPlayer2.vombrel, object /org/mpris/MediaPlayer2. Media keys, panel
// widgets and tools like playerctl reach the player's own operations through it.
//
// Requests that act on playback are queued and run one per turn of the event loop, so
// the window keeps answering between them. A flood is cut short: a burst of at most
// kMaxPendingRequests is taken, then kRequestsPerSecond; the rest is dropped, as media
// keys held down or a runaway client should not keep the player busy for long.
// Property changes are announced by Refresh, which compares the player's state with what
// was announced last; the owner calls it (through ScheduleRefresh) wherever the player
// may have changed.
//
// Threads: user-interface thread only (Qt delivers the bus's calls there).
// Ownership: the target is not owned and must outlive the service.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "platform/Mediacontrols.h"

namespace vombrel {

class MprisService : public QObject {
  Q_OBJECT

 public:
  static constexpr size_t kMaxPendingRequests = 32;
  static constexpr double kRequestsPerSecond = 10;

  explicit MprisService(MediaControlsTarget& target, QObject* parent = nullptr);
  ~MprisService() override;

  // Registers the object and takes the bus name. Without a session bus, or when another
  // program holds the name, it says so once on standard error and returns false; the
  // player works the same without.
  bool Publish();
  bool Published() const { return published_; }

  // org.mpris.MediaPlayer2.Player properties, read fresh from the player.
  QString PlaybackStatus();
  QString LoopStatus();
  void SetLoopStatus(const QString& loopStatus);
  bool Shuffle();
  void SetShuffle(bool shuffle);
  QVariantMap Metadata();
  double Volume();
  void SetVolume(double volume);
  qlonglong Position();
  bool CanGoNext();
  bool CanGoPrevious();
  bool CanPlay();
  bool CanPause();
  bool CanSeek();

  // Methods of both interfaces (queued, see above).
  void Next();
  void Previous();
  void Pause();
  void PlayPause();
  void Stop();
  void Play();
  void Seek(qlonglong offsetUs);
  void SetPosition(const QString& trackId, qlonglong positionUs);
  void OpenUri(const QString& uri);
  void Raise();
  void Quit();

  // Announces what changed since the last announcement; cheap (no file is read twice,
  // the sound server is not asked).
  void Refresh();
  // Refresh at the next turn of the event loop; several calls make one.
  void ScheduleRefresh();
  // Runs every queued request now (tests).
  void RunPendingRequests();

 signals:
  // The changed properties of one interface; sent on the bus as
  // org.freedesktop.DBus.Properties.PropertiesChanged once published.
  void PropertiesChanged(const QString& interfaceName, const QVariantMap& changed);
  // The position (microseconds) after a seek from any cause.
  void Seeked(qlonglong positionUs);

 private:
  struct Announced {
    PlaybackState state = PlaybackState::Stopped;
    QString trackId;
    QString status, loop;
    bool shuffle = false;
    double volume = 0;
    QVariantMap metadata;
    bool canGoNext = false, canGoPrevious = false, canPlay = false, canPause = false, canSeek = false;
  };
  Announced Current();
  QString CurrentTrackId(const std::optional<TrackDescription>& track);
  int32_t CurrentLengthMs();
  void Enqueue(std::function<void()> request);
  void RunNextRequest();
  void ToggleUntil(PlaybackState wanted);
  void SeekTo(int32_t positionMs);
  void CheckSeeked(PlaybackState state, const QString& trackId);
  void SendPropertiesChanged(const QString& interfaceName, const QVariantMap& changed);

  MediaControlsTarget& target_;
  bool published_ = false;
  std::deque<std::function<void()>> pending_;
  // Requests that may still be taken now, refilled as time passes.
  double requestAllowance_ = kMaxPendingRequests;
  QElapsedTimer sinceAllowance_;
  bool requestScheduled_ = false;
  bool refreshScheduled_ = false;
  std::optional<Announced> announced_;
  // The current track's identity and the serial its id carries.
  std::string trackKey_;
  uint64_t trackSerial_ = 0;
  // The last position seen, to tell a seek from playing on.
  QString lastTrackId_;
  PlaybackState lastState_ = PlaybackState::Stopped;
  int32_t lastPositionMs_ = 0;
  QElapsedTimer sinceLastPosition_;
  std::optional<double> pendingVolume_;
};

}  // namespace vombrel
