#include "platform/Mprisservice.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "platform/Mprisadaptors.h"
#include "platform/Mprismapping.h"

namespace vombrel {

namespace {

constexpr int64_t kMicrosecondsPerMs = 1000;

void SayControlsOff(const char* why) { std::fprintf(stderr, "vombrel: desktop media controls off: %s\n", why); }

}  // namespace

MprisService::MprisService(MediaControlsTarget& target, QObject* parent) : QObject(parent), target_(target) {
  new MprisRootAdaptor(this);
  new MprisPlayerAdaptor(this);
  sinceLastPosition_.start();
  sinceAllowance_.start();
}

MprisService::~MprisService() {
  if (!published_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterService(QString::fromLatin1(kMprisServiceName));
  bus.unregisterObject(QString::fromLatin1(kMprisObjectPath));
}

bool MprisService::Publish() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    SayControlsOff("no session bus");
    return false;
  }
  if (!bus.registerObject(QString::fromLatin1(kMprisObjectPath), this)) {
    SayControlsOff("the object path is in use");
    return false;
  }
  // Not queued and not replaceable: a second player waits for no one and takes nothing.
  const auto reply = bus.interface()->registerService(QString::fromLatin1(kMprisServiceName),
                                                      QDBusConnectionInterface::DontQueueService,
                                                      QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
    bus.unregisterObject(QString::fromLatin1(kMprisObjectPath));
    SayControlsOff("another program holds the name org.mpris.MediaPlayer2.vombrel");
    return false;
  }
  published_ = true;
  connect(this, &MprisService::PropertiesChanged, this, &MprisService::SendPropertiesChanged);
  announced_ = Current();
  return true;
}

// ---------------------------------------------------------------------------------------
// Properties.

QString MprisService::CurrentTrackId(const std::optional<TrackDescription>& track) {
  if (!track) return QString::fromLatin1(kMprisNoTrack);
  // A new id whenever another entry (or another file at the same place) becomes current.
  const std::string key = std::to_string(track->index) + '\n' + track->path;
  if (key != trackKey_) {
    trackKey_ = key;
    ++trackSerial_;
  }
  return TrackIdPath(trackSerial_);
}

int32_t MprisService::CurrentLengthMs() {
  const auto track = target_.CurrentTrack();
  return track ? track->lengthMs : 0;
}

QString MprisService::PlaybackStatus() { return PlaybackStatusText(target_.State()); }
QString MprisService::LoopStatus() { return LoopStatusText(target_.Repeat()); }

void MprisService::SetLoopStatus(const QString& loopStatus) {
  if (const auto repeat = RepeatFromLoopStatus(loopStatus)) target_.SetRepeat(*repeat);
  ScheduleRefresh();
}

bool MprisService::Shuffle() { return target_.Shuffle(); }

void MprisService::SetShuffle(bool shuffle) {
  target_.SetShuffle(shuffle);
  ScheduleRefresh();
}

QVariantMap MprisService::Metadata() {
  const auto track = target_.CurrentTrack();
  return MetadataMap(track, CurrentTrackId(track));
}

double MprisService::Volume() { return VolumeFromBar(target_.Volume()); }

void MprisService::SetVolume(double volume) {
  const auto bar = BarFromVolume(volume);
  if (!bar) return;
  // Only the last of a burst of settings reaches the sound server.
  const bool scheduled = pendingVolume_.has_value();
  pendingVolume_ = *bar;
  if (scheduled) return;
  QTimer::singleShot(0, this, [this] {
    if (!pendingVolume_) return;
    const auto bar = static_cast<int32_t>(*pendingVolume_);
    pendingVolume_.reset();
    target_.SetVolume(bar);
    ScheduleRefresh();
  });
}

qlonglong MprisService::Position() { return qlonglong{target_.PositionMs()} * kMicrosecondsPerMs; }

bool MprisService::CanGoNext() { return target_.EntryCount() > 0; }
bool MprisService::CanGoPrevious() { return target_.EntryCount() > 0; }
bool MprisService::CanPlay() { return target_.EntryCount() > 0; }
bool MprisService::CanPause() { return target_.EntryCount() > 0; }
bool MprisService::CanSeek() { return target_.State() != PlaybackState::Stopped && CurrentLengthMs() > 0; }

// ---------------------------------------------------------------------------------------
// Methods.

void MprisService::Enqueue(std::function<void()> request) {
  requestAllowance_ = std::min<double>(kMaxPendingRequests,
                                       requestAllowance_ + sinceAllowance_.restart() * kRequestsPerSecond / 1000.0);
  if (requestAllowance_ < 1 || pending_.size() >= kMaxPendingRequests) return;
  requestAllowance_ -= 1;
  pending_.push_back(std::move(request));
  if (requestScheduled_) return;
  requestScheduled_ = true;
  QTimer::singleShot(0, this, &MprisService::RunNextRequest);
}

void MprisService::RunNextRequest() {
  requestScheduled_ = false;
  if (pending_.empty()) return;
  const std::function<void()> request = std::move(pending_.front());
  pending_.pop_front();
  request();
  ScheduleRefresh();
  if (!pending_.empty()) {
    requestScheduled_ = true;
    QTimer::singleShot(0, this, &MprisService::RunNextRequest);
  }
}

void MprisService::RunPendingRequests() {
  while (!pending_.empty()) RunNextRequest();
}

// The pause button toggles by the window's own flag; should that be out of step with the
// engine, a second toggle reaches the state asked for.
void MprisService::ToggleUntil(PlaybackState wanted) {
  target_.TogglePause();
  if (target_.State() != wanted) target_.TogglePause();
}

void MprisService::Next() {
  Enqueue([this] { target_.Next(); });
}
void MprisService::Previous() {
  Enqueue([this] { target_.Previous(); });
}
void MprisService::Stop() {
  Enqueue([this] { target_.Stop(); });
}

void MprisService::Pause() {
  Enqueue([this] {
    if (target_.State() == PlaybackState::Playing) ToggleUntil(PlaybackState::Paused);
  });
}

void MprisService::Play() {
  Enqueue([this] {
    switch (target_.State()) {
      case PlaybackState::Paused: ToggleUntil(PlaybackState::Playing); break;
      case PlaybackState::Stopped: target_.Play(); break;
      case PlaybackState::Playing: break;
    }
  });
}

void MprisService::PlayPause() {
  Enqueue([this] {
    switch (target_.State()) {
      case PlaybackState::Playing: ToggleUntil(PlaybackState::Paused); break;
      case PlaybackState::Paused: ToggleUntil(PlaybackState::Playing); break;
      case PlaybackState::Stopped: target_.Play(); break;
    }
  });
}

void MprisService::SeekTo(int32_t positionMs) {
  target_.SeekTo(positionMs);
  lastPositionMs_ = positionMs;
  sinceLastPosition_.restart();
  emit Seeked(qlonglong{positionMs} * kMicrosecondsPerMs);
}

void MprisService::Seek(qlonglong offsetUs) {
  Enqueue([this, offsetUs] {
    const SeekPlan plan = PlanSeek(target_.State(), target_.PositionMs(), CurrentLengthMs(), offsetUs);
    if (plan.kind == SeekPlan::Kind::Next)
      target_.Next();
    else if (plan.kind == SeekPlan::Kind::SeekTo)
      SeekTo(plan.targetMs);
  });
}

void MprisService::SetPosition(const QString& trackId, qlonglong positionUs) {
  Enqueue([this, trackId, positionUs] {
    const auto track = target_.CurrentTrack();
    const auto target = PlanSetPosition(target_.State(), CurrentTrackId(track), track ? track->lengthMs : 0, trackId,
                                        positionUs);
    if (target) SeekTo(*target);
  });
}

void MprisService::OpenUri(const QString& uri) {
  const auto path = LocalFileOfUri(uri);
  if (!path) return;
  Enqueue([this, path = *path] { target_.OpenFile(path); });
}

void MprisService::Raise() {
  Enqueue([this] { target_.Raise(); });
}
void MprisService::Quit() {
  Enqueue([this] { target_.Quit(); });
}

// ---------------------------------------------------------------------------------------
// Announcing changes.

MprisService::Announced MprisService::Current() {
  Announced now;
  now.state = target_.State();
  const auto track = target_.CurrentTrack();
  const bool any = target_.EntryCount() > 0;
  now.trackId = CurrentTrackId(track);
  now.status = PlaybackStatusText(now.state);
  now.loop = LoopStatusText(target_.Repeat());
  now.shuffle = target_.Shuffle();
  now.volume = VolumeFromBar(target_.Volume());
  now.metadata = MetadataMap(track, now.trackId);
  now.canGoNext = now.canGoPrevious = now.canPlay = now.canPause = any;
  now.canSeek = now.state != PlaybackState::Stopped && track && track->lengthMs > 0;
  return now;
}

void MprisService::ScheduleRefresh() {
  if (refreshScheduled_) return;
  refreshScheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    refreshScheduled_ = false;
    Refresh();
  });
}

void MprisService::Refresh() {
  const Announced now = Current();
  QVariantMap changed;
  auto compare = [&](const char* name, const auto& before, const auto& after) {
    if (!announced_ || before != after) changed.insert(QString::fromLatin1(name), QVariant::fromValue(after));
  };
  const Announced before = announced_.value_or(Announced{});
  compare("PlaybackStatus", before.status, now.status);
  compare("LoopStatus", before.loop, now.loop);
  compare("Shuffle", before.shuffle, now.shuffle);
  compare("Volume", before.volume, now.volume);
  compare("Metadata", before.metadata, now.metadata);
  compare("CanGoNext", before.canGoNext, now.canGoNext);
  compare("CanGoPrevious", before.canGoPrevious, now.canGoPrevious);
  compare("CanPlay", before.canPlay, now.canPlay);
  compare("CanPause", before.canPause, now.canPause);
  compare("CanSeek", before.canSeek, now.canSeek);
  announced_ = now;
  if (!changed.isEmpty()) emit PropertiesChanged(QString::fromLatin1(kMprisPlayerInterface), changed);
  CheckSeeked(now.state, now.trackId);
}

// A jump of the position that playing does not explain (the position bar, a seek from
// elsewhere) is announced; a new track or a stop is not a seek.
void MprisService::CheckSeeked(PlaybackState state, const QString& trackId) {
  const int32_t position = target_.PositionMs();
  const int64_t elapsed = sinceLastPosition_.restart();
  const bool comparable = state != PlaybackState::Stopped && lastState_ != PlaybackState::Stopped &&
                          trackId == lastTrackId_;
  if (comparable && PositionJumped(lastPositionMs_, lastState_ == PlaybackState::Playing, elapsed, position))
    emit Seeked(qlonglong{position} * kMicrosecondsPerMs);
  lastTrackId_ = trackId;
  lastState_ = state;
  lastPositionMs_ = position;
}

void MprisService::SendPropertiesChanged(const QString& interfaceName, const QVariantMap& changed) {
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kMprisObjectPath),
                                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << interfaceName << changed << QStringList();
  QDBusConnection::sessionBus().send(signal);
}

}  // namespace vombrel
