// The main window's hot keys with a scripted registrar and a scripted engine, offscreen:
// what each press does, a rebuild through LoadSettings, and the Esc hot key of full
// screen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <memory>

#include "../app/Scriptedengine.h"
#include "Scriptedregistrar.h"
#include "app/VombrelMain.h"
#include "support/Supportlanguage.h"

namespace fs = std::filesystem;

namespace vombrel {
namespace {

constexpr uint32_t kCtrlAlt = MOD_CONTROL | MOD_ALT;

class WindowHotKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-hotkeys-window-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    previous_ = SetHotKeyRegistrar(&registrar_);
    files_["/a.wav"] = {};
    files_["/b.wav"] = {};
    files_["/film.avi"] = {true, false, 60000};
  }
  void TearDown() override {
    window_.reset();
    EXPECT_EQ(registrar_.HeldCount(), 0u);  // the window gave every combination back
    SetHotKeyRegistrar(previous_);
    FreeMessages();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  void WriteSettings(const std::string& hotKeyLines) {
    const fs::path ini = root_ / "hotkeys_window_tests" / "Config" / "Kelvatro" / "Vombrel.ini";
    fs::create_directories(ini.parent_path());
    std::ofstream(ini, std::ios::binary) << "[HotKeys]\r\n" << hotKeyLines;
  }

  TFormVombrel& Open() {
    EngineFactory factory = [this](const std::string&, NotifyHandler notify) {
      auto engine = std::make_unique<testing::ScriptedEngine>(dispatcher_);
      engine->InitPlayer(nullptr, std::move(notify));
      engine->files = files_;
      engine_ = engine.get();
      return engine;
    };
    OutputVolume volume{[this]() -> std::optional<int32_t> { return deviceVolume_; },
                        [this](int32_t v) {
                          deviceVolume_ = v;
                          volumeWrites_.push_back(v);
                        }};
    window_ = std::make_unique<TFormVombrel>(std::vector<std::string>{}, factory, volume);
    window_->show();
    QCoreApplication::processEvents();
    return *window_;
  }

  fs::path root_;
  testing::ScriptedRegistrar registrar_;
  HotKeyRegistrar* previous_ = nullptr;
  testing::NullDispatcher dispatcher_;
  std::map<std::string, testing::ScriptedFile> files_;
  testing::ScriptedEngine* engine_ = nullptr;
  int32_t deviceVolume_ = 65535;
  std::vector<int32_t> volumeWrites_;
  std::unique_ptr<TFormVombrel> window_;
};

TEST_F(WindowHotKeys, EachActionRunsLikeItsButton) {
  WriteSettings(
      "Play=Ctrl+Alt+P;ON\r\nPause=Ctrl+Alt+U;ON\r\nStop=Ctrl+Alt+S;ON\r\nNext=Ctrl+Alt+N;ON\r\n"
      "Previous=Ctrl+Alt+B;ON\r\nVolumeInc=Ctrl+Alt+Up;ON\r\nVolumeDec=Ctrl+Alt+Down;ON\r\nMute=Ctrl+Alt+M;ON\r\n");
  TFormVombrel& w = Open();
  EXPECT_EQ(w.HotKeyList().size(), 8u);
  EXPECT_EQ(registrar_.HeldCount(), 8u);
  w.Playlist().Entries = {"/a.wav", "/b.wav"};
  w.Playlist().CurrentIndex = 0;
  ASSERT_NE(engine_, nullptr);

  // Play when stopped starts; when playing or paused it toggles the pause.
  registrar_.Press(kCtrlAlt, 'P');
  EXPECT_EQ(engine_->calls, (std::vector<std::string>{"Open /a.wav", "Play"}));
  registrar_.Press(kCtrlAlt, 'P');
  EXPECT_EQ(engine_->calls.back(), "Pause");
  EXPECT_TRUE(w.Paused());
  registrar_.Press(kCtrlAlt, 'P');
  EXPECT_EQ(engine_->calls.back(), "Resume");
  registrar_.Press(kCtrlAlt, 'U');
  EXPECT_EQ(engine_->calls.back(), "Pause");
  registrar_.Press(kCtrlAlt, 'U');
  EXPECT_EQ(engine_->calls.back(), "Resume");
  registrar_.Press(kCtrlAlt, 'N');
  EXPECT_EQ(engine_->fileName, "/b.wav");
  EXPECT_EQ(engine_->calls.back(), "Play");
  registrar_.Press(kCtrlAlt, 'B');
  EXPECT_EQ(engine_->fileName, "/a.wav");
  registrar_.Press(kCtrlAlt, 'S');
  EXPECT_EQ(engine_->calls.back(), "Stop");
  EXPECT_EQ(engine_->mode, PlayerMode::Stopped);
  registrar_.Press(kCtrlAlt, 'P');
  EXPECT_EQ(engine_->calls.back(), "Play");

  // The volume steps by 6553 from the bar's position; the bar follows at its next sync.
  registrar_.Press(kCtrlAlt, 38);  // at the top already: nothing
  EXPECT_TRUE(volumeWrites_.empty());
  registrar_.Press(kCtrlAlt, 40);
  EXPECT_EQ(volumeWrites_, (std::vector<int32_t>{65535 - 6553}));
  w.SyncVolumeBar();
  registrar_.Press(kCtrlAlt, 40);
  EXPECT_EQ(volumeWrites_.back(), 65535 - 2 * 6553);
  w.SyncVolumeBar();
  registrar_.Press(kCtrlAlt, 38);
  EXPECT_EQ(volumeWrites_.back(), 65535 - 6553);

  // A key that is no action holds its combination and does nothing.
  const auto calls = engine_->calls;
  const auto writes = volumeWrites_;
  EXPECT_TRUE(registrar_.Press(kCtrlAlt, 'M'));
  EXPECT_EQ(engine_->calls, calls);
  EXPECT_EQ(volumeWrites_, writes);
}

TEST_F(WindowHotKeys, LoadSettingsMovesACombinationInOneStep) {
  WriteSettings("Play=Ctrl+Alt+P;ON\r\nStop=Ctrl+Alt+S;OFF\r\n");
  TFormVombrel& w = Open();
  EXPECT_EQ(w.HotKeyList(), (StringList{"Play=Ctrl+Alt+P;ON", "Stop=Ctrl+Alt+S;OFF"}));
  EXPECT_FALSE(registrar_.IsHeld(kCtrlAlt, 'S'));
  WriteSettings("Stop=Ctrl+Alt+P;ON\r\nPlay=;OFF\r\n");
  w.LoadSettings();
  EXPECT_EQ(w.HotKeyList(), (StringList{"Stop=Ctrl+Alt+P;ON", "Play=;OFF"}));
  EXPECT_EQ(registrar_.HeldCount(), 1u);
  w.Playlist().Entries = {"/a.wav"};
  w.ButtonPlayClick();
  registrar_.Press(kCtrlAlt, 'P');
  EXPECT_EQ(engine_->calls.back(), "Stop");
}

TEST_F(WindowHotKeys, EscIsHeldOnlyInFullScreen) {
  WriteSettings("Play=Ctrl+Alt+P;ON\r\n");
  TFormVombrel& w = Open();
  EXPECT_EQ(w.EscHotKey(), nullptr);
  // Without a picture full screen does not start, and Esc stays free.
  w.ToggleFullScreen();
  EXPECT_EQ(w.EscHotKey(), nullptr);
  w.Playlist().Entries = {"/film.avi"};
  w.ButtonPlayClick();
  engine_->hasVideo = true;
  w.ToggleFullScreen();
  ASSERT_TRUE(w.FullScreenOn());
  ASSERT_NE(w.EscHotKey(), nullptr);
  EXPECT_EQ(w.EscHotKey()->Name(), "HK_ESC");
  EXPECT_TRUE(registrar_.IsHeld(0, 27));
  // A rebuild leaves it alone.
  w.LoadSettings();
  EXPECT_TRUE(registrar_.IsHeld(0, 27));
  EXPECT_EQ(w.HotKeyList(), StringList{"Play=Ctrl+Alt+P;ON"});
  // Esc leaves full screen and gives the key back.
  registrar_.Press(0, 27);
  EXPECT_FALSE(w.FullScreenOn());
  EXPECT_EQ(engine_->calls.back(), "SetFullScreen 0");
  EXPECT_FALSE(registrar_.IsHeld(0, 27));
  EXPECT_FALSE(registrar_.Press(0, 27));
  // Back into full screen by the window's own command: Esc is taken again, by the same object.
  TfisHotKey* esc = w.EscHotKey();
  w.ToggleFullScreen();
  EXPECT_EQ(w.EscHotKey(), esc);
  EXPECT_TRUE(registrar_.IsHeld(0, 27));
  w.ToggleFullScreen();
  EXPECT_FALSE(registrar_.IsHeld(0, 27));
}

// Another program holds a combination: that hot key never fires, the others work, and
// nothing is shown.
TEST_F(WindowHotKeys, HeldCombinationIsSkippedSilently) {
  registrar_.heldElsewhere.insert({kCtrlAlt, 'P'});
  WriteSettings("Play=Ctrl+Alt+P;ON\r\nNext=Ctrl+Alt+N;ON\r\n");
  TFormVombrel& w = Open();
  EXPECT_EQ(w.HotKeyList().size(), 2u);
  EXPECT_FALSE(w.HotKeys().Find("HK_Play")->Registered());
  EXPECT_TRUE(w.HotKeys().Find("HK_Next")->Registered());
  w.Playlist().Entries = {"/a.wav", "/b.wav"};
  registrar_.Press(kCtrlAlt, 'N');
  EXPECT_EQ(engine_->fileName, "/b.wav");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
