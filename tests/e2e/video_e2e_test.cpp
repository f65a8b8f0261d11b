// The video window, full screen and the command panel in the real vombrel under the test
// environment's X server and sound server: videos made with ffmpeg (a test picture with a
// tone), windows found by name and process with xdotool, pictures checked by their pixels,
// sound at the sink's monitor.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "E2eHarness.h"

namespace vombrel::e2e {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Tones told apart by their frequency at the sink: one per file.
constexpr int kMpegTone = 440;
constexpr int kAviTone = 900;
constexpr int kAudioTone = 1500;

// The video window's parts at window coordinates (its layout rules): the transport
// buttons 15 pixels wide, one apart, from x = 1 in the 17-pixel bar at the bottom; the
// close button 14 x 12 at the right of the title bar.
enum class VideoButton { Play, Prev, Next, Pause, Stop, FullScreen, VideoSize };

struct Geometry {
  int x = 0, y = 0, width = 0, height = 0;
};

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// The first visible window of the process whose name matches the pattern ("" for none).
std::string WindowNamed(pid_t pid, const std::string& pattern) {
  return Trimmed(RunCommand("xdotool search --all --onlyvisible --pid " + std::to_string(pid) + " --name " +
                            Quote(pattern) + " 2>/dev/null | head -n1")
                     .output);
}

Geometry GeometryOf(const std::string& window) {
  Geometry g;
  std::istringstream lines(RunCommand("xdotool getwindowgeometry --shell " + window + " 2>/dev/null").output);
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const int value = std::atoi(line.c_str() + equals + 1);
    if (key == "X") g.x = value;
    if (key == "Y") g.y = value;
    if (key == "WIDTH") g.width = value;
    if (key == "HEIGHT") g.height = value;
  }
  return g;
}

Geometry Screen() {
  std::istringstream size(RunCommand("xdotool getdisplaygeometry").output);
  Geometry g;
  size >> g.width >> g.height;
  return g;
}

// A visible window of the process as large as the screen: the full-screen picture.
bool FullScreenShown(pid_t pid) {
  const Geometry screen = Screen();
  std::istringstream ids(
      RunCommand("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null").output);
  for (std::string id; ids >> id;) {
    const Geometry g = GeometryOf(id);
    if (g.width == screen.width && g.height == screen.height) return true;
  }
  return false;
}

// Distinct colours in a rectangle of the screen: 1 for a black (or any plain) area, many
// for the test picture.
int ColoursIn(const Geometry& area) {
  const auto counted = RunCommand("import -window root -crop " + std::to_string(area.width) + "x" +
                                  std::to_string(area.height) + "+" + std::to_string(area.x) + "+" +
                                  std::to_string(area.y) + " png:- 2>/dev/null | convert png:- -format %k info:-");
  return std::atoi(counted.output.c_str());
}

// The picture area of the video window, well inside the display panel (under the title
// bar, inside the frames, above the button bar).
Geometry PictureArea(const Geometry& window) {
  return {window.x + 20, window.y + 40, window.width - 40, window.height - 80};
}

bool Painted(const Geometry& area) { return ColoursIn(area) > 16; }

void ClickAtScreen(int x, int y) {
  RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

void MovePointer(int x, int y) { RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y)); }

class VideoPlayback : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    media_ = new TempFolder("vombrel-e2e-video");
    mpeg_ = MakeVideo("picture.mpg", "testsrc=size=320x240:rate=25", kMpegTone, "-c:v mpeg1video -c:a mp2 -f mpeg");
    avi_ = MakeVideo("other size.avi", "testsrc2=size=400x224:rate=25", kAviTone, "-c:v mpeg4 -q:v 10 -c:a pcm_s16le");
    audio_ = MakeTone(media_->Path(), "tone.mp3", 30, kAudioTone);
  }
  static void TearDownTestSuite() { delete media_; }

  static fs::path MakeVideo(const std::string& name, const std::string& picture, int frequency,
                            const std::string& format) {
    const fs::path file = media_->Path() / name;
    RunCommand("ffmpeg -v error -y -f lavfi -i " + Quote(picture + ":duration=30") + " -f lavfi -i " +
               Quote("sine=frequency=" + std::to_string(frequency) + ":duration=30") + " " + format + " " +
               Quote(file.string()) + " </dev/null");
    return file;
  }

  void SetUp() override { home_ = std::make_unique<TempFolder>("vombrel-e2e-video-home"); }

  std::unique_ptr<Vombrel> Start(const std::vector<fs::path>& playlist) {
    const fs::path list = home_->Path() / "list.vpl";
    {
      std::ofstream out(list, std::ios::binary);
      for (const auto& entry : playlist) out << entry.string() << "\r\n";
    }
    bool shown = false;
    auto player = StartShown(home_->Path(), {list.string()}, &shown);
    EXPECT_TRUE(shown) << "no main window";
    return player;
  }

  // The video window once it shows ("" when it does not come).
  std::string VideoWindow(Vombrel& player, bool expectShown = true) {
    std::string window;
    WaitUntil([&] { return !(window = WindowNamed(player.Pid(), "^Video$")).empty() == expectShown; }, seconds(10));
    return window;
  }

  void Click(const std::string& window, VideoButton button) {
    const Geometry g = GeometryOf(window);
    const int index = static_cast<int>(button);
    ClickAtScreen(g.x + 1 + 16 * index + 8, g.y + g.height - 9);
  }

  static TempFolder* media_;
  static fs::path mpeg_, avi_, audio_;
  std::unique_ptr<TempFolder> home_;
};

TempFolder* VideoPlayback::media_ = nullptr;
fs::path VideoPlayback::mpeg_, VideoPlayback::avi_, VideoPlayback::audio_;

// MPEG-1 and AVI of two picture sizes show in the window, painted, with their sound; the
// size button fits the window to each picture; an audio entry next hides the window.
TEST_F(VideoPlayback, PictureInTheWindowThenAudioHidesIt) {
  // The window's stored place and size.
  fs::create_directories(Vombrel::UserFolder(home_->Path()) / "Config" / "Kelvatro");
  std::ofstream(Vombrel::UserFolder(home_->Path()) / "Config" / "Kelvatro" / "Vombrel.ini", std::ios::binary)
      << "[FormVideo]\r\nNormPos=300,200,800,500\r\n";
  auto player = Start({mpeg_, avi_, audio_});
  const std::string window = VideoWindow(*player);
  ASSERT_FALSE(window.empty()) << player->Output();
  const Geometry stored = GeometryOf(window);
  EXPECT_EQ(stored.x, 300);
  EXPECT_EQ(stored.y, 200);
  EXPECT_EQ(stored.width, 500);
  EXPECT_EQ(stored.height, 300);
  EXPECT_TRUE(Hears(kMpegTone));
  EXPECT_TRUE(WaitUntil([&] { return Painted(PictureArea(GeometryOf(window))); }, seconds(5)));
  Click(window, VideoButton::VideoSize);
  EXPECT_TRUE(WaitUntil(
      [&] {
        const Geometry g = GeometryOf(window);
        return g.width == 330 && g.height == 284;
      },
      seconds(5)));

  Click(window, VideoButton::Next);
  EXPECT_TRUE(Hears(kAviTone));
  Click(window, VideoButton::VideoSize);
  EXPECT_TRUE(WaitUntil(
      [&] {
        const Geometry g = GeometryOf(window);
        return g.width == 410 && g.height == 268;
      },
      seconds(5)));
  EXPECT_TRUE(WaitUntil([&] { return Painted(PictureArea(GeometryOf(window))); }, seconds(5)));

  Click(window, VideoButton::Next);
  EXPECT_TRUE(Hears(kAudioTone));
  EXPECT_TRUE(VideoWindow(*player, false).empty());
  EXPECT_TRUE(player->Running());
}

TEST_F(VideoPlayback, ClosingTheWindowStopsPlayback) {
  auto player = Start({mpeg_});
  const std::string window = VideoWindow(*player);
  ASSERT_FALSE(window.empty());
  ASSERT_TRUE(Hears(kMpegTone));
  const Geometry g = GeometryOf(window);
  ClickAtScreen(g.x + g.width - 11, g.y + 8);  // BtnClose
  EXPECT_TRUE(Hears(0, seconds(5)));
  EXPECT_TRUE(VideoWindow(*player, false).empty());
  // Its place and size are kept for the next showing.
  const std::string normPos = "NormPos=" + std::to_string(g.x) + "," + std::to_string(g.y) + "," +
                              std::to_string(g.x + g.width) + "," + std::to_string(g.y + g.height);
  EXPECT_NE(Vombrel::Settings(home_->Path()).find(normPos), std::string::npos) << Vombrel::Settings(home_->Path());
}

// Full screen covers the screen with the picture; the command panel comes with the
// pointer at the bottom and goes when it leaves; its Pause keeps the picture on the whole
// screen; Esc leaves full screen.
TEST_F(VideoPlayback, FullScreenWithCommandPanelAndEsc) {
  auto player = Start({mpeg_});
  const std::string window = VideoWindow(*player);
  ASSERT_FALSE(window.empty());
  ASSERT_TRUE(Hears(kMpegTone));
  Click(window, VideoButton::FullScreen);
  ASSERT_TRUE(WaitUntil([&] { return FullScreenShown(player->Pid()); }, seconds(5)));
  const Geometry screen = Screen();
  const Geometry middle{0, screen.height / 4, screen.width, screen.height / 2};
  EXPECT_TRUE(WaitUntil([&] { return Painted(middle); }, seconds(5)));

  auto panel = [&] { return WindowNamed(player->Pid(), "^Command Panel$"); };
  MovePointer(screen.width / 2, screen.height - 5);
  std::string shown;
  ASSERT_TRUE(WaitUntil([&] { return !(shown = panel()).empty(); }, seconds(5)));
  const Geometry p = GeometryOf(shown);
  EXPECT_EQ(p.x, (screen.width - 347) / 2);
  EXPECT_EQ(p.y, screen.height - 27);
  MovePointer(screen.width / 2, screen.height / 2);
  EXPECT_TRUE(WaitUntil([&] { return panel().empty(); }, seconds(5)));

  MovePointer(screen.width / 2, screen.height - 5);
  ASSERT_TRUE(WaitUntil([&] { return !(shown = panel()).empty(); }, seconds(5)));
  ClickAtScreen(p.x + 2 + 3 * 21 + 10, p.y + 4 + 9);  // its BtnPause
  EXPECT_TRUE(Hears(0, seconds(5)));
  EXPECT_TRUE(FullScreenShown(player->Pid()));

  MovePointer(screen.width / 2, screen.height / 2);
  EXPECT_TRUE(WaitUntil([&] { return panel().empty(); }, seconds(5)));
  RunCommand("xdotool key Escape");
  EXPECT_TRUE(WaitUntil([&] { return !FullScreenShown(player->Pid()); }, seconds(5)));
  EXPECT_FALSE(VideoWindow(*player).empty());
}

// A click on the full-screen picture closes it, and so does the next entry; the player
// leaves full screen with it: no command panel at the bottom afterwards, and the
// full-screen button works at once again.
TEST_F(VideoPlayback, FullScreenClosedByAClickOrTheNextEntryLeavesFullScreen) {
  auto player = Start({mpeg_, avi_});
  const std::string window = VideoWindow(*player);
  ASSERT_FALSE(window.empty());
  ASSERT_TRUE(Hears(kMpegTone));
  Click(window, VideoButton::FullScreen);
  ASSERT_TRUE(WaitUntil([&] { return FullScreenShown(player->Pid()); }, seconds(5)));
  const Geometry screen = Screen();
  ClickAtScreen(screen.width / 2, screen.height / 2);
  ASSERT_TRUE(WaitUntil([&] { return !FullScreenShown(player->Pid()); }, seconds(5)));
  EXPECT_TRUE(WaitUntil([&] { return Painted(PictureArea(GeometryOf(window))); }, seconds(5)));

  MovePointer(screen.width / 2, screen.height - 5);
  std::this_thread::sleep_for(milliseconds(1300));  // a tick of the full-screen timer
  EXPECT_TRUE(WindowNamed(player->Pid(), "^Command Panel$").empty());
  Click(window, VideoButton::FullScreen);
  ASSERT_TRUE(WaitUntil([&] { return FullScreenShown(player->Pid()); }, seconds(5)));
  EXPECT_TRUE(Hears(kMpegTone));

  // The command panel's Next: the next video plays in the window.
  std::string panel;
  MovePointer(screen.width / 2, screen.height - 5);
  ASSERT_TRUE(WaitUntil([&] { return !(panel = WindowNamed(player->Pid(), "^Command Panel$")).empty(); }, seconds(5)));
  const Geometry p = GeometryOf(panel);
  ClickAtScreen(p.x + 2 + 2 * 21 + 10, p.y + 4 + 9);  // its BtnNext
  EXPECT_TRUE(Hears(kAviTone));
  EXPECT_FALSE(FullScreenShown(player->Pid()));
  MovePointer(screen.width / 2, screen.height - 5);
  std::this_thread::sleep_for(milliseconds(1300));
  EXPECT_TRUE(WindowNamed(player->Pid(), "^Command Panel$").empty());
  Click(window, VideoButton::FullScreen);
  EXPECT_TRUE(WaitUntil([&] { return FullScreenShown(player->Pid()); }, seconds(5)));
}

}  // namespace
}  // namespace vombrel::e2e
