// Helpers of the sound tests: commands, background processes, a null sink of the test's
// own on the test environment's sound server, and tone analysis of captured samples.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace soundtest {

// Output of a shell command (stdout), and its exit status.
inline std::string Run(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  std::array<char, 4096> chunk{};
  size_t n = 0;
  while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0) out.append(chunk.data(), n);
  const int rc = pclose(pipe);
  if (status) *status = rc;
  return out;
}

// The text without its trailing line breaks and blanks (command output).
inline std::string Chomp(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

// A shell command running in its own process group until Stop (or destruction).
class Background {
 public:
  explicit Background(const std::string& command) {
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (pid_ > 0) setpgid(pid_, pid_);
  }
  ~Background() { Stop(SIGTERM); }
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;
  void Stop(int signal) {
    if (pid_ <= 0) return;
    kill(-pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

// A null sink of its own, named uniquely, removed again on destruction.
class OwnNullSink {
 public:
  explicit OwnNullSink(const std::string& tag) {
    name_ = "vombrel_" + tag + "_" + std::to_string(getpid());
    const std::string id = Run("pactl load-module module-null-sink sink_name=" + name_ +
                               " rate=44100 channels=2 format=s16le sink_properties=device.description=" + name_);
    module_ = std::atoi(id.c_str());
  }
  ~OwnNullSink() {
    if (module_ > 0) Run("pactl unload-module " + std::to_string(module_));
  }
  OwnNullSink(const OwnNullSink&) = delete;
  OwnNullSink& operator=(const OwnNullSink&) = delete;
  bool Loaded() const { return module_ > 0; }
  const std::string& Name() const { return name_; }
  std::string Monitor() const { return name_ + ".monitor"; }

 private:
  std::string name_;
  int module_ = 0;
};

// A steady sine tone played into a sink for as long as the object lives.
inline std::string ToneCommand(const std::string& sink, int frequency) {
  return "sox -q -n -t raw -r 44100 -e signed -b 16 -c 2 - synth 600 sine " + std::to_string(frequency) +
         " vol 0.5 | pacat --playback --latency-msec=100 --device=" + sink +
         " --format=s16le --rate=44100 --channels=2 --raw";
}

// Level and frequency of one channel of interleaved PCM, taken in the loudest 100 ms
// window: a tone player starved by a loaded machine leaves gaps of silence, which must
// neither lower the level nor bend the frequency seen.
struct ToneMeasure {
  double rms = 0;        // 0..1 of full scale
  double frequency = 0;  // from zero crossings
};

inline std::vector<double> ChannelSamples(const std::string& pcm, int bits, int channels) {
  std::vector<double> samples;
  const size_t frame = static_cast<size_t>(channels * bits / 8);
  for (size_t at = 0; at + frame <= pcm.size(); at += frame) {
    if (bits == 8) {
      samples.push_back((static_cast<unsigned char>(pcm[at]) - 128) / 128.0);
    } else {
      const auto v = static_cast<int16_t>(static_cast<unsigned char>(pcm[at]) | static_cast<unsigned char>(pcm[at + 1])
                                                                                    << 8);
      samples.push_back(v / 32768.0);
    }
  }
  return samples;
}

inline ToneMeasure MeasureTone(const std::string& pcm, int bits, int channels, int rate) {
  const std::vector<double> samples = ChannelSamples(pcm, bits, channels);
  const size_t window = static_cast<size_t>(rate / 10);
  ToneMeasure best;
  for (size_t from = 0; from + window <= samples.size(); from += window / 2) {
    double sum = 0;
    int crossings = 0;
    for (size_t i = from; i < from + window; ++i) {
      sum += samples[i] * samples[i];
      if (i > from && (samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
    }
    const double rms = std::sqrt(sum / static_cast<double>(window));
    if (rms > best.rms) best = {rms, crossings / 2.0 / (static_cast<double>(window) / rate)};
  }
  return best;
}

// Waits (bounded) for a condition that a background process brings about.
template <class Condition>
bool WaitUntil(Condition condition, int maxMilliseconds = 10000) {
  for (int waited = 0; waited < maxMilliseconds; waited += 20) {
    if (condition()) return true;
    usleep(20000);
  }
  return condition();
}

}  // namespace soundtest

// ---- WAV files on disk ----
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "wave/Wavestorage.h"

namespace soundtest {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline uint32_t Le32(const std::string& b, size_t at) {
  return vombrel::GetLittleEndian32(reinterpret_cast<const unsigned char*>(b.data()) + at);
}

// Checks the 46-byte header layout field by field against the file's real length and
// returns the data size it states (0 after a failed check).
inline uint32_t CheckWaveFile(const std::string& bytes, const vombrel::TWaveFormatEx& format) {
  EXPECT_GE(bytes.size(), 46u);
  if (bytes.size() < 46) return 0;
  const uint32_t data = Le32(bytes, 42);
  const uint32_t pad = data & 1U;
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le32(bytes, 16), 18u);
  EXPECT_EQ(vombrel::DecodeWaveFormat(reinterpret_cast<const unsigned char*>(bytes.data()) + 20), format);
  EXPECT_EQ(bytes.substr(38, 4), "data");
  EXPECT_EQ(bytes.size(), 46u + data + pad);
  if (pad && bytes.size() == 46u + data + pad) {
    EXPECT_EQ(bytes.back(), '\0') << "pad byte";
  }
  return bytes.size() == 46u + data + pad ? data : 0;
}

// A stream that refuses writes beyond `limit` bytes: a full disk.
class FullDiskStream : public vombrel::TMemoryStream {
 public:
  explicit FullDiskStream(size_t limit) : limit_(limit) {}
  bool WriteAt(uint64_t offset, const void* data, size_t size) override {
    if (offset + size > limit_) return false;
    return TMemoryStream::WriteAt(offset, data, size);
  }
  std::string LastError() const override { return "No space left on device"; }

 private:
  size_t limit_;
};

}  // namespace soundtest
