// The media controls without a bus: how the player's state reads as MPRIS properties,
// what the requests do to a scripted player, and which changes are announced.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "platform/Mprismapping.h"
#include "platform/Mprisservice.h"

namespace vombrel {
namespace {

// A player whose state the test sets and whose operations are logged.
class ScriptedPlayer : public MediaControlsTarget {
 public:
  PlaybackState state = PlaybackState::Stopped;
  std::optional<TrackDescription> track;
  int32_t position = 0;
  int32_t entries = 0;
  bool repeat = true;
  bool shuffle = false;
  int32_t volume = 65535;
  // The pause toggle follows the window's own flag, which may be out of step.
  bool pausedFlag = false;
  std::vector<std::string> calls;

  int Count(const std::string& call) const { return static_cast<int>(std::count(calls.begin(), calls.end(), call)); }

  PlaybackState State() override { return state; }
  std::optional<TrackDescription> CurrentTrack() override { return track; }
  int32_t PositionMs() override { return position; }
  int32_t EntryCount() override { return entries; }
  bool Repeat() override { return repeat; }
  bool Shuffle() override { return shuffle; }
  int32_t Volume() override { return volume; }
  void Play() override {
    calls.push_back("Play");
    state = PlaybackState::Playing;
  }
  void TogglePause() override {
    calls.push_back("TogglePause");
    pausedFlag = !pausedFlag;
    if (state != PlaybackState::Stopped) state = pausedFlag ? PlaybackState::Paused : PlaybackState::Playing;
  }
  void Stop() override {
    calls.push_back("Stop");
    state = PlaybackState::Stopped;
  }
  void Next() override { calls.push_back("Next"); }
  void Previous() override { calls.push_back("Previous"); }
  void SeekTo(int32_t ms) override {
    calls.push_back("SeekTo " + std::to_string(ms));
    position = ms;
  }
  void SetRepeat(bool on) override { repeat = on; }
  void SetShuffle(bool on) override { shuffle = on; }
  void SetVolume(int32_t v) override {
    calls.push_back("SetVolume " + std::to_string(v));
    volume = v;
  }
  void OpenFile(const std::string& path) override { calls.push_back("OpenFile " + path); }
  void Raise() override { calls.push_back("Raise"); }
  void Quit() override { calls.push_back("Quit"); }
};

TrackDescription TaggedTrack() {
  TrackDescription t;
  t.path = "/music/Some Album/01 first.mp3";
  t.index = 2;
  t.title = "First Song";
  t.artist = "The Band";
  t.album = "Some Album";
  t.genre = "Rock";
  t.trackNumber = 1;
  t.lengthMs = 180000;
  return t;
}

// ---------------------------------------------------------------------------------------
// Mapping.

TEST(MprisMapping, PlaybackAndLoopStatus) {
  EXPECT_EQ(PlaybackStatusText(PlaybackState::Playing), "Playing");
  EXPECT_EQ(PlaybackStatusText(PlaybackState::Paused), "Paused");
  EXPECT_EQ(PlaybackStatusText(PlaybackState::Stopped), "Stopped");
  EXPECT_EQ(LoopStatusText(true), "Playlist");
  EXPECT_EQ(LoopStatusText(false), "None");
  const std::vector<std::pair<QString, std::optional<bool>>> cases = {
      {"None", false},         {"Playlist", true},
      {"Track", std::nullopt}, {"playlist", std::nullopt},
      {"", std::nullopt},      {QString(70000, 'x'), std::nullopt}};
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(RepeatFromLoopStatus(text), expected) << text.left(20).toStdString();
}

TEST(MprisMapping, VolumeIsClampedAndRoundTrips) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<std::pair<double, std::optional<int32_t>>> cases = {
      {0.0, 0},       {1.0, 65535}, {0.5, 32768}, {-0.1, 0},
      {1.5, 65535},   {-inf, 0},    {inf, 65535}, {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
      {1e300, 65535}, {-1e300, 0}};
  for (const auto& [volume, bar] : cases) EXPECT_EQ(BarFromVolume(volume), bar) << volume;
  for (const int32_t bar : {0, 1, 13106, 32768, 52427, 65534, 65535}) EXPECT_EQ(BarFromVolume(VolumeFromBar(bar)), bar);
  EXPECT_DOUBLE_EQ(VolumeFromBar(-5), 0.0);
  EXPECT_DOUBLE_EQ(VolumeFromBar(70000), 1.0);
}

TEST(MprisMapping, MetadataOfATaggedTrack) {
  const QVariantMap map = MetadataMap(TaggedTrack(), TrackIdPath(7));
  EXPECT_EQ(map.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/vombrel/Vombrel/Track/7");
  EXPECT_EQ(map.value("mpris:length").metaType(), QMetaType::fromType<qlonglong>());
  EXPECT_EQ(map.value("mpris:length").toLongLong(), 180000000LL);
  EXPECT_EQ(map.value("xesam:title").toString(), "First Song");
  EXPECT_EQ(map.value("xesam:artist").toStringList(), QStringList{"The Band"});
  EXPECT_EQ(map.value("xesam:artist").metaType(), QMetaType::fromType<QStringList>());
  EXPECT_EQ(map.value("xesam:album").toString(), "Some Album");
  EXPECT_EQ(map.value("xesam:genre").toStringList(), QStringList{"Rock"});
  EXPECT_EQ(map.value("xesam:trackNumber").metaType(), QMetaType::fromType<int>());
  EXPECT_EQ(map.value("xesam:trackNumber").toInt(), 1);
  EXPECT_EQ(map.value("xesam:url").toString(), "file:///music/Some%20Album/01%20first.mp3");
}

TEST(MprisMapping, MetadataWithoutTagsShowsTheFileName) {
  TrackDescription t;
  t.path = "/music/plain tone.wav";
  t.title = "   ";  // blanks only count as no title
  const QVariantMap map = MetadataMap(t, TrackIdPath(1));
  EXPECT_EQ(map.value("xesam:title").toString(), "plain tone.wav");
  for (const char* key : {"mpris:length", "xesam:artist", "xesam:album", "xesam:genre", "xesam:trackNumber"})
    EXPECT_FALSE(map.contains(key)) << key;
  EXPECT_EQ(map.value("xesam:url").toString(), "file:///music/plain%20tone.wav");
}

TEST(MprisMapping, NoTrackHasTheNoTrackIdAlone) {
  const QVariantMap map = MetadataMap(std::nullopt, TrackIdPath(3));
  ASSERT_EQ(map.size(), 1);
  EXPECT_EQ(map.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/mpris/MediaPlayer2/TrackList/NoTrack");
}

TEST(MprisMapping, RelativeSeek) {
  using K = SeekPlan::Kind;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  const struct {
    PlaybackState state;
    int32_t position, length;
    int64_t offsetUs;
    SeekPlan plan;
  } cases[] = {
      {PlaybackState::Playing, 10000, 60000, 5000000, {K::SeekTo, 15000}},
      {PlaybackState::Paused, 10000, 60000, -3000000, {K::SeekTo, 7000}},
      {PlaybackState::Playing, 10000, 60000, -20000000, {K::SeekTo, 0}},
      {PlaybackState::Playing, 10000, 60000, 50000000, {K::SeekTo, 60000}},
      {PlaybackState::Playing, 10000, 60000, 50001000, {K::Next, 0}},
      {PlaybackState::Playing, 10000, 60000, kMax, {K::Next, 0}},
      {PlaybackState::Playing, 10000, 60000, kMin, {K::SeekTo, 0}},
      {PlaybackState::Stopped, 10000, 60000, 1000000, {K::Ignore, 0}},
      {PlaybackState::Playing, 10000, 0, 1000000, {K::Ignore, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(PlanSeek(c.state, c.position, c.length, c.offsetUs), c.plan) << c.offsetUs;
}

TEST(MprisMapping, AbsoluteSeekWantsTheCurrentTrackAndAPositionInside) {
  const QString id = TrackIdPath(4);
  const struct {
    PlaybackState state;
    QString trackId;
    int64_t positionUs;
    std::optional<int32_t> target;
  } cases[] = {
      {PlaybackState::Playing, id, 30000000, 30000},
      {PlaybackState::Paused, id, 0, 0},
      {PlaybackState::Playing, id, 60000000, 60000},
      {PlaybackState::Playing, id, 60001000, std::nullopt},
      {PlaybackState::Playing, id, -1, std::nullopt},
      {PlaybackState::Playing, id, std::numeric_limits<int64_t>::max(), std::nullopt},
      {PlaybackState::Playing, TrackIdPath(3), 1000000, std::nullopt},
      {PlaybackState::Playing, kMprisNoTrack, 1000000, std::nullopt},
      {PlaybackState::Stopped, id, 1000000, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlanSetPosition(c.state, id, 60000, c.trackId, c.positionUs), c.target) << c.positionUs;
}

TEST(MprisMapping, OpenUriTakesExistingLocalFilesOnly) {
  QTemporaryDir folder;
  const QString file = folder.path() + "/a song #1.mp3";
  QFile(file).open(QIODevice::WriteOnly);
  const QString fileUri = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
  EXPECT_EQ(LocalFileOfUri(fileUri), file.toStdString());
  for (const QString& bad :
       {QString("http://example.invalid/a.mp3"), QString("a.mp3"), file, QUrl::fromLocalFile(folder.path()).toString(),
        QUrl::fromLocalFile(file + "x").toString(), QString("file://"), QString(),
        QString("file:///") + QString(65536, 'a'), QString(65536, ':'), QString("file:///%00")})
    EXPECT_EQ(LocalFileOfUri(bad), std::nullopt) << bad.left(60).toStdString();
}

TEST(MprisMapping, PositionJumps) {
  EXPECT_FALSE(PositionJumped(10000, true, 1000, 11000));
  EXPECT_FALSE(PositionJumped(10000, true, 500, 11200));  // timer jitter
  EXPECT_TRUE(PositionJumped(10000, true, 1000, 30000));
  EXPECT_TRUE(PositionJumped(10000, true, 1000, 2000));
  EXPECT_FALSE(PositionJumped(10000, false, 5000, 10000));
  EXPECT_TRUE(PositionJumped(10000, false, 5000, 15000));
}

// ---------------------------------------------------------------------------------------
// The service.

class Service : public ::testing::Test {
 protected:
  void SetUp() override {
    player_.track = TaggedTrack();
    player_.entries = 3;
  }
  // Runs the queued requests and the refresh they schedule.
  void Settle() {
    service_.RunPendingRequests();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
  }
  // The changes announced since the last call, merged.
  QVariantMap Announced() {
    QVariantMap merged;
    for (const auto& [interfaceName, changed] : spy_) {
      EXPECT_EQ(interfaceName, "org.mpris.MediaPlayer2.Player");
      for (auto it = changed.begin(); it != changed.end(); ++it) merged.insert(it.key(), it.value());
    }
    spy_.clear();
    return merged;
  }

  ScriptedPlayer player_;
  MprisService service_{player_};
  std::vector<std::pair<QString, QVariantMap>> spy_;
  std::vector<qlonglong> seeked_;
  QMetaObject::Connection changes_ = QObject::connect(
      &service_, &MprisService::PropertiesChanged,
      [this](const QString& interfaceName, const QVariantMap& changed) { spy_.emplace_back(interfaceName, changed); });
  QMetaObject::Connection seeks_ = QObject::connect(&service_, &MprisService::Seeked,
                                                    [this](qlonglong position) { seeked_.push_back(position); });
};

TEST_F(Service, PropertiesReadTheCurrentState) {
  player_.state = PlaybackState::Paused;
  player_.position = 12345;
  player_.volume = 32768;
  player_.repeat = false;
  EXPECT_EQ(service_.PlaybackStatus(), "Paused");
  EXPECT_EQ(service_.Position(), 12345000);
  EXPECT_NEAR(service_.Volume(), 0.5, 1e-4);
  EXPECT_EQ(service_.LoopStatus(), "None");
  EXPECT_FALSE(service_.Shuffle());
  EXPECT_TRUE(service_.CanSeek());
  EXPECT_EQ(service_.Metadata().value("xesam:title").toString(), "First Song");
  player_.state = PlaybackState::Stopped;
  EXPECT_FALSE(service_.CanSeek());
  player_.entries = 0;
  player_.track.reset();
  EXPECT_FALSE(service_.CanPlay());
  EXPECT_FALSE(service_.CanGoNext());
}

TEST_F(Service, TheTrackIdChangesWithTheCurrentEntryOnly) {
  const QString first = service_.Metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
  EXPECT_EQ(service_.Metadata().value("mpris:trackid").value<QDBusObjectPath>().path(), first);
  player_.track->index = 0;
  const QString second = service_.Metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
  EXPECT_NE(second, first);
  player_.track->path = "/other.mp3";  // another file at the same place
  EXPECT_NE(service_.Metadata().value("mpris:trackid").value<QDBusObjectPath>().path(), second);
}

TEST_F(Service, TransportRequestsEndInThePlayersOperations) {
  const struct {
    PlaybackState state;
    void (MprisService::*request)();
    std::vector<std::string> calls;
    PlaybackState after;
  } cases[] = {
      {PlaybackState::Stopped, &MprisService::Play, {"Play"}, PlaybackState::Playing},
      {PlaybackState::Playing, &MprisService::Play, {}, PlaybackState::Playing},
      {PlaybackState::Paused, &MprisService::Play, {"TogglePause"}, PlaybackState::Playing},
      {PlaybackState::Playing, &MprisService::Pause, {"TogglePause"}, PlaybackState::Paused},
      {PlaybackState::Paused, &MprisService::Pause, {}, PlaybackState::Paused},
      {PlaybackState::Stopped, &MprisService::Pause, {}, PlaybackState::Stopped},
      {PlaybackState::Playing, &MprisService::PlayPause, {"TogglePause"}, PlaybackState::Paused},
      {PlaybackState::Paused, &MprisService::PlayPause, {"TogglePause"}, PlaybackState::Playing},
      {PlaybackState::Stopped, &MprisService::PlayPause, {"Play"}, PlaybackState::Playing},
      {PlaybackState::Playing, &MprisService::Stop, {"Stop"}, PlaybackState::Stopped},
      {PlaybackState::Playing, &MprisService::Next, {"Next"}, PlaybackState::Playing},
      {PlaybackState::Playing, &MprisService::Previous, {"Previous"}, PlaybackState::Playing},
      {PlaybackState::Playing, &MprisService::Raise, {"Raise"}, PlaybackState::Playing},
      {PlaybackState::Playing, &MprisService::Quit, {"Quit"}, PlaybackState::Playing},
  };
  for (const auto& c : cases) {
    player_.state = c.state;
    player_.pausedFlag = c.state == PlaybackState::Paused;
    player_.calls.clear();
    (service_.*c.request)();
    EXPECT_TRUE(player_.calls.empty()) << "requests wait for the event loop";
    Settle();
    EXPECT_EQ(player_.calls, c.calls) << static_cast<int>(c.state);
    EXPECT_EQ(player_.state, c.after) << static_cast<int>(c.state);
  }
}

// Paused while stopped, then played: the window's flag says paused while the engine
// plays. Pause must still pause.
TEST_F(Service, PauseReachesPausedWhenTheToggleIsOutOfStep) {
  player_.state = PlaybackState::Playing;
  player_.pausedFlag = true;
  service_.Pause();
  Settle();
  EXPECT_EQ(player_.state, PlaybackState::Paused);
  EXPECT_EQ(player_.Count("TogglePause"), 2);
}

TEST_F(Service, AFloodOfRequestsIsBounded) {
  player_.state = PlaybackState::Playing;
  for (int i = 0; i < 10000; ++i) service_.Next();
  Settle();
  // The burst, and what trickled in while the loop ran (a few at most).
  EXPECT_GE(player_.Count("Next"), static_cast<int>(MprisService::kMaxPendingRequests));
  EXPECT_LE(player_.Count("Next"), static_cast<int>(MprisService::kMaxPendingRequests) + 5);
}

TEST_F(Service, SeeksAreClampedOrStepToTheNextTrack) {
  player_.state = PlaybackState::Playing;
  player_.position = 10000;
  service_.Seek(-60000000);
  Settle();
  EXPECT_EQ(player_.calls, std::vector<std::string>{"SeekTo 0"});
  ASSERT_EQ(seeked_.size(), 1);
  EXPECT_EQ(seeked_.at(0), 0);
  service_.Seek(std::numeric_limits<qlonglong>::max());
  Settle();
  EXPECT_EQ(player_.calls.back(), "Next");
  player_.state = PlaybackState::Stopped;
  player_.calls.clear();
  service_.Seek(1000000);
  Settle();
  EXPECT_TRUE(player_.calls.empty());
}

TEST_F(Service, SetPositionWantsTheCurrentTrackId) {
  player_.state = PlaybackState::Playing;
  const QString id = service_.Metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
  service_.SetPosition(id, 90000000);
  Settle();
  EXPECT_EQ(player_.calls, std::vector<std::string>{"SeekTo 90000"});
  player_.calls.clear();
  service_.SetPosition("/org/vombrel/Vombrel/Track/999", 1000000);  // stale
  service_.SetPosition(id, 180000001);                              // past the end
  service_.SetPosition(id, -5);
  Settle();
  EXPECT_TRUE(player_.calls.empty());
}

TEST_F(Service, VolumeSettingsAreClampedAndABurstSetsOnce) {
  service_.SetVolume(-3);
  Settle();
  EXPECT_EQ(player_.calls, std::vector<std::string>{"SetVolume 0"});
  player_.calls.clear();
  for (const double v : {0.1, 0.2, std::numeric_limits<double>::quiet_NaN(), 0.9, 7.0}) service_.SetVolume(v);
  Settle();
  EXPECT_EQ(player_.calls, std::vector<std::string>{"SetVolume 65535"});
}

TEST_F(Service, LoopAndShuffleBothWays) {
  service_.SetLoopStatus("None");
  EXPECT_FALSE(player_.repeat);
  service_.SetLoopStatus("Track");  // not something the player does: unchanged
  EXPECT_FALSE(player_.repeat);
  service_.SetLoopStatus("Playlist");
  EXPECT_TRUE(player_.repeat);
  service_.SetShuffle(true);
  EXPECT_TRUE(player_.shuffle);
  EXPECT_TRUE(service_.Shuffle());
}

TEST_F(Service, OpenUriHandsOverLocalFiles) {
  QTemporaryDir folder;
  const QString file = folder.path() + "/x.mp3";
  QFile(file).open(QIODevice::WriteOnly);
  service_.OpenUri("https://example.invalid/stream");
  service_.OpenUri(QUrl::fromLocalFile(file + ".missing").toString());
  service_.OpenUri(QUrl::fromLocalFile(file).toString());
  Settle();
  EXPECT_EQ(player_.calls, std::vector<std::string>{"OpenFile " + file.toStdString()});
}

TEST_F(Service, RefreshAnnouncesWhatChangedOnly) {
  service_.Refresh();
  const QVariantMap first = Announced();
  for (const char* name : {"PlaybackStatus", "LoopStatus", "Shuffle", "Volume", "Metadata", "CanGoNext",
                           "CanGoPrevious", "CanPlay", "CanPause", "CanSeek"})
    EXPECT_TRUE(first.contains(name)) << name;
  service_.Refresh();
  EXPECT_TRUE(Announced().isEmpty());

  const struct {
    const char* what;
    std::function<void()> change;
    QStringList announced;
  } cases[] = {
      {"play", [&] { player_.state = PlaybackState::Playing; }, {"PlaybackStatus", "CanSeek"}},
      {"pause", [&] { player_.state = PlaybackState::Paused; }, {"PlaybackStatus"}},
      {"repeat", [&] { player_.repeat = false; }, {"LoopStatus"}},
      {"shuffle", [&] { player_.shuffle = true; }, {"Shuffle"}},
      {"volume", [&] { player_.volume = 100; }, {"Volume"}},
      {"next track", [&] { player_.track->index = 0; }, {"Metadata"}},
      {"tags", [&] { player_.track->title = "Renamed"; }, {"Metadata"}},
      {"position only", [&] { player_.position += 400; }, {}},
      {"empty list",
       [&] {
         player_.entries = 0;
         player_.track.reset();
       },
       {"Metadata", "CanGoNext", "CanGoPrevious", "CanPlay", "CanPause", "CanSeek"}},
  };
  for (const auto& c : cases) {
    c.change();
    service_.Refresh();
    QStringList keys = Announced().keys();
    keys.sort();
    QStringList expected = c.announced;
    expected.sort();
    EXPECT_EQ(keys, expected) << c.what;
  }
}

TEST_F(Service, APositionJumpIsAnnouncedAsSeeked) {
  player_.state = PlaybackState::Paused;
  player_.position = 5000;
  service_.Refresh();
  service_.Refresh();
  EXPECT_EQ(seeked_.size(), 0);
  player_.position = 40000;  // the position bar moved it
  service_.Refresh();
  ASSERT_EQ(seeked_.size(), 1);
  EXPECT_EQ(seeked_.at(0), 40000000);
  // A new track starting from 0 is no seek.
  player_.track->index = 1;
  player_.position = 0;
  service_.Refresh();
  EXPECT_EQ(seeked_.size(), 1);
}

TEST_F(Service, ScheduledRefreshesMergeIntoOne) {
  service_.Refresh();
  Announced();
  player_.volume = 1;
  for (int i = 0; i < 100; ++i) service_.ScheduleRefresh();
  QCoreApplication::processEvents();
  EXPECT_EQ(spy_.size(), 1);
}

}  // namespace
}  // namespace vombrel
