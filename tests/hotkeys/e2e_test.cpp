// The real program under the test environment's X server and PulseAudio daemon: hot keys
// from the "HotKeys" section, pressed with xdotool while another program has the focus
// (none has), checked at the sink; a combination another X client holds is skipped.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <fstream>

#include "../e2e/E2eHarness.h"
#include "Grabber.h"

namespace vombrel::e2e {
namespace {

using std::chrono::seconds;

constexpr int kLow = 440;
constexpr int kHigh = 1500;
constexpr unsigned kXControl = 4, kXMod1 = 8;

// The null sink's volume, 0..65536 (100 %), from its first channel.
int SinkVolume() {
  const auto text = RunCommand("pactl get-sink-volume nullsink").output;
  const auto colon = text.find(':', text.find("front-left"));
  return colon == std::string::npos ? -1 : std::atoi(text.c_str() + colon + 1);
}

void Key(const std::string& keys) { RunCommand("xdotool key " + keys); }

class HotKeysOfTheProgram : public ::testing::Test {
 protected:
  // Tones long enough that no track ends during the test: a step to the next track is
  // the hot key's doing.
  void SetUp() override {
    media_ = std::make_unique<TempFolder>("vombrel-hotkeys-media");
    home_ = std::make_unique<TempFolder>("vombrel-hotkeys-home");
    low_ = MakeTone(media_->Path(), "low.mp3", 40, kLow);
    high_ = MakeTone(media_->Path(), "high.mp3", 40, kHigh);
    RunCommand("pactl set-sink-volume nullsink 100%");
  }
  void TearDown() override { RunCommand("pactl set-sink-volume nullsink 100%"); }

  void WriteSettings(const std::string& text) {
    const fs::path ini = Vombrel::UserFolder(home_->Path()) / "Config" / "Kelvatro" / "Vombrel.ini";
    fs::create_directories(ini.parent_path());
    std::ofstream(ini, std::ios::binary) << text;
  }
  std::unique_ptr<Vombrel> Start() {
    const fs::path list = home_->Path() / "list.m3u";
    std::ofstream(list, std::ios::binary) << low_.string() << "\r\n" << high_.string() << "\r\n";
    auto player = std::make_unique<Vombrel>(home_->Path(), std::vector<std::string>{list.string()});
    // The shared X server now and then refuses a connection while it is busy.
    bool shown = player->WaitForMainWindow();
    if (!shown && player->Output().find("could not connect to display") != std::string::npos) {
      player = std::make_unique<Vombrel>(home_->Path(), std::vector<std::string>{list.string()});
      shown = player->WaitForMainWindow();
    }
    EXPECT_TRUE(shown);
    return player;
  }

  std::unique_ptr<TempFolder> media_, home_;
  fs::path low_, high_;
};

TEST_F(HotKeysOfTheProgram, ControlPlaybackAndVolumeFromAnywhere) {
  // Previous's combination belongs to another program before the player starts.
  testing::Grabber other(kXControl | kXMod1, XK_b);
  ASSERT_TRUE(other.Holds()) << other.Output();
  WriteSettings(
      "[HotKeys]\r\nPlay=Ctrl+Alt+P;ON\r\nStop=Ctrl+Alt+S;ON\r\nNext=Ctrl+Alt+N;ON\r\n"
      "VolumeDec=Ctrl+Alt+D;ON\r\nPrevious=Ctrl+Alt+B;ON\r\nPause=Ctrl+Alt+U;OFF\r\n");
  auto player = Start();
  ASSERT_TRUE(Hears(kLow));

  Key("ctrl+alt+s");
  EXPECT_TRUE(Hears(0));
  Key("ctrl+alt+p");  // stopped: plays
  EXPECT_TRUE(Hears(kLow));
  Key("ctrl+alt+p");  // playing: pauses
  EXPECT_TRUE(Hears(0));
  Key("ctrl+alt+p");  // paused: resumes
  EXPECT_TRUE(Hears(kLow));
  // Also while the player's own window has the focus.
  RunCommand("xdotool windowfocus --sync " + player->MainWindow());
  Key("ctrl+alt+n");
  EXPECT_TRUE(Hears(kHigh));

  // The held combination reaches its holder; the player neither acts nor complains.
  Key("ctrl+alt+b");
  EXPECT_TRUE(WaitUntil([&] { return other.Presses() == 1; }, seconds(10)));
  // A switched-off hot key takes nothing: another client can have it.
  testing::Grabber pauseKey(kXControl | kXMod1, XK_u);
  EXPECT_TRUE(pauseKey.Holds()) << pauseKey.Output();
  EXPECT_TRUE(Hears(kHigh));

  Key("ctrl+alt+d");
  EXPECT_TRUE(WaitUntil([] { return SinkVolume() < 65536; }, seconds(10)));
  EXPECT_NEAR(SinkVolume(), 65536.0 * (65535 - 6553) / 65535, 700);

  // Outside full screen Esc belongs to whoever takes it.
  testing::Grabber esc(0, XK_Escape);
  EXPECT_TRUE(esc.Holds()) << esc.Output();

  EXPECT_TRUE(player->Running());
  EXPECT_EQ(player->VisibleWindows(), 1);
  // No X error reached the program's connection.
  const std::string output = player->Output();
  EXPECT_EQ(output.find("XCB error"), std::string::npos) << output;
  EXPECT_EQ(output.find("BadAccess"), std::string::npos) << output;
}

}  // namespace
}  // namespace vombrel::e2e
