// The playlist window of the real vombrel under the test environment's X server: opened
// from the main window's button, dragged by its title bar until it snaps below the main
// window, reopened docked, and moved along with the main window.
#include <gtest/gtest.h>

#include <QRect>
#include <fstream>
#include <thread>

#include "E2eHarness.h"
#include "app/Mainlayout.h"
#include "app/Playlistlayout.h"

namespace vombrel::e2e {
namespace {

namespace ml = mainlayout;
namespace pl = playlistlayout;
using std::chrono::milliseconds;

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// The visible playlist window of the process ("" while there is none).
std::string PlaylistWindowOf(pid_t pid) {
  return Trimmed(RunCommand("xdotool search --all --onlyvisible --pid " + std::to_string(pid) +
                            " --name '^Vombrel - Playlist$' 2>/dev/null | head -n1")
                     .output);
}

// A window's frame on the screen, from xdotool's "X=", "Y=", "WIDTH=", "HEIGHT=" lines.
QRect Geometry(const std::string& window) {
  const std::string shell = RunCommand("xdotool getwindowgeometry --shell " + window).output;
  auto value = [&shell](const std::string& key) {
    const auto at = shell.find(key + "=");
    return at == std::string::npos ? -1 : std::atoi(shell.c_str() + at + key.size() + 1);
  };
  return QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
}

// Drags with the left button from one screen point to another, in a few steps as a hand
// would.
void Drag(QPoint from, QPoint to) {
  auto at = [](QPoint p) { return std::to_string(p.x()) + " " + std::to_string(p.y()); };
  const QPoint middle = (from + to) / 2;
  RunCommand("xdotool mousemove " + at(from) + " mousedown 1 sleep 0.05 mousemove " + at(middle) +
             " sleep 0.05 mousemove " + at(to) + " sleep 0.05 mouseup 1");
}

bool WindowAt(const std::string& window, QPoint topLeft) {
  return WaitUntil([&] { return Geometry(window).topLeft() == topLeft; }, std::chrono::seconds(5));
}

TEST(PlaylistWindowOnScreen, OpensSnapsReopensDockedAndFollows) {
  TempFolder media("vombrel-e2e-playlist-media");
  const fs::path tone = MakeTone(media.Path(), "tone.mp3", 1, 440, "-metadata title='A Tone' -id3v2_version 3");
  TempFolder home("vombrel-e2e-playlist-home");
  fs::create_directories(Vombrel::UserFolder(home.Path()));
  {
    std::ofstream autosave(Vombrel::UserFolder(home.Path()) / "Playlist.vpl", std::ios::binary);
    autosave << tone.string() << "\r\n"
             << (media.Path() / "second song.ogg").string() << "\r\n"
             << "/music/Artist/Album/03 - third song.flac\r\n";
  }
  bool shown = false;
  auto started = StartShown(home.Path(), {}, &shown);
  ASSERT_TRUE(shown);
  Vombrel& player = *started;
  const std::string main = player.MainWindow();
  const QRect mainFrame = Geometry(main);

  player.ClickAt(ml::kButtonPlaylist.center().x(), ml::kButtonPlaylist.center().y());
  ASSERT_TRUE(WaitUntil([&] { return !PlaylistWindowOf(player.Pid()).empty(); }, std::chrono::seconds(10)))
      << player.Output();
  std::string list = PlaylistWindowOf(player.Pid());
  QRect listFrame = Geometry(list);
  EXPECT_EQ(listFrame.size(), QSize(pl::kWidth, pl::kHeight));

  // Dragged by its title bar to 7 pixels below the main window's bottom edge: it snaps.
  const QPoint grip(60, 8);
  const QPoint target(mainFrame.left() + 10, mainFrame.bottom() + 1 + 7);
  Drag(listFrame.topLeft() + grip, target + grip);
  const QPoint docked(target.x(), mainFrame.bottom() + 1);
  EXPECT_TRUE(WindowAt(list, docked)) << Geometry(list).x() << "," << Geometry(list).y();

  // The picture for the documentation, docked below the main window.
  RunCommand("import -window " + list + " " + Quote((fs::path(VOMBREL_BINARY_DIR) / "playlist-window.png").string()));

  // Closed by its button and opened again: docked at the same offset.
  player.ClickAt(0, 0);  // the main window takes the pointer back
  RunCommand("xdotool mousemove --window " + list + " " + std::to_string(pl::kWidth - pl::kCloseFromRight + 7) +
             " 8 click 1");
  ASSERT_TRUE(WaitUntil([&] { return PlaylistWindowOf(player.Pid()).empty(); }, std::chrono::seconds(5)));
  EXPECT_NE(Vombrel::Settings(home.Path()).find("Docked=True"), std::string::npos);
  player.ClickAt(ml::kButtonPlaylist.center().x(), ml::kButtonPlaylist.center().y());
  ASSERT_TRUE(WaitUntil([&] { return !PlaylistWindowOf(player.Pid()).empty(); }, std::chrono::seconds(10)));
  list = PlaylistWindowOf(player.Pid());
  EXPECT_TRUE(WindowAt(list, docked)) << Geometry(list).x() << "," << Geometry(list).y();

  // The main window dragged by its title bar: the playlist window follows.
  const QPoint mainGrip(40, 8);
  const QPoint shift(35, 25);
  Drag(mainFrame.topLeft() + mainGrip, mainFrame.topLeft() + mainGrip + shift);
  EXPECT_TRUE(WindowAt(main, mainFrame.topLeft() + shift));
  EXPECT_TRUE(WindowAt(list, docked + shift)) << Geometry(list).x() << "," << Geometry(list).y();
  player.Terminate();
}

}  // namespace
}  // namespace vombrel::e2e
