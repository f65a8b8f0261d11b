// Track-change soak of the built-in engine alone (no window): plays a repeating list of
// short MP3, Ogg and FLAC files to their ends, as the main window does (Open, Play, the
// end-of-stream notification, the next Open), and prints resident memory, open files and
// threads every so many changes. Runs against whatever sink VOMBREL_AUDIO_SINK names (the
// test environment's null sink when started inside it).
//
// Usage: bench_player_soak [track changes, default 300] [seconds per file, default 0.5]
#include <dirent.h>
#include <gst/gst.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/Procstatus.h"
#include "players/Mmcplayer.h"
#include "tests/players/Testdispatcher.h"

using namespace vombrel;

namespace {

using vombrel::bench::StatusKilobytes;

int CountEntries(const char* folder) {
  DIR* dir = opendir(folder);
  if (dir == nullptr) return -1;
  int count = 0;
  while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
  closedir(dir);
  return count;
}

std::vector<std::string> MakeFiles(const std::string& folder, const std::string& seconds) {
  const std::vector<std::pair<std::string, std::string>> kinds = {
      {"mp3", "-c:a libmp3lame -b:a 128k"}, {"ogg", "-c:a libvorbis"}, {"flac", "-c:a flac"}};
  std::vector<std::string> files;
  for (int i = 0; i < 6; ++i) {
    const auto& [extension, codec] = kinds[i % 3];
    const std::string path = folder + "/soak" + std::to_string(i) + "." + extension;
    const std::string make = "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=" +
                             std::to_string(300 + 100 * i) + ":duration=" + seconds + " -ac 2 " + codec + " " + path;
    if (std::system(make.c_str()) != 0) return {};
    files.push_back(path);
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  const int changes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  const std::string seconds = argc > 2 ? argv[2] : "0.5";
  char folder[] = "/tmp/vombrel-bench-soak-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  const std::vector<std::string> files = MakeFiles(folder, seconds);
  if (files.empty()) return 1;

  test::QueueDispatcher dispatcher;
  int notifications = 0;
  auto engine_owner = std::make_unique<TMMCPlayer>(nullptr, dispatcher, [&](void*) { ++notifications; });
  TMMCPlayer& engine = *engine_owner;
  const int every = std::max(1, changes / 10);
  long warm = 0;
  for (int change = 0; change <= changes; ++change) {
    if (engine.Open(files[change % files.size()])->Success == 0) return 1;
    const int before = notifications;
    engine.Play();
    dispatcher.RunUntil([&] { return notifications > before; });
    if (change == every) warm = StatusKilobytes("VmRSS");
    if (change % every == 0) {
      std::printf("%5d changes: RSS %ld KiB, open files %d, threads %d\n", change, StatusKilobytes("VmRSS"),
                  CountEntries("/proc/self/fd"), CountEntries("/proc/self/task"));
      std::fflush(stdout);
    }
  }
  const long end = StatusKilobytes("VmRSS");
  std::printf("after warm-up (%d changes): %ld KiB, end: %ld KiB, %.2f KiB per change over %d changes\n", every, warm,
              end, static_cast<double>(end - warm) / (changes - every), changes - every);
  // With GST_TRACERS=leaks the tracer lists what is still alive at gst_deinit.
  engine_owner.reset();
  gst_deinit();
  for (const auto& file : files) std::remove(file.c_str());
  rmdir(folder);
  return 0;
}
