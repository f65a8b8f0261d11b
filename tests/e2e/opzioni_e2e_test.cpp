// The options window in the real program under the test X server and sound server:
// opened from the configuration menu, a hot key assigned by pressing it, an association
// ticked, the language switched, confirmed; then the hot key plays at the sink, the
// association is registered and the settings hold the choices.
#include <gtest/gtest.h>

#include <QPoint>
#include <fstream>
#include <string>
#include <thread>

#include "E2eHarness.h"
#include "app/Mainlayout.h"
#include "platform/Fileassociations.h"

namespace vombrel::e2e {
namespace {

namespace ml = mainlayout;
using std::chrono::seconds;

// Points of the options window (window coordinates; the panel starts below the 16-pixel
// title bar).
const QPoint kClearHotkeys(20, 428);
const QPoint kFirstHotKey(60, 262);
const QPoint kResetAssociations(20, 214);
const QPoint kThirdAssociation(60, 16 + 24 + 2 + 2 * 14 + 7);  // "MP3" after the reset
const QPoint kComboLingue(368, 50);
const QPoint kConferma(446, 432);

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string WindowNamed(const Vombrel& player, const std::string& caption) {
  return Trimmed(RunCommand("xdotool search --all --onlyvisible --pid " + std::to_string(player.Pid()) + " --name " +
                            Quote("^" + caption + "$") + " 2>/dev/null | head -n1")
                     .output);
}

void ClickIn(const std::string& window, QPoint at, int button = 1) {
  RunCommand("xdotool mousemove --window " + window + " " + std::to_string(at.x()) + " " + std::to_string(at.y()) +
             " click " + std::to_string(button));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

// Keys one at a time: a menu drops a key that follows the previous one too closely.
void Keys(std::initializer_list<const char*> keys) {
  for (const char* key : keys) {
    RunCommand(std::string("xdotool key ") + key);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
}

TEST(OptionsWindow, ChoicesTakeEffectAtOnce) {
  TempFolder media("vombrel-e2e-opzioni-media");
  TempFolder home("vombrel-e2e-opzioni");
  const fs::path tone = MakeTone(media.Path(), "low.mp3", 30, 440);
  const fs::path user = Vombrel::UserFolder(home.Path());
  fs::create_directories(user / "Config" / "Kelvatro");
  std::ofstream(user / "Config" / "Kelvatro" / "Vombrel.ini", std::ios::binary) << "[General]\r\nLanguage=Italiano\r\n";
  std::ofstream(user / "Playlist.vpl", std::ios::binary) << tone.string() << "\r\n";
  const fs::path data = home.Path() / "data";
  fs::create_directories(data);

  // Associations go to a data folder of this test's own.
  const std::vector<std::string> environment{"XDG_DATA_HOME=" + data.string()};
  auto player = std::make_unique<Vombrel>(home.Path(), std::vector<std::string>{}, environment);
  bool shown = player->WaitForMainWindow();
  if (!shown && player->Output().find("could not connect to display") != std::string::npos) {
    player = std::make_unique<Vombrel>(home.Path(), std::vector<std::string>{}, environment);
    shown = player->WaitForMainWindow();
  }
  ASSERT_TRUE(shown) << player->Output();
  // Under the old Italian captions the window is "Opzioni".
  ClickIn(player->MainWindow(), QPoint(ml::kWidth / 2, ml::kTagsBoxTop + 16), 3);
  Keys({"Down", "Down", "Return"});
  std::string options;
  ASSERT_TRUE(WaitUntil([&] { return !(options = WindowNamed(*player, "Opzioni")).empty(); }, seconds(10)));

  ClickIn(options, kClearHotkeys);
  ClickIn(options, kFirstHotKey);
  Keys({"ctrl+alt+p"});
  ClickIn(options, kResetAssociations);
  ClickIn(options, kThirdAssociation);
  Keys({"space"});
  ClickIn(options, kComboLingue);
  Keys({"E", "Return"});
  ClickIn(options, kConferma);
  ASSERT_TRUE(WaitUntil([&] { return WindowNamed(*player, "Opzioni").empty(); }, seconds(10)));

  const std::string settings = Vombrel::Settings(home.Path());
  EXPECT_NE(settings.find("Play=Ctrl+Alt+P;ON\r\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find("Language=English\r\n"), std::string::npos) << settings;
  EXPECT_TRUE(fs::exists(data / "applications" / DesktopIdOfProgId(ProgIdOf("MP3"))));
  EXPECT_FALSE(fs::exists(data / "applications" / DesktopIdOfProgId(ProgIdOf("OGG"))));

  // The new hot key is taken at once: it starts playback from anywhere.
  Keys({"ctrl+alt+p"});
  int heard = 0;
  EXPECT_TRUE(WaitUntil([&] { return std::abs((heard = HeardFrequency()) - 440) < 80; }, seconds(20))) << heard;

  // The options window opens under its English caption now.
  ClickIn(player->MainWindow(), QPoint(ml::kWidth / 2, ml::kTagsBoxTop + 16), 3);
  Keys({"Down", "Down", "Return"});
  std::string english;
  EXPECT_TRUE(WaitUntil([&] { return !(english = WindowNamed(*player, "Options")).empty(); }, seconds(10)));
  if (!english.empty()) Keys({"Escape"});
}

}  // namespace
}  // namespace vombrel::e2e
