// The colour scheme editor in the real program under the test X server: opened from the
// main window's configuration menu, driven with xdotool, checked by the files it writes
// and by the pixels of the windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <thread>

#include "E2eHarness.h"
#include "app/Colorilayout.h"
#include "app/Mainlayout.h"
#include "support/Supportaspetto.h"

namespace vombrel::e2e {
namespace {

namespace cl = colorilayout;
namespace ml = mainlayout;
using std::chrono::seconds;

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// A visible window of the process whose caption is exactly `caption` ("" when none).
std::string WindowNamed(const Vombrel& player, const std::string& caption) {
  return Trimmed(RunCommand("xdotool search --all --onlyvisible --pid " + std::to_string(player.Pid()) + " --name " +
                            Quote("^" + caption + "$") + " 2>/dev/null | head -n1")
                     .output);
}

std::string WaitForWindow(const Vombrel& player, const std::string& caption) {
  std::string id;
  WaitUntil([&] { return !(id = WindowNamed(player, caption)).empty(); }, seconds(10));
  return id;
}

void ClickIn(const std::string& window, QPoint at, int button = 1) {
  RunCommand("xdotool mousemove --window " + window + " " + std::to_string(at.x()) + " " + std::to_string(at.y()) +
             " click " + std::to_string(button));
}

// Keys one at a time: a menu drops a key that follows the previous one too closely.
void Keys(std::initializer_list<const char*> keys) {
  for (const char* key : keys) {
    RunCommand(std::string("xdotool key ") + key);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
}

// Opens a pop-up (a menu, a drop-down list) with a click and waits until it shows.
bool ClickForPopup(Vombrel& player, const std::string& window, QPoint at, int button = 1) {
  const int before = player.VisibleWindows();
  ClickIn(window, at, button);
  return WaitUntil([&] { return player.VisibleWindows() > before; }, seconds(10));
}

std::string Rgb(TColor c) {
  char text[40];
  std::snprintf(text, sizeof text, "(%d,%d,%d)", RedOf(c), GreenOf(c), BlueOf(c));
  return text;
}

// The colours of a window's pixels, as "(r,g,b)" texts among ImageMagick's histogram lines.
std::string WindowColours(const std::string& window, const fs::path& shot) {
  RunCommand("import -window " + window + " " + Quote(shot.string()));
  return RunCommand("convert " + Quote(shot.string()) + " -format %c histogram:info:- | tr -d ' '").output;
}

std::string PixelOf(const std::string& window, const fs::path& shot, QPoint at) {
  RunCommand("import -window " + window + " " + Quote(shot.string()));
  const auto out = RunCommand("convert " + Quote(shot.string()) + " -format '%[fx:int(255*p{" + std::to_string(at.x()) +
                              "," + std::to_string(at.y()) + "}.r)],%[fx:int(255*p{" + std::to_string(at.x()) + "," +
                              std::to_string(at.y()) + "}.g)],%[fx:int(255*p{" + std::to_string(at.x()) + "," +
                              std::to_string(at.y()) + "}.b)]' info:-");
  return "(" + Trimmed(out.output) + ")";
}

std::optional<SchemeColors> ReadScheme(const fs::path& path) {
  try {
    const ParsedScheme parsed = ParseSchemeLines(ReadSchemeLines(path.string()));
    if (parsed.complete) return parsed.colors;
  } catch (const SchemeReadError&) {
  }
  return std::nullopt;
}

class ColourEditor : public ::testing::Test {
 protected:
  void SetUp() override { home_ = std::make_unique<TempFolder>("vombrel-e2e-colori"); }

  std::unique_ptr<Vombrel> Start() {
    auto player = std::make_unique<Vombrel>(home_->Path(), std::vector<std::string>{});
    bool shown = player->WaitForMainWindow();
    if (!shown && player->Output().find("could not connect to display") != std::string::npos) {
      player = std::make_unique<Vombrel>(home_->Path(), std::vector<std::string>{});
      shown = player->WaitForMainWindow();
    }
    EXPECT_TRUE(shown) << "no main window";
    return player;
  }

  // The configuration menu (right button on the main window's body), first item.
  std::string OpenEditor(Vombrel& player) {
    EXPECT_TRUE(ClickForPopup(player, player.MainWindow(), QPoint(ml::kWidth / 2, ml::kTagsBoxTop + 16), 3));
    Keys({"Down", "Return"});
    return WaitForWindow(player, "Colours");
  }

  fs::path UserFile(const std::string& name) const { return Vombrel::UserFolder(home_->Path()) / name; }

  std::unique_ptr<TempFolder> home_;
};

TEST_F(ColourEditor, ConfirmedGuidedSchemePaintsTheMainWindow) {
  auto player = Start();
  const std::string editor = OpenEditor(*player);
  ASSERT_FALSE(editor.empty()) << "no editor";
  // The random menu: its second item, the guided scheme; then a random scheme.
  ASSERT_TRUE(ClickForPopup(*player, editor, cl::kRxSpeedButton1At.center()));
  Keys({"Down", "Down", "Return"});
  ClickIn(editor, cl::kBtnAutoColorAt.center());
  ClickIn(editor, cl::kButtonConfermaAt.center());
  std::optional<SchemeColors> scheme;
  ASSERT_TRUE(WaitUntil([&] { return (scheme = ReadScheme(UserFile("CurrentColor.clr"))).has_value(); }, seconds(10)));
  const SchemeColors& c = *scheme;
  // A guided scheme: one base colour and one darker shade shared by several roles.
  EXPECT_EQ(c[crButtonFace], c[crScroll]);
  EXPECT_EQ(c[crButtonFace], c[crTextBox]);
  EXPECT_EQ(c[crBorder], c[crTitle]);
  EXPECT_EQ(c[crBorder], c[crThumb]);
  EXPECT_TRUE(WaitUntil([&] { return WindowNamed(*player, "Colours").empty(); }, seconds(10)));
  std::string colours;
  const bool painted = WaitUntil(
      [&] {
        colours = WindowColours(player->MainWindow(), home_->Path() / "main.png");
        return colours.find(Rgb(c[crButtonFace])) != std::string::npos &&
               colours.find(Rgb(c[crFace])) != std::string::npos;
      },
      seconds(10));
  EXPECT_TRUE(painted) << "button face " << Rgb(c[crButtonFace]) << ", face " << Rgb(c[crFace]) << "\n" << colours;
}

TEST_F(ColourEditor, SavedSchemeIsListedWhenTheEditorOpensAgain) {
  auto player = Start();
  std::string editor = OpenEditor(*player);
  ASSERT_FALSE(editor.empty()) << "no editor";
  ClickIn(editor, cl::kBtnAutoColorAt.center());  // a fully random scheme
  ClickIn(editor, cl::kButtonSalvaAt.center());
  const std::string naming = WaitForWindow(*player, "Enter the scheme name");
  ASSERT_FALSE(naming.empty()) << "no naming dialog";
  ClickIn(naming, cl::kEditNomeCombinazione.center());
  RunCommand("xdotool type --delay 40 Mare");
  ClickIn(naming, cl::kNomeButtonConferma.center());
  std::optional<SchemeColors> saved;
  ASSERT_TRUE(WaitUntil([&] { return (saved = ReadScheme(UserFile("Colors/Mare.clr"))).has_value(); }, seconds(10)));
  EXPECT_TRUE(WaitUntil([&] { return WindowNamed(*player, "Enter the scheme name").empty(); }, seconds(10)));
  ClickIn(editor, cl::kButtonAnnullaAt.center());
  ASSERT_TRUE(WaitUntil([&] { return WindowNamed(*player, "Colours").empty(); }, seconds(10)));
  EXPECT_FALSE(fs::exists(UserFile("CurrentColor.clr")));

  editor = OpenEditor(*player);
  ASSERT_FALSE(editor.empty()) << "no editor the second time";
  // The list's second entry is the saved scheme: choosing it paints the preview with it.
  ASSERT_TRUE(ClickForPopup(*player, editor, cl::kListaCombinazioniAt.center()));
  Keys({"Down", "Return"});
  const QPoint textArea(cl::kPannelloInfoAt.right() - 4, cl::kPannelloInfoAt.bottom() - 3);
  std::string pixel;
  const bool shown = WaitUntil(
      [&] { return (pixel = PixelOf(editor, home_->Path() / "editor.png", textArea)) == Rgb((*saved)[crTextBox]); },
      seconds(10));
  EXPECT_TRUE(shown) << "text area " << pixel << ", saved " << Rgb((*saved)[crTextBox]);
  ClickIn(editor, cl::kButtonAnnullaAt.center());
}

}  // namespace
}  // namespace vombrel::e2e
