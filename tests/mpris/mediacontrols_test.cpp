// The main window as the media controls see it: a scripted engine and volume, media files
// made with ffmpeg for the tags, offscreen and without a session bus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusObjectPath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "../app/Scriptedengine.h"
#include "app/Mediacontrols.h"
#include "app/VombrelMain.h"
#include "support/Configurazione.h"
#include "support/Supportlanguage.h"
#include "toolkit/Flatlists.h"

namespace fs = std::filesystem;

namespace vombrel {
namespace {

class WindowControls : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    media_ = new fs::path(fs::temp_directory_path() / ("vombrel-mpris-media-" + std::to_string(getpid())));
    fs::create_directories(*media_);
    auto make = [](const std::string& name, const std::string& arguments) {
      const std::string path = (*media_ / name).string();
      std::system(
          ("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=2 " + arguments + " '" + path + "' </dev/null")
              .c_str());
      return path;
    };
    tagged_ = make("song.mp3",
                   "-metadata title='Sine Song' -metadata artist='Test Artist' -metadata album='Tones' "
                   "-metadata track=7 -metadata genre=Rock -b:a 128k -id3v2_version 3");
    plain_ = make("plain tone.wav", "");
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(*media_, ignored);
    delete media_;
  }

  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-mpris-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    files_[tagged_] = {true, true, 2100};
    files_[plain_] = {true, true, 2000};
  }
  void TearDown() override {
    controls_.reset();
    window_.reset();
    FreeMessages();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  TFormVombrel& Open(std::vector<std::string> arguments) {
    EngineFactory factory = [this](const std::string&, NotifyHandler notify) {
      auto engine = std::make_unique<testing::ScriptedEngine>(dispatcher_);
      engine->InitPlayer(nullptr, std::move(notify));
      engine->files = files_;
      engine_ = engine.get();
      return engine;
    };
    OutputVolume volume{[this]() -> std::optional<int32_t> { return deviceVolume_; },
                        [this](int32_t v) { deviceVolume_ = v; }};
    window_ = std::make_unique<TFormVombrel>(std::move(arguments), factory, volume);
    controls_ = std::make_unique<MediaControls>(*window_);
    window_->show();
    QCoreApplication::processEvents();
    return *window_;
  }
  MainWindowMediaControls Adapter() { return MainWindowMediaControls(*window_); }

  static fs::path* media_;
  static std::string tagged_, plain_;
  fs::path root_;
  testing::NullDispatcher dispatcher_;
  std::map<std::string, testing::ScriptedFile> files_;
  testing::ScriptedEngine* engine_ = nullptr;
  int32_t deviceVolume_ = 65535;
  std::unique_ptr<TFormVombrel> window_;
  std::unique_ptr<MediaControls> controls_;
};

fs::path* WindowControls::media_ = nullptr;
std::string WindowControls::tagged_, WindowControls::plain_;

TEST_F(WindowControls, TheTagPanelsReadersGiveTheMetadata) {
  Open({tagged_});
  auto adapter = Adapter();
  EXPECT_EQ(adapter.State(), PlaybackState::Playing);
  const auto track = adapter.CurrentTrack();
  ASSERT_TRUE(track);
  EXPECT_EQ(track->path, tagged_);
  EXPECT_EQ(track->title, "Sine Song");
  EXPECT_EQ(track->artist, "Test Artist");
  EXPECT_EQ(track->album, "Tones");
  EXPECT_EQ(track->genre, "Rock");
  EXPECT_EQ(track->trackNumber, 7);
  // The MPEG stream information gives an MP3's length, as it does for the total time.
  EXPECT_NEAR(track->lengthMs, 2000, 100);
  const QVariantMap map = controls_->Service().Metadata();
  EXPECT_EQ(map.value("xesam:title").toString().toStdString(), window_->TagTitolo->text().toStdString());
  EXPECT_EQ(map.value("xesam:artist").toStringList(), QStringList{window_->TagArtista->text()});
}

TEST_F(WindowControls, AFileWithoutTagsIsNamedByItsFileAndTheEngineGivesItsLength) {
  Open({plain_});
  const auto track = Adapter().CurrentTrack();
  ASSERT_TRUE(track);
  EXPECT_EQ(track->title, "");
  EXPECT_EQ(track->lengthMs, 2000);
  EXPECT_EQ(controls_->Service().Metadata().value("xesam:title").toString(), "plain tone.wav");
  EXPECT_EQ(controls_->Service().Metadata().value("mpris:length").toLongLong(), 2000000);
}

TEST_F(WindowControls, StateFollowsTheEngine) {
  TFormVombrel& w = Open({plain_});
  auto adapter = Adapter();
  const struct {
    PlayerMode mode;
    PlaybackState state;
  } cases[] = {{PlayerMode::Playing, PlaybackState::Playing},  {PlayerMode::Paused, PlaybackState::Paused},
               {PlayerMode::Stopped, PlaybackState::Stopped},  {PlayerMode::Open, PlaybackState::Stopped},
               {PlayerMode::NotReady, PlaybackState::Stopped}, {PlayerMode::Seeking, PlaybackState::Stopped}};
  for (const auto& c : cases) {
    engine_->mode = c.mode;
    EXPECT_EQ(adapter.State(), c.state) << static_cast<int>(c.mode);
  }
  engine_->mode = PlayerMode::Playing;
  engine_->position = 1234;
  EXPECT_EQ(adapter.PositionMs(), 1234);
  engine_->throwing = {"GetMode", "GetPosition", "GetLength"};
  EXPECT_EQ(adapter.State(), PlaybackState::Stopped);
  EXPECT_EQ(adapter.PositionMs(), 0);
  engine_->throwing.clear();
  w.DestroyPlayerEngine();
  EXPECT_EQ(adapter.State(), PlaybackState::Stopped);
  EXPECT_EQ(adapter.PositionMs(), 0);
}

TEST_F(WindowControls, PauseAndResumeKeepThePauseButtonInStep) {
  TFormVombrel& w = Open({plain_});
  auto adapter = Adapter();
  adapter.TogglePause();
  EXPECT_EQ(engine_->mode, PlayerMode::Paused);
  EXPECT_TRUE(w.ButtonPause->Down());
  adapter.TogglePause();
  EXPECT_EQ(engine_->mode, PlayerMode::Playing);
  EXPECT_FALSE(w.ButtonPause->Down());
}

TEST_F(WindowControls, SeekingNeedsATrackThatPlays) {
  Open({plain_});
  auto adapter = Adapter();
  adapter.SeekTo(1500);
  EXPECT_EQ(engine_->Count("SetPosition 1500"), 1);
  adapter.Stop();
  adapter.SeekTo(500);
  EXPECT_EQ(engine_->Count("SetPosition 500"), 0);
}

TEST_F(WindowControls, VolumeBothWays) {
  TFormVombrel& w = Open({});
  auto adapter = Adapter();
  adapter.SetVolume(13106);
  EXPECT_EQ(deviceVolume_, 13106);
  EXPECT_EQ(w.Volume->Position(), 13106);
  deviceVolume_ = 52427;  // another program changed it
  w.SyncVolumeBar();
  EXPECT_EQ(adapter.Volume(), 52427);
}

TEST_F(WindowControls, LoopShuffleAndTransportReachTheWindow) {
  TFormVombrel& w = Open({plain_});
  auto adapter = Adapter();
  adapter.SetRepeat(false);
  adapter.SetShuffle(true);
  EXPECT_FALSE(w.Playlist().Repeat);
  EXPECT_TRUE(w.Playlist().Shuffle);
  adapter.Stop();
  EXPECT_TRUE(w.Playlist().StopRequested);
  EXPECT_EQ(adapter.State(), PlaybackState::Stopped);
  adapter.Play();
  EXPECT_EQ(adapter.State(), PlaybackState::Playing);
}

TEST_F(WindowControls, OpenFileIsAHandOver) {
  TFormVombrel& w = Open({plain_});
  Adapter().OpenFile(tagged_);
  EXPECT_EQ(w.Playlist().Entries, StringList{tagged_});
  EXPECT_EQ(engine_->fileName, tagged_);
  EXPECT_EQ(engine_->mode, PlayerMode::Playing);
}

TEST_F(WindowControls, RaiseShowsAHiddenWindow) {
  TFormVombrel& w = Open({});
  w.hide();
  Adapter().Raise();
  EXPECT_TRUE(w.isVisible());
}

TEST_F(WindowControls, QuitIsTheCloseSequence) {
  TFormVombrel& w = Open({plain_});
  bool closed = false;
  QObject::connect(&w, &TFormVombrel::Closed, [&] { closed = true; });
  w.Playlist().Shuffle = true;
  Adapter().Quit();
  EXPECT_TRUE(closed);
  EXPECT_EQ(w.Engine(), nullptr);
  InitSharedConfig("Kelvatro/Vombrel");
  EXPECT_TRUE(UserConfig().ReadBool("General", "Shuffle", false));
  FreeSharedConfig();
}

TEST_F(WindowControls, WithoutASessionBusThePlayerGoesOn) {
  Open({plain_});
  EXPECT_FALSE(controls_->Service().Published());
}

// The window's buttons tell the controls at once; the changed state is announced.
TEST_F(WindowControls, AButtonClickIsAnnounced) {
  TFormVombrel& w = Open({plain_});
  controls_->Service().Refresh();
  std::vector<QVariantMap> announced;
  QObject::connect(&controls_->Service(), &MprisService::PropertiesChanged,
                   [&](const QString&, const QVariantMap& changed) { announced.push_back(changed); });
  w.ButtonStopClick();
  emit w.ButtonStop->Click();
  QCoreApplication::processEvents();
  ASSERT_EQ(announced.size(), 1u);
  EXPECT_EQ(announced.front().value("PlaybackStatus").toString(), "Stopped");
}

// The end of a track reaches the window through the engine's notification; the window's
// next tick tells the controls, which announce the new track.
TEST_F(WindowControls, TheNextTrackAfterAnEndIsAnnounced) {
  TFormVombrel& w = Open({plain_});
  w.Playlist().AddFile(tagged_);
  controls_->Service().Refresh();
  std::vector<QVariantMap> announced;
  QObject::connect(&controls_->Service(), &MprisService::PropertiesChanged,
                   [&](const QString&, const QVariantMap& changed) { announced.push_back(changed); });
  engine_->position = engine_->length;
  engine_->notify(engine_);
  ASSERT_EQ(engine_->fileName, tagged_);
  EXPECT_TRUE(announced.empty());
  w.PlayerTimer->start(0);  // the tick, now
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  w.PlayerTimer->stop();
  ASSERT_FALSE(announced.empty());
  EXPECT_EQ(announced.front().value("Metadata").toMap().value("xesam:title").toString(), "Sine Song");
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The controls are tested without a bus; the end-to-end test has one.
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
