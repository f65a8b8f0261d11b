// Figures of the built-in engine: time from Open to the first buffer at the audio sink
// and to a moving playback position, CPU seconds per minute of MP3 playback, and the
// resident memory of a process that plays one MP3. Runs against whatever sink
// VOMBREL_AUDIO_SINK names (the test environment's null sink when started inside it).
//
// Usage: bench_players [seconds of MP3 to play for the CPU figure, default 60]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/Procstatus.h"
#include "players/Mmcplayer.h"
#include "tests/players/Testdispatcher.h"

using namespace vombrel;
using Clock = std::chrono::steady_clock;

namespace {

using vombrel::bench::StatusKilobytes;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int playSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  char folder[] = "/tmp/vombrel-bench-players-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  const std::string mp3 = std::string(folder) + "/minute.mp3";
  const std::string make = "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:duration=" +
                           std::to_string(playSeconds) + " -c:a libmp3lame -b:a 192k " + mp3;
  if (std::system(make.c_str()) != 0) return 1;
  const char* sinkName = std::getenv("VOMBREL_AUDIO_SINK");
  std::printf("audio sink: %s\n", sinkName != nullptr ? sinkName : "autoaudiosink");

  test::QueueDispatcher dispatcher;
  int notifications = 0;
  const long rssBefore = StatusKilobytes("VmRSS");

  // Start-up latency, median of several runs on a fresh engine each time.
  std::vector<double> toPrerolled, toMovingPosition;
  for (int run = 0; run < 7; ++run) {
    TMMCPlayer engine(nullptr, dispatcher, [&](void*) { ++notifications; });
    const Clock::time_point start = Clock::now();
    // Open returns once the first buffer has reached the sink (the preroll).
    if (engine.Open(mp3)->Success == 0) return 1;
    toPrerolled.push_back(Milliseconds(Clock::now() - start));
    engine.Play();
    while (engine.GetPosition() <= 0) usleep(500);
    toMovingPosition.push_back(Milliseconds(Clock::now() - start));
    engine.Stop();
  }
  std::printf("Open (first buffer at the sink): %.1f ms (median of 7)\n", Median(toPrerolled));
  std::printf("Open + Play to a moving position: %.1f ms (median of 7)\n", Median(toMovingPosition));

  // Track changes in one engine, as a playlist makes them: the playing file is stopped and
  // the next one opened and played.
  {
    TMMCPlayer engine(nullptr, dispatcher, [&](void*) { ++notifications; });
    std::vector<double> opens, toMoving;
    for (int change = 0; change < 21; ++change) {
      const Clock::time_point start = Clock::now();
      if (change > 0) engine.Stop();
      if (engine.Open(mp3)->Success == 0) return 1;
      const Clock::time_point opened = Clock::now();
      engine.Play();
      while (engine.GetPosition() <= 0) usleep(500);
      if (change > 0) {  // the first open is the engine's first
        opens.push_back(Milliseconds(opened - start));
        toMoving.push_back(Milliseconds(Clock::now() - start));
      }
      dispatcher.RunPending();
      usleep(300000);
    }
    std::printf("track change: Stop + Open %.1f ms, to a moving position %.1f ms (medians of 20)\n", Median(opens),
                Median(toMoving));
  }

  // CPU and memory of one whole playback.
  TMMCPlayer engine(nullptr, dispatcher, [&](void*) { ++notifications; });
  if (engine.Open(mp3)->Success == 0) return 1;
  const double cpuStart = CpuSeconds();
  const Clock::time_point start = Clock::now();
  const int before = notifications;
  engine.Play();
  long rssPlaying = 0;
  dispatcher.RunUntil(
      [&] {
        // Only the clock: querying the engine here would add its own cost to the figure.
        if (rssPlaying == 0 && Clock::now() - start > std::chrono::seconds(playSeconds) / 2) {
          rssPlaying = StatusKilobytes("VmRSS");
        }
        return notifications > before;
      },
      std::chrono::seconds(playSeconds + 30));
  const double cpu = CpuSeconds() - cpuStart;
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("played %d s of MP3 (192 kbit/s) in %.1f s wall: %.3f CPU seconds, %.3f CPU s per minute\n", playSeconds,
              wall, cpu, cpu * 60.0 / playSeconds);
  std::printf("resident memory: %ld kB before any engine, %ld kB while playing, peak %ld kB\n", rssBefore, rssPlaying,
              StatusKilobytes("VmHWM"));
  std::remove(mp3.c_str());
  rmdir(folder);
  return 0;
}
