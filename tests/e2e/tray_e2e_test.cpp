// The tray icon of the real program docked in a real system-tray manager (trayer) under
// the test environment's X server: its quarters' pictures, the quarters as a remote
// control heard at the sink, the menu, and restoring a hidden window by a double click.
#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "E2eHarness.h"
#include "app/Mainlayout.h"

namespace vombrel::e2e {
namespace {

namespace ml = mainlayout;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kLow = 440;
constexpr int kHigh = 1500;

struct Area {
  int x = 0, y = 0, width = 0, height = 0;
};

// The player's icon window inside the tray: its small visible window away from the corner.
std::optional<Area> TrayIcon(pid_t pid) {
  std::istringstream windows(RunCommand("xdotool search --pid " + std::to_string(pid) + " --name ''").output);
  std::string id;
  while (windows >> id) {
    std::istringstream shell(RunCommand("xdotool getwindowgeometry --shell " + id).output);
    Area a;
    std::string line;
    while (std::getline(shell, line)) {
      const auto eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string key = line.substr(0, eq);
      const int value = std::atoi(line.c_str() + eq + 1);
      if (key == "X") a.x = value;
      if (key == "Y") a.y = value;
      if (key == "WIDTH") a.width = value;
      if (key == "HEIGHT") a.height = value;
    }
    if (a.width >= 12 && a.width <= 64 && a.height >= 12 && a.height <= 64 && a.x > 0) return a;
  }
  return std::nullopt;
}

class TrayIconE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::make_unique<TempFolder>("vombrel-e2e-tray");
    low_ = MakeTone(home_->Path(), "low.wav", 30, kLow);
    high_ = MakeTone(home_->Path(), "high.wav", 30, kHigh);
    trayer_ = std::atoi(RunCommand("trayer --edge top --align right --widthtype request --height 22 "
                                   "--transparent false >/dev/null 2>&1 & echo $!")
                            .output.c_str());
  }
  void TearDown() override {
    player_.reset();
    if (trayer_ > 0) kill(trayer_, SIGTERM);
  }

  // Points inside the quarters of the icon.
  void MoveTo(bool right, bool bottom) {
    const int x = icon_.x + (right ? icon_.width * 3 / 4 : icon_.width / 4);
    const int y = icon_.y + (bottom ? icon_.height * 3 / 4 : icon_.height / 4);
    RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
  }
  void ClickQuarter(bool right, bool bottom) {
    MoveTo(right, bottom);
    RunCommand("xdotool click 1");
  }
  std::string IconPixels() {
    return RunCommand("import -window root -crop " + std::to_string(icon_.width) + "x" + std::to_string(icon_.height) +
                      "+" + std::to_string(icon_.x) + "+" + std::to_string(icon_.y) + " txt:- | md5sum")
        .output;
  }
  // The icon's picture once it has settled on something other than `before`.
  std::string PictureAfter(const std::string& before) {
    std::string now;
    WaitUntil([&] { return (now = IconPixels()) != before; }, seconds(5));
    return now;
  }

  std::unique_ptr<TempFolder> home_;
  fs::path low_, high_;
  pid_t trayer_ = -1;
  std::unique_ptr<Vombrel> player_;
  Area icon_;
};

TEST_F(TrayIconE2e, QuartersMenuAndRestoring) {
  bool shown = false;
  const fs::path list = home_->Path() / "list.vpl";
  std::ofstream(list, std::ios::binary) << low_.string() << "\r\n" << high_.string() << "\r\n";
  player_ = StartShown(home_->Path(), {list.string()}, &shown);
  ASSERT_TRUE(shown);
  ASSERT_TRUE(Hears(kLow));
  std::optional<Area> icon;
  ASSERT_TRUE(WaitUntil([&] { return (icon = TrayIcon(player_->Pid())).has_value(); }, seconds(10)));
  icon_ = *icon;

  // Each quarter shows a picture of its own, and leaving the icon brings back the first.
  RunCommand("xdotool mousemove 600 600");
  const std::string normal = IconPixels();
  std::vector<std::string> pictures{normal};
  for (auto [right, bottom] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
    MoveTo(right, bottom);
    pictures.push_back(PictureAfter(pictures.back()));
  }
  std::sort(pictures.begin(), pictures.end());
  EXPECT_EQ(std::unique(pictures.begin(), pictures.end()), pictures.end());
  RunCommand("xdotool mousemove 600 600");
  EXPECT_TRUE(WaitUntil([&] { return IconPixels() == normal; }, seconds(5)));

  ClickQuarter(true, true);  // Next
  EXPECT_TRUE(Hears(kHigh));
  ClickQuarter(false, true);  // Previous
  EXPECT_TRUE(Hears(kLow));
  ClickQuarter(true, false);  // Pause
  EXPECT_TRUE(Hears(0));
  ClickQuarter(true, false);  // Play resumes
  EXPECT_TRUE(Hears(kLow));
  ClickQuarter(false, false);  // Stop
  EXPECT_TRUE(Hears(0));

  // The menu's track list plays the chosen track.
  MoveTo(true, true);
  RunCommand("xdotool click 3");
  std::this_thread::sleep_for(milliseconds(500));
  RunCommand("xdotool key Down Right");  // "Tracce" opens with its first entry selected
  std::this_thread::sleep_for(milliseconds(300));
  RunCommand("xdotool key Down Return");
  EXPECT_TRUE(Hears(kHigh));
  ClickQuarter(false, false);
  ASSERT_TRUE(Hears(0));

  // Hidden by its minimise button with the playlist window open: only the icon remains;
  // a double click on the Play quarter brings both windows back and starts nothing.
  const QRect playlistButton = ml::kButtonPlaylist;
  player_->ClickAt(playlistButton.center().x(), playlistButton.center().y());
  ASSERT_TRUE(WaitUntil([&] { return player_->VisibleWindows() == 3; }, seconds(10)));  // main, playlist, icon
  const std::string main = player_->MainWindow();
  auto mainShown = [&] { return RunCommand("xwininfo -id " + main).output.find("IsViewable") != std::string::npos; };
  const QRect minimise = ml::kButtonMinimize;
  player_->ClickAt(minimise.center().x(), minimise.center().y());
  ASSERT_TRUE(WaitUntil([&] { return !mainShown(); }, seconds(10)));
  EXPECT_TRUE(WaitUntil([&] { return player_->VisibleWindows() == 1; }, seconds(10)));  // the icon
  MoveTo(true, false);
  RunCommand("xdotool click --repeat 2 --delay 80 1");
  EXPECT_TRUE(WaitUntil(mainShown, seconds(10)));
  EXPECT_TRUE(WaitUntil([&] { return player_->VisibleWindows() == 3; }, seconds(10)));
  std::this_thread::sleep_for(milliseconds(800));  // past the double-click time
  EXPECT_EQ(HeardFrequency(), 0);
}

}  // namespace
}  // namespace vombrel::e2e
