// Files per second for ReadTitle (every playlist row) and for the whole track panel
// (ReadTrackInfo) over MP3 files in the page cache, against the floor: opening each file
// and reading two small blocks (its first and its last 128 bytes).
// Usage: bench_mediainfo [files] [rounds]
// Half of the files carry an ID3v2.3 tag only, half an ID3v2.3 and an ID3v1 tag.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "mediainfo/Mediafile.h"
#include "mediainfo/Trackinfo.h"

using namespace vombrel;
using Clock = std::chrono::steady_clock;

namespace {

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string TextFrame(const std::string& id, const std::string& text) {
  return id + Be32(static_cast<uint32_t>(text.size() + 1)) + std::string(2, '\0') + std::string(1, '\0') + text;
}

// A small MP3: an ID3v2.3 tag with padding, eight 128 kbit/s frames, maybe an ID3v1 tag.
std::string Mp3File(int index) {
  const std::string n = std::to_string(index);
  std::string frames = TextFrame("TIT2", "Title number " + n) + TextFrame("TPE1", "Some artist") +
                       TextFrame("TALB", "Some album") + TextFrame("TRCK", std::to_string(index % 20) + "/20") +
                       TextFrame("TCON", "(17)Rock") + TextFrame("TYER", "2001") + "COMM" + Be32(12) +
                       std::string(2, '\0') + std::string("\0eng\0comment", 12);
  frames += std::string(512, '\0');
  const auto size = static_cast<uint32_t>(frames.size());
  std::string file = std::string("ID3\x03\x00\x00", 6) + static_cast<char>((size >> 21) & 0x7F) +
                     static_cast<char>((size >> 14) & 0x7F) + static_cast<char>((size >> 7) & 0x7F) +
                     static_cast<char>(size & 0x7F) + frames;
  for (int f = 0; f < 8; ++f) {
    std::string frame(417, '\0');
    frame[0] = '\xFF', frame[1] = '\xFB', frame[2] = '\x90';
    file += frame;
  }
  if (index % 2 == 1) {
    std::string tag(128, ' ');
    tag.replace(0, 3, "TAG");
    tag.replace(3, 9, "V1 title ");
    tag[125] = 0, tag[126] = 1, tag[127] = 17;
    file += tag;
  }
  return file;
}

// Best of `rounds` passes, in files per second.
double FilesPerSecond(const std::vector<std::string>& paths, int rounds,
                      const std::function<void(const std::string&)>& work) {
  double best = 0;
  for (int r = 0; r < rounds; ++r) {
    const auto start = Clock::now();
    for (const auto& path : paths) work(path);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::max(best, paths.size() / seconds);
  }
  return best;
}

volatile std::size_t sink = 0;

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const auto root = std::filesystem::temp_directory_path() / ("vombrel-bench-mediainfo-" + std::to_string(getpid()));
  std::filesystem::create_directories(root);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    paths.push_back((root / ("track" + std::to_string(i) + ".mp3")).string());
    std::ofstream(paths.back(), std::ios::binary) << Mp3File(i);
  }

  auto floor = [](const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    char head[128], tail[128];
    sink = sink + static_cast<std::size_t>(pread(fd, head, sizeof head, 0));
    const off_t end = lseek(fd, 0, SEEK_END);
    sink = sink + static_cast<std::size_t>(pread(fd, tail, sizeof tail, std::max<off_t>(0, end - 128)));
    close(fd);
  };
  auto title = [](const std::string& path) { sink = sink + ReadTitle(path).size(); };
  auto panel = [](const std::string& path) { sink = sink + ReadTrackInfo(path).Tags.TagTitolo.size(); };

  FilesPerSecond(paths, 1, floor);  // brings every file into the page cache
  const double floorRate = FilesPerSecond(paths, rounds, floor);
  const double titleRate = FilesPerSecond(paths, rounds, title);
  const double panelRate = FilesPerSecond(paths, rounds, panel);
  std::printf("%d MP3 files, best of %d rounds\n", count, rounds);
  std::printf("floor (open + two 128-byte reads): %10.0f files/s\n", floorRate);
  std::printf("ReadTitle:                         %10.0f files/s  (%.0f%% of the floor)\n", titleRate,
              100 * titleRate / floorRate);
  std::printf("ReadTrackInfo (panel):             %10.0f files/s  (%.0f%% of the floor)\n", panelRate,
              100 * panelRate / floorRate);
  std::filesystem::remove_all(root);
  return 0;
}
