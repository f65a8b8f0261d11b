// Playlist window figures with a playlist of 100,000 real MP3 files (hard links to a few
// copies of one tagged file, so the page cache is warm and every row has a title to read):
//  - from the playlist button to the first paint of the list (first opening, and the
//    median of 5 further openings, ms);
//  - scrolling the list from the top to the bottom page by page, each page painted
//    (total, and the longest single page, ms);
//  - memory the open window adds (resident set, KiB: after the first paint, and after
//    every row was painted once);
//  - removing one entry: RemoveEntries (which autosaves 100,000 lines and refreshes) and
//    RefreshList alone plus the repaint that follows, and the autosave alone (ms).
// Runs on the X display when DISPLAY is set (the test environment's Xvfb), else offscreen.
// Usage: bench_playlistwindow [entries]
#include <unistd.h>

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Playlist.h"
#include "app/VombrelMain.h"
#include "playlist/Playlistfiles.h"
#include "support/Supportfiles.h"

using namespace vombrel;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// Notes the first paint of a playlist window's list.
class FirstPaint : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->parent() != nullptr &&
        watched->parent()->objectName() == "PlaylistView")
      painted = true;
    return false;
  }
};

StringList MakeLibrary(const fs::path& folder, int count) {
  const fs::path original = folder / "original.mp3";
  const std::string command =
      "ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=1 -b:a 64k "
      "-metadata title='Benchmark Tone' -metadata artist='Vombrel' -id3v2_version 3 '" +
      original.string() + "' </dev/null";
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "ffmpeg failed\n");
    std::exit(1);
  }
  StringList entries;
  entries.reserve(static_cast<std::size_t>(count));
  // A file system allows only so many links to one file: a copy of the file for every
  // 50,000 entries.
  constexpr int kLinksPerCopy = 50000;
  for (int i = 0; i < count; ++i) {
    const fs::path copy = folder / ("copy " + std::to_string(i / kLinksPerCopy) + ".mp3");
    if (i % kLinksPerCopy == 0) fs::copy_file(original, copy, fs::copy_options::overwrite_existing);
    const fs::path link = folder / ("track " + std::to_string(i) + ".mp3");
    fs::create_hard_link(copy, link);
    entries.push_back(link.string());
  }
  return entries;
}

// Runs events until the window's list has painted; the time that took.
double OpenUntilPainted(TFormVombrel& main, FirstPaint& watch) {
  watch.painted = false;
  const auto start = Clock::now();
  main.ButtonPlaylistClick();
  while (!watch.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
  QApplication::processEvents();
  return Milliseconds(Clock::now() - start);
}

void CloseList(TFormVombrel& main) {
  main.PlaylistWindow()->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const fs::path root = fs::temp_directory_path() / ("vombrel-bench-playlistwindow-" + std::to_string(getpid()));
  fs::create_directories(root / "music");
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  QApplication app(argc, argv);

  std::printf("making %d MP3 files...\n", count);
  const StringList entries = MakeLibrary(root / "music", count);
  WritePlaylistFile(AutosavePath(), entries);

  OutputVolume silent{[]() -> std::optional<int32_t> { return 65535; }, [](int32_t) {}};
  TFormVombrel main({}, {}, silent);
  main.show();
  QApplication::processEvents();
  FirstPaint watch;
  app.installEventFilter(&watch);

  const long rssBefore = ResidentKilobytes();
  const double firstOpen = OpenUntilPainted(main, watch);
  const long rssOpen = ResidentKilobytes();
  TFormPlaylist* list = main.PlaylistWindow();

  // Page by page from the top to the bottom, each page painted before the next.
  QScrollBar* bar = list->PlaylistView->verticalScrollBar();
  double longestPage = 0;
  int pages = 0;
  const auto scrollStart = Clock::now();
  while (bar->value() < bar->maximum()) {
    const auto pageStart = Clock::now();
    bar->setValue(bar->value() + bar->pageStep());
    list->PlaylistView->viewport()->repaint();
    QApplication::processEvents();
    longestPage = std::max(longestPage, Milliseconds(Clock::now() - pageStart));
    ++pages;
  }
  const double scrollTotal = Milliseconds(Clock::now() - scrollStart);
  const long rssScrolled = ResidentKilobytes();

  // One entry removed: the model autosaves and refreshes the list.
  const auto removeStart = Clock::now();
  main.Playlist().RemoveEntries({count / 2});
  list->PlaylistView->viewport()->repaint();
  const double removeTotal = Milliseconds(Clock::now() - removeStart);
  const auto refreshStart = Clock::now();
  list->RefreshList();
  list->PlaylistView->viewport()->repaint();
  const double refreshOnly = Milliseconds(Clock::now() - refreshStart);
  const auto saveStart = Clock::now();
  main.Playlist().SaveAutosave();
  const double autosaveOnly = Milliseconds(Clock::now() - saveStart);

  CloseList(main);
  std::vector<double> reopen;
  for (int i = 0; i < 5; ++i) {
    reopen.push_back(OpenUntilPainted(main, watch));
    CloseList(main);
  }
  std::sort(reopen.begin(), reopen.end());

  std::printf("playlist window, %d entries (platform %s)\n", count, qPrintable(QGuiApplication::platformName()));
  std::printf("  button to first paint, first opening     %8.1f ms\n", firstOpen);
  std::printf("  button to first paint, median of 5       %8.1f ms\n", reopen[2]);
  std::printf("  scroll top to bottom, %5d pages         %8.1f ms\n", pages, scrollTotal);
  std::printf("  longest single page                      %8.1f ms\n", longestPage);
  std::printf("  memory added by the open window          %8ld KiB\n", rssOpen - rssBefore);
  std::printf("  memory added after every row was shown   %8ld KiB\n", rssScrolled - rssBefore);
  std::printf("  RemoveEntries of one (autosave, refresh) %8.1f ms\n", removeTotal);
  std::printf("  RefreshList alone, with the repaint      %8.1f ms\n", refreshOnly);
  std::printf("  the autosave alone (written, synced)     %8.1f ms\n", autosaveOnly);

  std::error_code ignored;
  fs::remove_all(root, ignored);
  return 0;
}
