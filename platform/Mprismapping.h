// How the player's state reads as MPRIS 2.2 properties, and how MPRIS requests map onto
// the player's operations. Pure functions, callable from any thread.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Mediacontrols.h"

namespace vombrel {

inline constexpr const char* kMprisObjectPath = "/org/mpris/MediaPlayer2";
inline constexpr const char* kMprisServiceName = "org.mpris.MediaPlayer2.vombrel";
inline constexpr const char* kMprisRootInterface = "org.mpris.MediaPlayer2";
inline constexpr const char* kMprisPlayerInterface = "org.mpris.MediaPlayer2.Player";
inline constexpr const char* kMprisNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
// The installed desktop entry's name, without ".desktop".
inline constexpr const char* kMprisDesktopEntry = "vombrel";

// "Playing", "Paused" or "Stopped".
QString PlaybackStatusText(PlaybackState state);

// Repeat reads as "Playlist", no repeat as "None". Only those two can be set: other
// texts ("Track" included, which the player cannot do) give nullopt.
QString LoopStatusText(bool repeat);
std::optional<bool> RepeatFromLoopStatus(const QString& loopStatus);

// The volume bar (0..65535) as 0.0..1.0, and back: below 0 counts as 0, above 1 as 1,
// not a number gives nullopt (nothing is set).
double VolumeFromBar(int32_t bar);
std::optional<int32_t> BarFromVolume(double volume);

// The track id of the n-th track the controls have seen current (a D-Bus object path
// outside /org/mpris, as the interface requires).
QString TrackIdPath(uint64_t serial);

// The Metadata map: mpris:trackid (object path), mpris:length (microseconds, only when
// known), xesam:title (the tag's title, else the entry's file name), xesam:artist (a list
// of one), xesam:album, xesam:genre (a list of one), xesam:trackNumber, xesam:url
// (file URL of the entry); empty texts and a track number of 0 are left out. No track
// gives the map with the NoTrack id alone.
QVariantMap MetadataMap(const std::optional<TrackDescription>& track, const QString& trackId);

// What a relative Seek does: positions below 0 become 0, past the end it is a Next, and
// without a seekable track (nothing plays, length unknown) it is ignored.
struct SeekPlan {
  enum class Kind { Ignore, SeekTo, Next } kind = Kind::Ignore;
  int32_t targetMs = 0;
  bool operator==(const SeekPlan&) const = default;
};
SeekPlan PlanSeek(PlaybackState state, int32_t positionMs, int32_t lengthMs, int64_t offsetUs);

// SetPosition: the target in milliseconds, or nullopt when the id is not the current
// track's, the position is negative or past the end, or nothing seekable plays.
std::optional<int32_t> PlanSetPosition(PlaybackState state, const QString& currentTrackId, int32_t lengthMs,
                                       const QString& requestedTrackId, int64_t positionUs);

// The local file an OpenUri names: only "file" URIs of an existing regular file whose
// URI text is at most kMaxUriLength characters; nullopt otherwise.
inline constexpr qsizetype kMaxUriLength = 8192;
std::optional<std::string> LocalFileOfUri(const QString& uri);

// True when a position reported now is not where the track would be after `elapsedMs`
// of playing (or of standing still while paused) from the last position seen: someone
// moved it. Tolerates the timer's jitter.
bool PositionJumped(int32_t lastPositionMs, bool wasPlaying, int64_t elapsedMs, int32_t positionMs);

// The URI schemes and MIME types the player opens.
QStringList SupportedUriSchemes();
QStringList SupportedMimeTypes();

}  // namespace vombrel
