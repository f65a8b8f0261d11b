// Records from the default input into a file until it is killed: the crash test's child.
// Usage: wave_record_child <path> <TPCMFormat value> <buffer milliseconds>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "wave/Waverecorders.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <path> <format> <buffer ms>\n", argv[0]);
    return 2;
  }
  try {
    vombrel::TStockAudioRecorder recorder;
    recorder.SetPCMFormat(static_cast<vombrel::TPCMFormat>(std::atoi(argv[2])));
    recorder.SetBufferLength(static_cast<uint32_t>(std::atoi(argv[3])));
    if (!recorder.RecordToFile(argv[1])) {
      std::fprintf(stderr, "not recording: %s\n", recorder.GetLastErrorText().c_str());
      return 1;
    }
    for (;;) pause();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
