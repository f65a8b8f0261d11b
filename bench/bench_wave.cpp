// Capture at 48000 Hz 16-bit stereo from the default input while another process keeps
// every core busy: frames expected against frames written, the capture thread's CPU
// time, and the largest delay between a buffer's arrival and its write.
// Usage: bench_wave [--seconds N] [--load-threads N] [--file PATH]   (default 600 s)
// Needs a sound server with a running default source (the test environment has one).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "wave/Waverecorders.h"

using namespace vombrel;

namespace {

// A child process with `threads` threads spinning until it is killed.
pid_t StartLoad(unsigned threads) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  std::vector<std::thread> spinners;
  for (unsigned i = 0; i < threads; ++i) {
    spinners.emplace_back([] {
      volatile unsigned long counter = 0;
      for (;;) counter = counter + 1;
    });
  }
  for (auto& t : spinners) t.join();
  _exit(0);
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 600;
  unsigned loadThreads = std::max(1u, std::thread::hardware_concurrency());
  std::string path =
      (std::filesystem::temp_directory_path() / ("vombrel-bench-wave-" + std::to_string(getpid()) + ".wav")).string();
  bool keepFile = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--seconds"))
      seconds = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--load-threads"))
      loadThreads = static_cast<unsigned>(std::atoi(argv[i + 1]));
    else if (!std::strcmp(argv[i], "--file")) {
      path = argv[i + 1];
      keepFile = true;
    }
  }

  const pid_t load = loadThreads > 0 ? StartLoad(loadThreads) : -1;
  TStockAudioRecorder recorder;
  recorder.SetPCMFormat(Stereo16bit48000Hz);
  int status = 0;
  try {
    if (!recorder.RecordToFile(path)) {
      std::fprintf(stderr, "bench_wave: the device did not open: %s\n", recorder.GetLastErrorText().c_str());
      status = 1;
    } else {
      std::this_thread::sleep_for(std::chrono::seconds(seconds));
      recorder.SetActive(false);
      recorder.WaitUntilClosed();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_wave: %s\n", e.what());
    status = 1;
  }
  if (load > 0) {
    kill(load, SIGKILL);
    waitpid(load, nullptr, 0);
  }
  if (status != 0) return status;

  const TCaptureStats s = recorder.CaptureStats();
  const double expectedFrames = s.capturedSeconds * 48000.0;
  const double writtenFrames = static_cast<double>(s.bytesWritten) / 4.0;
  const auto fileBytes = std::filesystem::file_size(path);
  std::printf("capture 48000 Hz 16-bit stereo, %d s requested, %u spinning threads in another process\n", seconds,
              loadThreads);
  std::printf("  start to first sound      %.3f s\n", s.startupSeconds);
  std::printf("  first sound to stop       %.3f s\n", s.capturedSeconds);
  std::printf("  frames expected            %.0f\n", expectedFrames);
  std::printf("  frames written            %.0f (%u buffers)\n", writtenFrames, s.buffersWritten);
  std::printf("  missing frames            %.0f (%.4f %%)\n", expectedFrames - writtenFrames,
              100.0 * (expectedFrames - writtenFrames) / expectedFrames);
  std::printf("  server overflows          %u, gap bytes %llu\n", s.overflows,
              static_cast<unsigned long long>(s.bytesMissing));
  std::printf("  capture thread CPU time   %.3f s (%.3f %% of a core)\n", s.threadCpuSeconds,
              100.0 * s.threadCpuSeconds / s.capturedSeconds);
  std::printf("  max arrival-to-write      %.3f ms\n", s.maxArrivalToWriteMs);
  std::printf("  file size                 %llu bytes (header 46)\n", static_cast<unsigned long long>(fileBytes));
  if (!keepFile) std::filesystem::remove(path);
  return fileBytes == 46 + s.bytesWritten + (s.bytesWritten & 1U) ? 0 : 3;
}
