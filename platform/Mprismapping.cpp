#include "platform/Mprismapping.h"

#include <QDBusObjectPath>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "support/Supportstring.h"

namespace vombrel {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

constexpr int64_t kMicrosecondsPerMs = 1000;

bool Seekable(PlaybackState state, int32_t lengthMs) { return state != PlaybackState::Stopped && lengthMs > 0; }

}  // namespace

QString PlaybackStatusText(PlaybackState state) {
  switch (state) {
    case PlaybackState::Playing: return QStringLiteral("Playing");
    case PlaybackState::Paused: return QStringLiteral("Paused");
    case PlaybackState::Stopped: break;
  }
  return QStringLiteral("Stopped");
}

QString LoopStatusText(bool repeat) { return repeat ? QStringLiteral("Playlist") : QStringLiteral("None"); }

std::optional<bool> RepeatFromLoopStatus(const QString& loopStatus) {
  if (loopStatus == QLatin1String("None")) return false;
  if (loopStatus == QLatin1String("Playlist")) return true;
  return std::nullopt;
}

double VolumeFromBar(int32_t bar) { return std::clamp(bar, 0, 65535) / 65535.0; }

std::optional<int32_t> BarFromVolume(double volume) {
  if (std::isnan(volume)) return std::nullopt;
  return static_cast<int32_t>(std::lround(std::clamp(volume, 0.0, 1.0) * 65535.0));
}

QString TrackIdPath(uint64_t serial) { return QStringLiteral("/org/vombrel/Vombrel/Track/%1").arg(serial); }

QVariantMap MetadataMap(const std::optional<TrackDescription>& track, const QString& trackId) {
  QVariantMap map;
  if (!track) {
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(kMprisNoTrack)));
    return map;
  }
  map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId)));
  if (track->lengthMs > 0)
    map.insert(QStringLiteral("mpris:length"), QVariant::fromValue<qlonglong>(track->lengthMs * kMicrosecondsPerMs));
  const std::string title = Trim(track->title);
  map.insert(QStringLiteral("xesam:title"), Q(title.empty() ? ExtractFileName(track->path) : title));
  auto text = [&](const char* key, const std::string& value) {
    if (!Trim(value).empty()) map.insert(QString::fromLatin1(key), Q(value));
  };
  auto list = [&](const char* key, const std::string& value) {
    if (!Trim(value).empty()) map.insert(QString::fromLatin1(key), QStringList{Q(value)});
  };
  list("xesam:artist", track->artist);
  text("xesam:album", track->album);
  list("xesam:genre", track->genre);
  if (track->trackNumber > 0) map.insert(QStringLiteral("xesam:trackNumber"), track->trackNumber);
  const QUrl url = QUrl::fromLocalFile(Q(track->path));
  if (!track->path.empty()) map.insert(QStringLiteral("xesam:url"), url.toString(QUrl::FullyEncoded));
  return map;
}

SeekPlan PlanSeek(PlaybackState state, int32_t positionMs, int32_t lengthMs, int64_t offsetUs) {
  if (!Seekable(state, lengthMs)) return {};
  // In milliseconds first, so that no offset can overflow the sum.
  const int64_t target = int64_t{positionMs} + offsetUs / kMicrosecondsPerMs;
  if (target > lengthMs) return {SeekPlan::Kind::Next, 0};
  return {SeekPlan::Kind::SeekTo, static_cast<int32_t>(std::max<int64_t>(target, 0))};
}

std::optional<int32_t> PlanSetPosition(PlaybackState state, const QString& currentTrackId, int32_t lengthMs,
                                       const QString& requestedTrackId, int64_t positionUs) {
  if (!Seekable(state, lengthMs) || requestedTrackId != currentTrackId) return std::nullopt;
  if (positionUs < 0 || positionUs > int64_t{lengthMs} * kMicrosecondsPerMs) return std::nullopt;
  return static_cast<int32_t>(positionUs / kMicrosecondsPerMs);
}

std::optional<std::string> LocalFileOfUri(const QString& uri) {
  if (uri.size() > kMaxUriLength) return std::nullopt;
  const QUrl url(uri, QUrl::StrictMode);
  if (!url.isValid() || !url.isLocalFile()) return std::nullopt;
  const QString path = url.toLocalFile();
  const QFileInfo info(path);
  if (path.isEmpty() || !info.isFile()) return std::nullopt;
  return path.toStdString();
}

bool PositionJumped(int32_t lastPositionMs, bool wasPlaying, int64_t elapsedMs, int32_t positionMs) {
  constexpr int64_t kToleranceMs = 1500;
  const int64_t expected = int64_t{lastPositionMs} + (wasPlaying ? elapsedMs : 0);
  return std::llabs(int64_t{positionMs} - expected) > kToleranceMs;
}

QStringList SupportedUriSchemes() { return {QStringLiteral("file")}; }

QStringList SupportedMimeTypes() {
  return {
      QStringLiteral("audio/mpeg"),         QStringLiteral("audio/x-mp2"),     QStringLiteral("audio/ogg"),
      QStringLiteral("audio/x-vorbis+ogg"), QStringLiteral("audio/flac"),      QStringLiteral("audio/x-flac"),
      QStringLiteral("audio/x-ms-wma"),     QStringLiteral("audio/x-wav"),     QStringLiteral("audio/wav"),
      QStringLiteral("audio/x-ape"),        QStringLiteral("audio/x-mpegurl"), QStringLiteral("video/x-msvideo"),
      QStringLiteral("video/mpeg"),         QStringLiteral("video/x-ms-wmv"),  QStringLiteral("video/quicktime"),
  };
}

}  // namespace vombrel
