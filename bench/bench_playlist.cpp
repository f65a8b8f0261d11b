// Playlist and hand-over figures:
//  - writing and reading a playlist file of 100,000 entries (median of 5 runs, ms);
//  - AddFiles of 10,000 entries, which autosaves once (median of 5 runs, ms);
//  - hand-over latency: from the start of a second process with a playlist argument to
//    the running instance reporting the new playlist (median of 20, ms). Needs
//    vombrel_handover_helper beside this program (built with the tests).
// Usage: bench_playlist
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "playlist/Playlistfiles.h"
#include "playlist/Playlistmodel.h"
#include "support/Supportfiles.h"

using namespace vombrel;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double MedianOf(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(Milliseconds(Clock::now() - start));
  }
  return Median(times);
}

StringList Entries(int n) {
  StringList entries;
  entries.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    entries.push_back("/home/user/Music/Artist " + std::to_string(i % 300) + "/Album/" + std::to_string(i) +
                      " - Some track title.mp3");
  return entries;
}

void BenchFiles(const fs::path& root) {
  const StringList entries = Entries(100000);
  const std::string path = (root / "big.vpl").string();
  const double write = MedianOf(5, [&] { WritePlaylistFile(path, entries); });
  std::size_t read = 0;
  const double readMs = MedianOf(5, [&] { read = ReadPlaylistFile(path)->size(); });
  std::printf("playlist file, 100000 entries (%.1f MB): write %.1f ms, read %.1f ms (%zu entries)\n",
              double(fs::file_size(path)) / 1e6, write, readMs, read);

  const StringList added = Entries(10000);
  const double add = MedianOf(5, [&] {
    PlaylistModel model;
    model.AddFiles(added);
  });
  std::printf("AddFiles of 10000 entries with one autosave: %.1f ms\n", add);
}

void BenchHandOver(const fs::path& root) {
  const std::string helper = AppDir() + "vombrel_handover_helper";
  if (!FileExists(helper)) {
    std::printf("hand-over latency: %s not built, not measured\n", helper.c_str());
    return;
  }
  fs::create_directories(root / "run");
  chmod((root / "run").c_str(), 0700);
  qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString((root / "run").string()));
  qputenv("VOMBREL_TEST_USER_DIR", QByteArray::fromStdString((root / "user").string() + "/"));
  const std::string list = (root / "list.m3u").string();
  WritePlaylistFile(list, Entries(20));

  QProcess first;
  first.start(QString::fromStdString(helper), {});
  first.waitForStarted();
  auto nextLine = [&first] {
    while (!first.canReadLine())
      if (!first.waitForReadyRead(10000)) return std::string();
    return first.readLine().toStdString();
  };
  nextLine();  // "ready ..."
  std::vector<double> latencies;
  for (int i = 0; i < 20; ++i) {
    const auto start = Clock::now();
    QProcess second;
    second.start(QString::fromStdString(helper), {QString::fromStdString(list)});
    std::string line;
    while (line.rfind("message ", 0) != 0) {
      line = nextLine();
      if (line.empty()) break;
    }
    latencies.push_back(Milliseconds(Clock::now() - start));
    second.waitForFinished();
  }
  first.kill();
  first.waitForFinished();
  std::printf("hand-over latency, second start to new playlist: median %.1f ms (min %.1f, max %.1f, 20 runs)\n",
              Median(latencies), *std::min_element(latencies.begin(), latencies.end()),
              *std::max_element(latencies.begin(), latencies.end()));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const fs::path root = fs::temp_directory_path() / ("vombrel-bench-playlist-" + std::to_string(getpid()));
  fs::create_directories(root / "user");
  SetUserDirChoice((root / "user").string() + "/");
  BenchFiles(root);
  BenchHandOver(root);
  fs::remove_all(root);
  return 0;
}
