// The recorder window in the real program: opened from the main window's record button,
// it records what the player plays into the test environment's null sink, from that
// sink's monitor chosen by name while the system's default input is elsewhere; a preset
// saved in one window is loaded in the next.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "E2eHarness.h"
#include "app/Mainlayout.h"
#include "tests/wave/Soundtestkit.h"

namespace vombrel::e2e {
namespace {

namespace ml = mainlayout;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kTone = 1000;

// Places in the recorder window (window coordinates), as it is laid out.
constexpr int kFileFieldX = 100, kFileFieldY = 249;
constexpr int kChannelsX = 155, kChannelsY = 165;
constexpr int kRateX = 155, kRateY = 215;
constexpr int kRecX = 22, kRecY = 306;
constexpr int kPresetListX = 190, kPresetListY = 34;
constexpr int kPresetButtonX = 307, kPresetButtonY = 34;
constexpr int kCloseX = 320, kCloseY = 8;

std::string RecorderWindow(pid_t pid) {
  auto found = RunCommand("xdotool search --all --onlyvisible --pid " + std::to_string(pid) +
                          " --name '^Recorder$' 2>/dev/null | head -n1")
                   .output;
  while (!found.empty() && (found.back() == '\n' || found.back() == ' ')) found.pop_back();
  return found;
}

void ClickIn(const std::string& window, int x, int y) {
  RunCommand("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) + " click 1");
  std::this_thread::sleep_for(milliseconds(300));
}

void Keys(const std::string& keys) {
  RunCommand("xdotool key --delay 50 " + keys);
  std::this_thread::sleep_for(milliseconds(300));
}

void Type(const std::string& text) {
  RunCommand("xdotool type --delay 5 " + Quote(text));
  std::this_thread::sleep_for(milliseconds(200));
}

std::string Probe(const fs::path& file) {
  return RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of default=nw=1 " +
                    Quote(file.string()))
      .output;
}

uint64_t SizeOf(const fs::path& file) {
  std::error_code error;
  const auto size = fs::file_size(file, error);
  return error ? 0 : size;
}

// Records for a little over a second with the window's record button.
void RecordASecond(const std::string& window, const fs::path& file) {
  ClickIn(window, kRecX, kRecY);
  ASSERT_TRUE(WaitUntil([&] { return SizeOf(file) > 46 + 44100; }, seconds(15))) << "nothing recorded";
  ClickIn(window, kRecX, kRecY);
  // The file is finished on the engine's thread: its RIFF size then counts it whole.
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::string bytes = soundtest::ReadFile(file.string());
        return bytes.size() >= 46 && soundtest::Le32(bytes, 4) == bytes.size() - 8 &&
               soundtest::Le32(bytes, 42) + 46 <= bytes.size();
      },
      seconds(10)));
  std::this_thread::sleep_for(milliseconds(300));
}

void ExpectTone(const fs::path& file) {
  const std::string bytes = soundtest::ReadFile(file.string());
  ASSERT_GT(bytes.size(), 46u + 22050u);
  const uint32_t data = soundtest::Le32(bytes, 42);
  ASSERT_LE(46u + data, bytes.size());
  const auto tone = soundtest::MeasureTone(bytes.substr(46 + data - 22050, 22050), 16, 1, 22050);
  EXPECT_NEAR(tone.frequency, kTone, 20);
  EXPECT_GT(tone.rms, 0.05);  // ffmpeg's sine is an eighth of full scale
}

TEST(RecorderEndToEnd, RecordsWhatThePlayerPlaysAndKeepsAPreset) {
  TempFolder media("vombrel-e2e-rec-media");
  const fs::path tone = MakeTone(media.Path(), "tone.mp3", 20, kTone);
  const fs::path recording = media.Path() / "recording.wav";
  TempFolder home("vombrel-e2e-rec-home");
  // The default input is the silent null source: only the monitor chosen in the window
  // hears the tone.
  RunCommand("pactl set-default-source nullsrc");
  struct RestoreSource {
    ~RestoreSource() { RunCommand("pactl set-default-source nullsink.monitor"); }
  } restore;

  auto player = std::make_unique<Vombrel>(home.Path(), std::vector<std::string>{tone.string()});
  bool shown = player->WaitForMainWindow();
  if (!shown && player->Output().find("could not connect to display") != std::string::npos) {
    player = std::make_unique<Vombrel>(home.Path(), std::vector<std::string>{tone.string()});
    shown = player->WaitForMainWindow();
  }
  ASSERT_TRUE(shown);
  ASSERT_TRUE(WaitUntil([] { return std::abs(HeardFrequency() - kTone) < kTone / 5; }, seconds(20)))
      << "the player does not play the tone";

  // Open the recorder from the main window's record button.
  const QRect rec = ml::ButtonRect(ml::RowButton::Rec, false);
  player->ClickAt(rec.center().x(), rec.center().y());
  std::string window;
  ASSERT_TRUE(WaitUntil([&] { return !(window = RecorderWindow(player->Pid())).empty(); }, seconds(10)));
  std::this_thread::sleep_for(milliseconds(500));

  // Its first destination is the monitor of the null sink; mono, 22050 Hz, a file.
  ClickIn(window, kFileFieldX, kFileFieldY);
  Type(recording.string());
  ClickIn(window, kChannelsX, kChannelsY);
  Keys("Down Return");
  ClickIn(window, kRateX, kRateY);
  Keys("Down Return");
  RecordASecond(window, recording);
  EXPECT_EQ(Probe(recording), "codec_name=pcm_s16le\nsample_rate=22050\nchannels=1\n");
  ExpectTone(recording);
  EXPECT_EQ(soundtest::Chomp(RunCommand("pactl get-default-source").output), "nullsrc")
      << "the system's default input is left alone";

  // Save the settings as a preset through the name box.
  ClickIn(window, kPresetButtonX, kPresetButtonY);
  std::this_thread::sleep_for(milliseconds(700));
  Type("e2e");
  Keys("Return");
  const fs::path preset = Vombrel::UserFolder(home.Path()) / "Presets" / "e2e.rcf";
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(preset); }, seconds(10)));
  const std::string text = soundtest::ReadFile(preset.string());
  EXPECT_NE(text.find("[" + preset.string() + "]\r\nSorgente="), std::string::npos) << text;
  EXPECT_NE(
      text.find("\r\nCanali=Mono\r\nBits=16\r\nFrequenza=22050\r\nFileDestinazione=" + recording.string() + "\r\n"),
      std::string::npos)
      << text;

  // Close the window; a new one loads the preset and records in its format again.
  ClickIn(window, kCloseX, kCloseY);
  ASSERT_TRUE(WaitUntil([&] { return RecorderWindow(player->Pid()).empty(); }, seconds(10)));
  fs::remove(recording);
  player->ClickAt(rec.center().x(), rec.center().y());
  ASSERT_TRUE(WaitUntil([&] { return !(window = RecorderWindow(player->Pid())).empty(); }, seconds(10)));
  std::this_thread::sleep_for(milliseconds(500));
  ClickIn(window, kPresetListX, kPresetListY);
  Keys("Down Return");
  RecordASecond(window, recording);
  EXPECT_EQ(Probe(recording), "codec_name=pcm_s16le\nsample_rate=22050\nchannels=1\n");
  ExpectTone(recording);
  EXPECT_TRUE(player->Running());
}

}  // namespace
}  // namespace vombrel::e2e
