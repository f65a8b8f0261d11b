// The recorder against the test environment's sound server: a tone played into a null
// sink of the test's own is recorded from its monitor, made the default input.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/wave/Soundtestkit.h"
#include "wave/Waverecorders.h"

using namespace vombrel;
using namespace soundtest;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

TWaveFormatEx FormatOf(TPCMFormat pcm) {
  TWaveFormatEx f;
  SetPCMAudioFormatS(f, pcm);
  return f;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class Recorder : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    sink_ = new OwnNullSink("rec");
    ASSERT_TRUE(sink_->Loaded()) << "pactl could not load a null sink: is the test sound server running?";
    previousSource_ = new std::string(Chomp(soundtest::Run("pactl get-default-source")));
    tone_ = new Background(ToneCommand(sink_->Name(), 1000));
    // A listener that stays for the whole suite keeps the sink's latency where the
    // recordings want it, so no recording starts with the sink re-timing itself.
    listener_ = new Background("exec parec --latency-msec=50 --device=" + sink_->Monitor() + " >/dev/null");
    soundtest::Run("pactl set-default-source " + sink_->Monitor());
    // A null sink needs a moment before the first sound flows through it.
    ASSERT_TRUE(WaitUntil(ToneArrives, 15000)) << "the tone never reached the recorder";
  }
  static void TearDownTestSuite() {
    soundtest::Run("pactl set-default-source " + *previousSource_);
    delete listener_;
    delete tone_;
    delete sink_;
    delete previousSource_;
  }

 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vombrel-rec-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  // A short recording whose last tenth of a second holds the tone.
  static bool ToneArrives() {
    const std::string path =
        (fs::temp_directory_path() / ("vombrel-warmup-" + std::to_string(getpid()) + ".wav")).string();
    TStockAudioRecorder probe;
    probe.SetPCMFormat(Mono16bit44100Hz);
    probe.SetBufferLength(100);
    if (!probe.RecordToFile(path)) return false;
    Sleep(400);
    probe.SetActive(false);
    probe.WaitUntilClosed();
    const std::string bytes = ReadFile(path);
    fs::remove(path);
    if (bytes.size() < 46 + 8820) return false;
    return MeasureTone(bytes.substr(bytes.size() - 8820), 16, 1, 44100).rms > 0.3;
  }

  static OwnNullSink* sink_;
  static Background* tone_;
  static Background* listener_;
  static std::string* previousSource_;
  fs::path dir_;
};
OwnNullSink* Recorder::sink_ = nullptr;
Background* Recorder::tone_ = nullptr;
Background* Recorder::listener_ = nullptr;
std::string* Recorder::previousSource_ = nullptr;

// Points the process at another sound server for the lifetime of a scope.
class ScopedPulseServer {
 public:
  explicit ScopedPulseServer(const std::string& server) {
    const char* old = getenv("PULSE_SERVER");
    if (old) previous_ = old;
    setenv("PULSE_SERVER", server.c_str(), 1);
  }
  ~ScopedPulseServer() {
    if (previous_.empty())
      unsetenv("PULSE_SERVER");
    else
      setenv("PULSE_SERVER", previous_.c_str(), 1);
  }

 private:
  std::string previous_;
};

}  // namespace

TEST_F(Recorder, RecordsTheToneInEveryTestedFormat) {
  struct Case {
    TPCMFormat pcm;
    uint32_t bufferBytes;
  };
  const Case cases[] = {{Mono8bit11025Hz, 11025}, {Stereo16bit44100Hz, 176400}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.pcm));
    const TWaveFormatEx format = FormatOf(c.pcm);
    ASSERT_EQ(CalcWaveBufferSize(format, 1000), c.bufferBytes);
    TStockAudioRecorder recorder;
    recorder.SetPCMFormat(c.pcm);
    const std::string path = PathOf("tone.wav");
    const auto started = Clock::now();
    ASSERT_TRUE(recorder.RecordToFile(path)) << recorder.GetLastErrorText();
    EXPECT_TRUE(recorder.Active());
    Sleep(2300);
    try {
      recorder.SetPCMFormat(Stereo8bit8000Hz);
      ADD_FAILURE() << "format changed while the device is open";
    } catch (const EInvalidOperation& e) {
      EXPECT_STREQ(e.what(), "Audio format cannot be changed while device is open");
    }
    recorder.SetActive(false);
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    recorder.WaitUntilClosed();
    EXPECT_FALSE(recorder.Active());
    EXPECT_EQ(recorder.GetLastErrorText(), "");

    const std::string bytes = ReadFile(path);
    const uint32_t data = CheckWaveFile(bytes, format);
    const double expected = seconds * format.avgBytesPerSec;
    EXPECT_NEAR(data, expected, c.bufferBytes) << "recorded " << seconds << " s";
    EXPECT_EQ(recorder.CaptureStats().bytesWritten, data);

    // The last second holds the tone at its level (0.5 of full scale: RMS 0.354).
    ASSERT_GT(data, format.avgBytesPerSec);
    const auto tail = bytes.substr(46 + data - format.avgBytesPerSec, format.avgBytesPerSec);
    const ToneMeasure tone = MeasureTone(tail, format.bitsPerSample, format.channels, format.samplesPerSec);
    EXPECT_NEAR(tone.rms, 0.354, 0.05);
    EXPECT_NEAR(tone.frequency, 1000, 15);
  }
}

TEST_F(Recorder, StoppingHalfWayThroughABufferWritesWhatWasCaptured) {
  TStockAudioRecorder recorder;
  recorder.SetPCMFormat(Stereo16bit44100Hz);
  const std::string path = PathOf("half.wav");
  ASSERT_TRUE(recorder.RecordToFile(path)) << recorder.GetLastErrorText();
  Sleep(1500);
  recorder.SetActive(false);
  recorder.WaitUntilClosed();
  const std::string bytes = ReadFile(path);
  const uint32_t data = CheckWaveFile(bytes, FormatOf(Stereo16bit44100Hz));
  EXPECT_GT(data, 176400u);
  EXPECT_LT(data, 2u * 176400u);
  EXPECT_NE(data % 176400u, 0u);
  EXPECT_EQ(data % 4u, 0u) << "whole frames";
  // The part after the last full buffer is sound, not padding.
  const auto part = bytes.substr(46 + 176400, data - 176400);
  EXPECT_NEAR(MeasureTone(part, 16, 2, 44100).rms, 0.354, 0.05);
}

TEST_F(Recorder, SecondRecordingIntoTheSamePathIsRefusedAndTheFirstGoesOn) {
  TStockAudioRecorder first;
  first.SetPCMFormat(Mono16bit22050Hz);
  first.SetBufferLength(200);
  const std::string path = PathOf("busy.wav");
  ASSERT_TRUE(first.RecordToFile(path));
  Sleep(500);

  TStockAudioRecorder second;
  EXPECT_THROW(second.RecordToFile(path), EFCreateError);
  EXPECT_FALSE(second.Active());
  EXPECT_THROW(first.RecordToFile(path), EFCreateError);
  EXPECT_TRUE(first.Active()) << "the running recording goes on";
  Sleep(300);

  // Into another path: the running file is finished before the new one starts.
  const std::string other = PathOf("other.wav");
  ASSERT_TRUE(first.RecordToFile(other));
  const uint32_t finished = CheckWaveFile(ReadFile(path), FormatOf(Mono16bit22050Hz));
  EXPECT_GT(finished, 22050u * 2 / 2) << "about 0.8 s were recorded into the first file";
  first.SetActive(false);
  first.WaitUntilClosed();
  CheckWaveFile(ReadFile(other), FormatOf(Mono16bit22050Hz));
}

TEST_F(Recorder, StateErrorsCarryTheirTexts) {
  TStockAudioRecorder recorder;
  try {
    recorder.CloseDevice();
    ADD_FAILURE();
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Device is aleardy close");
  }
  try {
    recorder.SetActive(true);
    ADD_FAILURE();
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Stock property is not assigned");
  }
  EXPECT_NO_THROW(recorder.SetActive(false)) << "stopping a closed recorder does nothing";

  ASSERT_TRUE(recorder.RecordToFile(PathOf("state.wav")));
  try {
    recorder.OpenDevice();
    ADD_FAILURE();
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Device is aleardy open");
  }
  recorder.SetActive(false);
  recorder.WaitUntilClosed();

  EXPECT_EQ(recorder.BufferLength(), 1000u);
  EXPECT_EQ(recorder.BufferCount(), 2u);
  EXPECT_EQ(recorder.PCMFormat(), Mono16bit8000Hz);
  recorder.SetBufferLength(3);
  EXPECT_EQ(recorder.BufferLength(), 10u);
}

TEST_F(Recorder, NamedSourceIsRecordedWithoutBecomingTheDefault) {
  // The default input is the silent null source now; the named monitor still records
  // the tone, and the default stays where it was.
  soundtest::Run("pactl set-default-source nullsrc");
  TStockAudioRecorder recorder;
  recorder.SetPCMFormat(Mono16bit22050Hz);
  recorder.SetSourceName(sink_->Monitor());
  const std::string path = PathOf("named.wav");
  ASSERT_TRUE(recorder.RecordToFile(path)) << recorder.GetLastErrorText();
  Sleep(1500);
  recorder.SetActive(false);
  recorder.WaitUntilClosed();
  EXPECT_EQ(Chomp(soundtest::Run("pactl get-default-source")), "nullsrc");
  soundtest::Run("pactl set-default-source " + sink_->Monitor());
  const TWaveFormatEx format = FormatOf(Mono16bit22050Hz);
  const std::string bytes = ReadFile(path);
  const uint32_t data = CheckWaveFile(bytes, format);
  ASSERT_GT(data, format.avgBytesPerSec);
  const ToneMeasure tone = MeasureTone(bytes.substr(46 + data - format.avgBytesPerSec, format.avgBytesPerSec), 16, 1,
                                       22050);
  EXPECT_NEAR(tone.rms, 0.354, 0.05);
  EXPECT_NEAR(tone.frequency, 1000, 15);

  // A source that does not exist refuses the open: a header-only file and the reason.
  TStockAudioRecorder missing;
  missing.SetSourceName("no.such.source");
  const std::string lost = PathOf("lost.wav");
  EXPECT_FALSE(missing.RecordToFile(lost));
  EXPECT_FALSE(missing.Active());
  EXPECT_NE(missing.GetLastErrorText(), "");
  EXPECT_EQ(ReadFile(lost).size(), 46u);
}

TEST_F(Recorder, RefusedFormatAndMissingServerLeaveTheHeaderOnlyFile) {
  TStockAudioRecorder refused;
  refused.SetPCMFormat(nonePCM);
  const std::string path = PathOf("refused.wav");
  EXPECT_THROW(refused.RecordToFile(path), EWaveAudioError);
  EXPECT_FALSE(refused.Active());
  EXPECT_NE(refused.GetLastErrorText(), "");
  std::string bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 46u);
  EXPECT_EQ(Le32(bytes, 4), 38u);
  EXPECT_EQ(Le32(bytes, 42), 0u);

  {
    ScopedPulseServer nowhere("unix:" + (dir_ / "no-server").string());
    TStockAudioRecorder recorder;
    const std::string lonely = PathOf("no-server.wav");
    EXPECT_FALSE(recorder.RecordToFile(lonely));
    EXPECT_FALSE(recorder.Active());
    EXPECT_EQ(recorder.GetLastErrorText(), "Connection refused");
    bytes = ReadFile(lonely);
    ASSERT_EQ(bytes.size(), 46u);
    EXPECT_EQ(Le32(bytes, 4), 38u);
  }

  TStockAudioRecorder recorder;
  EXPECT_THROW(recorder.RecordToFile(PathOf("missing/folder.wav")), EFCreateError);
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(Recorder, ABufferLengthWhoseBufferDoesNotFitIsRefused) {
  // 2^29 ms of 8000 bytes a second is 2^32 bytes: cut to 32 bits it would be a buffer of
  // 0 bytes, which never fills.
  TStockAudioRecorder recorder;
  recorder.SetPCMFormat(Mono8Bit8000Hz);
  recorder.SetBufferLength(536870912);
  const std::string path = PathOf("huge-buffer.wav");
  EXPECT_FALSE(recorder.RecordToFile(path));
  EXPECT_FALSE(recorder.Active());
  EXPECT_EQ(recorder.GetLastErrorText(), "Unable to allocate or lock memory.");
  EXPECT_EQ(recorder.LastErrorCode(), kWaveErrorNoMemory);
  const std::string bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 46u) << "the header-only file of a refused open";
  EXPECT_EQ(Le32(bytes, 42), 0u);

  // A length that fits records as usual afterwards.
  recorder.SetBufferLength(100);
  ASSERT_TRUE(recorder.RecordToFile(path)) << recorder.GetLastErrorText();
  ASSERT_TRUE(WaitUntil([&] { return recorder.CaptureStats().buffersWritten >= 1; }));
  recorder.SetActive(false);
  recorder.WaitUntilClosed();
  EXPECT_GE(CheckWaveFile(ReadFile(path), FormatOf(Mono8Bit8000Hz)), 800u);
}

TEST_F(Recorder, FullDiskIsReportedAndCapturingGoesOn) {
  TStockAudioRecorder recorder;
  recorder.SetPCMFormat(Mono16bit8000Hz);
  recorder.SetBufferLength(100);           // 1600-byte buffers
  FullDiskStream disk(46 + 3 * 1600 + 1);  // room for three buffers, not for a fourth or the rest
  std::atomic<int> errors{0};
  recorder.OnError = [&](const std::string& text) {
    EXPECT_EQ(text, "No space left on device");
    ++errors;
  };
  recorder.SetStock(&disk);
  recorder.SetActive(true);
  ASSERT_TRUE(recorder.Active()) << recorder.GetLastErrorText();
  ASSERT_TRUE(WaitUntil([&] { return errors >= 2; }));
  EXPECT_TRUE(recorder.Active()) << "capturing goes on after a failed write";
  EXPECT_EQ(recorder.GetLastErrorText(), "No space left on device");
  recorder.SetActive(false);
  recorder.WaitUntilClosed();
  EXPECT_EQ(CheckWaveFile(disk.bytes, FormatOf(Mono16bit8000Hz)), 3u * 1600u);
}

TEST_F(Recorder, ServerGoingAwayFinishesAValidFileAndSaysWhy) {
  const fs::path run = dir_ / "pulse";
  fs::create_directories(run);
  fs::permissions(run, fs::perms::owner_all);
  Background daemon("PULSE_RUNTIME_PATH=" + run.string() +
                    " exec pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n --disallow-exit"
                    " --load='module-null-sink sink_name=doomed'"
                    " --load='module-native-protocol-unix auth-anonymous=1 socket=" +
                    (run / "native").string() +
                    "'"
                    " >/dev/null 2>&1");
  ScopedPulseServer doomed("unix:" + (run / "native").string());  // for the recorder
  const std::string server = "unix:" + (run / "native").string();
  int status = -1;
  ASSERT_TRUE(WaitUntil(
      [&] {
        soundtest::Run("pactl --server=" + server + " info >/dev/null 2>&1", &status);
        return status == 0;
      },
      20000))
      << "the private sound server did not come up";

  TStockAudioRecorder recorder;
  recorder.SetPCMFormat(Stereo16bit8000Hz);
  recorder.SetBufferLength(100);
  std::atomic<int> errors{0};
  recorder.OnError = [&](const std::string&) { ++errors; };
  const std::string path = PathOf("orphan.wav");
  ASSERT_TRUE(recorder.RecordToFile(path)) << recorder.GetLastErrorText();
  ASSERT_TRUE(WaitUntil([&] { return recorder.CaptureStats().buffersWritten >= 3; }));
  daemon.Stop(SIGKILL);
  ASSERT_TRUE(WaitUntil([&] { return !recorder.Active(); }));
  // The engine thread reports the error right after it has closed the device.
  ASSERT_TRUE(WaitUntil([&] { return errors.load() > 0; }));
  recorder.WaitUntilClosed();
  EXPECT_EQ(errors.load(), 1);
  EXPECT_NE(recorder.GetLastErrorText(), "");
  EXPECT_GE(CheckWaveFile(ReadFile(path), FormatOf(Stereo16bit8000Hz)), 3u * 3200u);
}

TEST_F(Recorder, KilledRecordingLeavesAPlayableFile) {
  const std::string path = PathOf("crash.wav");
  Background child(std::string(VOMBREL_BINARY_DIR) + "/bin/wave_record_child " + path + " " +
                   std::to_string(Stereo16bit44100Hz) + " 200 2>/dev/null");
  const uint32_t buffer = 35280;
  ASSERT_TRUE(WaitUntil([&] {
    const std::string b = ReadFile(path);
    return b.size() >= 46 && Le32(b, 42) >= 4 * buffer;
  }));
  child.Stop(SIGKILL);

  // The kill may fall between a buffer's bytes and the header that counts them: then the
  // file holds more than the header states, never less.
  TMemoryStream image;
  image.bytes = ReadFile(path);
  const auto header = ReadWaveHeader(image);
  ASSERT_TRUE(header.has_value());
  const uint32_t data = header->dataSize;
  EXPECT_EQ(header->format, FormatOf(Stereo16bit44100Hz));
  EXPECT_EQ(header->riffSize, 38u + data + (data & 1U));
  EXPECT_GE(data, 4 * buffer);
  EXPECT_EQ(data % buffer, 0u) << "whole buffers only";
  const std::string probed = soundtest::Run(
      "ffprobe -v error -show_entries stream=duration,sample_rate,channels -of default=nw=1 " + path);
  const double expected = data / 176400.0;
  const auto at = probed.find("duration=");
  ASSERT_NE(at, std::string::npos) << probed;
  EXPECT_NEAR(std::stod(probed.substr(at + 9)), expected, 0.001) << probed;
  EXPECT_NE(probed.find("sample_rate=44100"), std::string::npos) << probed;
  EXPECT_NE(probed.find("channels=2"), std::string::npos) << probed;
}
