// The real vombrel under the test environment's X server and PulseAudio daemon: files
// made with ffmpeg, clicks with xdotool, sound checked at the sink's monitor.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "E2eHarness.h"
#include "app/Mainlayout.h"
#include "support/Supportaspetto.h"

namespace vombrel::e2e {
namespace {

namespace ml = mainlayout;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Tones told apart by their frequency at the sink.
constexpr int kLow = 440;
constexpr int kHigh = 1500;

// The colour of one pixel of a picture as "(r,g,b)".
std::string PixelAt(const fs::path& picture, int x, int y) {
  const std::string text = RunCommand("convert " + Quote(picture.string()) + " -crop 1x1+" + std::to_string(x) + "+" +
                                      std::to_string(y) +
                                      " -format \"(%[fx:int(255*r)],%[fx:int(255*g)],"
                                      "%[fx:int(255*b)])\" info:-")
                               .output;
  return text;
}

class RunningPlayer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    media_ = new TempFolder("vombrel-e2e-media");
    low_ = MakeTone(media_->Path(), "low tone.mp3", 30, kLow, "-metadata title='Low Tone' -id3v2_version 3");
    high_ = MakeTone(media_->Path(), "high.mp3", 30, kHigh);
    shortLow_ = MakeTone(media_->Path(), "short.mp3", 1.5, kLow);
    corrupt_ = media_->Path() / "corrupt.mp3";
    std::ofstream(corrupt_) << std::string(5000, 'x');
  }
  static void TearDownTestSuite() { delete media_; }

  void SetUp() override { home_ = std::make_unique<TempFolder>("vombrel-e2e-home"); }

  std::unique_ptr<Vombrel> Start(const std::vector<std::string>& arguments) {
    bool shown = false;
    auto player = StartShown(home_->Path(), arguments, &shown);
    EXPECT_TRUE(shown) << "no main window";
    return player;
  }
  void Click(Vombrel& player, ml::RowButton button) {
    const QRect r = ml::ButtonRect(button, false);
    player.ClickAt(r.center().x(), r.center().y());
  }
  fs::path WritePlaylist(const std::string& name, const std::vector<fs::path>& entries) {
    const fs::path path = home_->Path() / name;
    std::ofstream out(path, std::ios::binary);
    for (const auto& e : entries) out << e.string() << "\r\n";
    return path;
  }

  static TempFolder* media_;
  static fs::path low_, high_, shortLow_, corrupt_;
  std::unique_ptr<TempFolder> home_;
};

TempFolder* RunningPlayer::media_ = nullptr;
fs::path RunningPlayer::low_, RunningPlayer::high_, RunningPlayer::shortLow_, RunningPlayer::corrupt_;

TEST_F(RunningPlayer, StartWithAFilePlaysItAndKeepsIt) {
  auto player = Start({low_.string()});
  EXPECT_TRUE(Hears(kLow));
  EXPECT_GE(SinkInputsOf(player->Pid()), 1);
  EXPECT_EQ(Vombrel::Autosave(home_->Path()), low_.string() + "\r\n");
}

TEST_F(RunningPlayer, SecondStartHandsOverAndEnds) {
  auto first = Start({low_.string()});
  ASSERT_TRUE(Hears(kLow));
  Vombrel second(home_->Path(), {high_.string()});
  EXPECT_EQ(second.WaitForExit(seconds(10)), 0);
  EXPECT_TRUE(first->Running());
  EXPECT_TRUE(Hears(kHigh));
  EXPECT_EQ(Vombrel::Autosave(home_->Path()), high_.string() + "\r\n");
  // A playlist: replaced by its lines, played from its first entry.
  const fs::path list = WritePlaylist("list.m3u", {low_, high_});
  Vombrel third(home_->Path(), {list.string()});
  EXPECT_EQ(third.WaitForExit(seconds(10)), 0);
  EXPECT_TRUE(Hears(kLow));
  EXPECT_EQ(Vombrel::Autosave(home_->Path()), low_.string() + "\r\n" + high_.string() + "\r\n");
}

// The title row as painted: "No Playback" before, the track's title after a file is
// handed over (its pixels change; the exact text is checked by the window's own tests).
TEST_F(RunningPlayer, TitleRowShowsTheTrack) {
  auto player = Start({});
  auto titlePixels = [&] {
    const fs::path shot = home_->Path() / "title.png";
    const QRect r = ml::kTitlePanel;
    RunCommand("import -window " + player->MainWindow() + " -crop " + std::to_string(r.width()) + "x" +
               std::to_string(r.height()) + "+" + std::to_string(r.x()) + "+" + std::to_string(r.y()) + " " +
               Quote(shot.string()));
    return RunCommand("convert " + Quote(shot.string()) + " txt:- | md5sum").output;
  };
  const std::string before = titlePixels();
  EXPECT_EQ(titlePixels(), before);  // the same picture twice while nothing changes
  Vombrel second(home_->Path(), {low_.string()});
  EXPECT_EQ(second.WaitForExit(seconds(10)), 0);
  ASSERT_TRUE(Hears(kLow));
  EXPECT_NE(titlePixels(), before);
}

TEST_F(RunningPlayer, ButtonsDriveTransport) {
  const fs::path list = WritePlaylist("list.vpl", {low_, high_});
  auto player = Start({list.string()});
  ASSERT_TRUE(Hears(kLow));
  Click(*player, ml::RowButton::Next);
  EXPECT_TRUE(Hears(kHigh));
  Click(*player, ml::RowButton::Prev);
  EXPECT_TRUE(Hears(kLow));
  Click(*player, ml::RowButton::Pause);
  EXPECT_TRUE(Hears(0));
  Click(*player, ml::RowButton::Pause);
  EXPECT_TRUE(Hears(kLow));
  Click(*player, ml::RowButton::Stop);
  EXPECT_TRUE(Hears(0));
  Click(*player, ml::RowButton::Play);
  EXPECT_TRUE(Hears(kLow));
}

TEST_F(RunningPlayer, EndOfTrackAdvancesAndFailedEntriesAreSkipped) {
  const fs::path list = WritePlaylist("list.vpl",
                                      {shortLow_, media_->Path() / "missing.mp3", corrupt_, media_->Path(), high_});
  auto player = Start({list.string()});
  EXPECT_TRUE(Hears(kHigh, seconds(25)));
  EXPECT_TRUE(player->Running());
}

TEST_F(RunningPlayer, BadArgumentsNeitherCrashNorSpoilTheAutosave) {
  for (const std::string& argument :
       {(media_->Path() / "missing.mp3").string(), media_->Path().string(), corrupt_.string(),
        (media_->Path() / "noextension").string(), "/" + std::string(4000, 'n')}) {
    SCOPED_TRACE(argument.substr(0, 80));
    auto player = Start({argument});
    // Every transport button on an entry that cannot play: silence and no error box.
    for (const auto button : {ml::RowButton::Play, ml::RowButton::Next, ml::RowButton::Pause, ml::RowButton::Pause,
                              ml::RowButton::Stop, ml::RowButton::Prev})
      Click(*player, button);
    EXPECT_TRUE(Hears(0, seconds(3)));
    EXPECT_TRUE(player->Running());
    EXPECT_EQ(player->VisibleWindows(), 1);
    EXPECT_EQ(Vombrel::Autosave(home_->Path()), argument + "\r\n");
    player->Terminate();
  }
}

TEST_F(RunningPlayer, CloseButtonWritesRepeatAndShuffle) {
  auto player = Start({});
  player->ClickAt(ml::kButtonClose.center().x(), ml::kButtonClose.center().y());
  EXPECT_EQ(player->WaitForExit(seconds(10)), 0);
  const std::string settings = Vombrel::Settings(home_->Path());
  EXPECT_NE(settings.find("Repeat=True"), std::string::npos) << settings;
  EXPECT_NE(settings.find("Shuffle=False"), std::string::npos) << settings;
}

// Screenshots of the main window: the designed look, and a colour scheme whose colours
// must show. The designed look is kept as the documentation's picture.
TEST_F(RunningPlayer, ScreenshotsInTheDesignedLookAndInAScheme) {
  auto player = Start({low_.string()});
  ASSERT_TRUE(Hears(kLow));
  const fs::path plain = home_->Path() / "plain.png";
  RunCommand("import -window " + player->MainWindow() + " " + Quote(plain.string()));
  ASSERT_TRUE(fs::exists(plain));
  fs::copy_file(plain, fs::path(VOMBREL_BINARY_DIR) / "main-window.png", fs::copy_options::overwrite_existing);
  player->Terminate();

  SchemeColors colors{};
  colors[crFace] = MakeRgb(0x20, 0x40, 0x80);
  colors[crBorder] = MakeRgb(0xF0, 0xA0, 0x10);
  colors[crButtonFace] = MakeRgb(0x30, 0x90, 0x30);
  colors[crButtonFocus] = MakeRgb(0x50, 0xC0, 0x50);
  colors[crButtonBorder] = MakeRgb(0xF0, 0xF0, 0x00);
  colors[crScroll] = MakeRgb(0x60, 0x10, 0x60);
  colors[crThumb] = MakeRgb(0xE0, 0x60, 0xE0);
  colors[crTitle] = MakeRgb(0x80, 0x00, 0x00);
  colors[crTextFont] = MakeRgb(0xFF, 0xFF, 0xFF);
  colors[crTitleFont] = MakeRgb(0xFF, 0xFF, 0x80);
  colors[crTextBox] = MakeRgb(0x10, 0x10, 0x10);
  fs::create_directories(Vombrel::UserFolder(home_->Path()));
  ASSERT_TRUE(WriteSchemeFile((Vombrel::UserFolder(home_->Path()) / "CurrentColor.clr").string(), colors,
                              SchemeFileOrder::Current));
  auto schemed = Start({low_.string()});
  ASSERT_TRUE(Hears(kLow));
  const fs::path painted = home_->Path() / "scheme.png";
  RunCommand("import -window " + schemed->MainWindow() + " " + Quote(painted.string()));
  // The pixels of the picture as "r,g,b" lines with their counts.
  const auto histogram = RunCommand("convert " + Quote(painted.string()) + " -format %c histogram:info:- ").output;
  for (const ColorRole role : {crFace, crTitle, crButtonFace}) {
    const TColor c = colors[role];
    char rgb[32];
    std::snprintf(rgb, sizeof rgb, "(%d,%d,%d)", RedOf(c), GreenOf(c), BlueOf(c));
    EXPECT_NE(histogram.find(rgb), std::string::npos) << "role " << role << " colour " << rgb;
  }
  const auto plainHistogram = RunCommand("convert " + Quote(plain.string()) + " -format %c histogram:info:- ").output;
  EXPECT_EQ(plainHistogram.find("(32,64,128)"), std::string::npos);

  // The text areas take the text-box colour and the border: the title, the information
  // row and the rule in it, and (with the tag panel open) the frame of every tag field.
  const std::string textBox = "(16,16,16)";
  const std::string border = "(240,160,16)";
  const QRect info = ml::kInfoRow.translated(0, ml::kTagsBoxTop);
  EXPECT_EQ(PixelAt(painted, ml::kTitlePanel.x() + 1, ml::kTitlePanel.y() + 1), textBox) << "PannelloTitolo";
  EXPECT_EQ(PixelAt(painted, info.x() + 1, info.y() + 1), textBox) << "PannelloInfo";
  EXPECT_EQ(PixelAt(painted, info.x() + 3 + 20, info.y() + 14), border) << "SeparaInfo";
  // Along the middle of a tag row, from the label column on, the field's frame is met.
  auto rowHasFrame = [&](int row) {
    const int y = ml::kTagsBoxTop + 5 + row * 22 + 9;
    return RunCommand("convert " + Quote(painted.string()) + " -crop 140x1+60+" + std::to_string(y) +
                      " -format %c histogram:info:-")
               .output.find(border) != std::string::npos;
  };
  schemed->ClickAt(ml::kRollTags.center().x(), ml::kRollTags.center().y());
  ASSERT_TRUE(WaitUntil(
      [&] {
        RunCommand("import -window " + schemed->MainWindow() + " " + Quote(painted.string()));
        return rowHasFrame(0);
      },
      seconds(5)));
  for (int row = 1; row < 7; ++row) EXPECT_TRUE(rowHasFrame(row)) << "tag frame of row " << row;
}

// Streams whose length the decoder learns only while playing (ADTS AAC, MPEG-1 layer II,
// MP3 without an Info/Xing header): each track reached by Next, Previous or a second
// start plays and keeps playing; none is taken for ended at its start.
TEST_F(RunningPlayer, StreamsWithoutALengthHeaderAreNotSkipped) {
  constexpr int kMid = 900;
  const fs::path aac = MakeTone(media_->Path(), "low.aac", 30, kLow, "-c:a aac -f adts");
  const fs::path mp2 = MakeTone(media_->Path(), "high.mp2", 30, kHigh, "-c:a mp2");
  const fs::path noxing = MakeTone(media_->Path(), "mid.mp3", 30, kMid, "-write_xing 0");
  auto player = Start({WritePlaylist("late.vpl", {aac, mp2, noxing}).string()});
  auto playsOn = [&](int frequency) {
    if (!Hears(frequency)) return false;
    std::this_thread::sleep_for(milliseconds(1500));  // a false end would have moved on by now
    return Hears(frequency, seconds(1));
  };
  EXPECT_TRUE(playsOn(kLow));
  Click(*player, ml::RowButton::Next);
  EXPECT_TRUE(playsOn(kHigh));
  Click(*player, ml::RowButton::Next);
  EXPECT_TRUE(playsOn(kMid));
  Click(*player, ml::RowButton::Prev);
  EXPECT_TRUE(playsOn(kHigh));
  Vombrel second(home_->Path(), {aac.string()});
  EXPECT_EQ(second.WaitForExit(seconds(10)), 0);
  EXPECT_TRUE(playsOn(kLow));
}

// A file named relative to the folder a second start was made in reaches the running
// instance (which works in another folder) as an absolute path, and plays.
TEST_F(RunningPlayer, RelativeNamesAreHandedOverAsAbsolutePaths) {
  auto player = Start({});
  Vombrel second(home_->Path(), {high_.filename().string()}, {}, media_->Path());
  EXPECT_EQ(second.WaitForExit(seconds(10)), 0);
  EXPECT_TRUE(Hears(kHigh));
  EXPECT_EQ(Vombrel::Autosave(home_->Path()), high_.string() + "\r\n");
}

// The toolkit's own options are no playlist entries; a switch with an absolute path gives
// that file whole.
TEST_F(RunningPlayer, ToolkitOptionsAndSwitchesWithPaths) {
  auto player = Start({"-Enqueue:" + high_.string(), "-style", "fusion", low_.string()});
  EXPECT_TRUE(Hears(kLow));
  EXPECT_EQ(Vombrel::Autosave(home_->Path()), low_.string() + "\r\n" + high_.string() + "\r\n");
}

// SIGTERM, as a desktop session sends at its end, closes the player through its close
// sequence: it ends normally and writes its settings.
TEST_F(RunningPlayer, TerminationSignalClosesNormally) {
  auto player = Start({low_.string()});
  ASSERT_TRUE(Hears(kLow));
  kill(player->Pid(), SIGTERM);
  EXPECT_EQ(player->WaitForExit(seconds(10)), 0);
  EXPECT_NE(Vombrel::Settings(home_->Path()).find("Repeat=True"), std::string::npos);
  EXPECT_TRUE(Hears(0, seconds(5)));
}

// On a Wayland desktop with the toolkit's Wayland support installed, the player still
// comes up on X11 (through XWayland there), where its windows can be placed.
TEST_F(RunningPlayer, WaylandSessionStillUsesX11) {
  const fs::path runtime = home_->Path() / "wayland";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  const fs::path socket = runtime / "wayland-test";
  const pid_t compositor = fork();
  if (compositor == 0) {
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    execlp("weston", "weston", "--backend=headless-backend.so", "--socket=wayland-test", "--idle-time=0",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(compositor, 0);
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(socket); }, seconds(10))) << "no Wayland compositor";
  Vombrel player(home_->Path(), {low_.string()}, {"WAYLAND_DISPLAY=" + socket.string(), "XDG_SESSION_TYPE=wayland"});
  EXPECT_TRUE(player.WaitForMainWindow());
  EXPECT_TRUE(Hears(kLow));
  player.Terminate();
  kill(compositor, SIGTERM);
  waitpid(compositor, nullptr, 0);
}

}  // namespace
}  // namespace vombrel::e2e
