// The main window's output volume on the sound server's default sink.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Volume.h"
#include "tests/wave/Soundtestkit.h"

using namespace vombrel;
using namespace soundtest;

TEST(VolumeScale, EveryChannelValueSurvivesTheServerScale) {
  for (uint32_t v = 0; v <= 65535; ++v) {
    ASSERT_EQ(ServerVolumeToChannel(ChannelToServerVolume(static_cast<uint16_t>(v))), v);
  }
  EXPECT_EQ(ChannelToServerVolume(65535), kPulseVolumeNorm);
  EXPECT_EQ(ChannelToServerVolume(0), 0u);
  EXPECT_EQ(ChannelToServerVolume(52427), 52428u);  // 80 %
  EXPECT_EQ(ServerVolumeToChannel(kPulseVolumeNorm), 65535);
  EXPECT_EQ(ServerVolumeToChannel(kPulseVolumeNorm * 3 / 2), 65535) << "amplified volumes read as full";
}

namespace {

// Makes a null sink of the test's own the default sink while the test runs.
class OutputVolume : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sink_.Loaded());
    previous_ = Chomp(soundtest::Run("pactl get-default-sink"));
    soundtest::Run("pactl set-default-sink " + sink_.Name());
  }
  void TearDown() override { soundtest::Run("pactl set-default-sink " + previous_); }
  OwnNullSink sink_{"vol"};
  std::string previous_;
};

}  // namespace

TEST_F(OutputVolume, MenuValuesSurviveAWriteAndARead) {
  const uint32_t device = FindWaveDevice();
  EXPECT_EQ(device, 0u);
  struct Case {
    uint16_t value;
    const char* percent;
  };
  const Case cases[] = {{65535, "100%"}, {52427, "80%"}, {39320, "60%"}, {26213, "40%"}, {13106, "20%"}, {0, "0%"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(SetOutputVolume(device, c.value)) << c.value;
    EXPECT_EQ(WaveOutGetVolume(device), std::optional<uint32_t>(c.value * 65537U)) << c.value;
    EXPECT_EQ(ReadVolumeBarPosition(device), std::optional<uint16_t>(c.value));
    // The server itself shows the same percentage on both channels.
    const std::string shown = soundtest::Run("pactl get-sink-volume " + sink_.Name());
    const std::string percent = std::string(" ") + c.percent + " ";
    EXPECT_NE(shown.find("front-left:"), std::string::npos) << shown;
    const auto first = shown.find(percent);
    ASSERT_NE(first, std::string::npos) << shown;
    EXPECT_NE(shown.find(percent, first + 1), std::string::npos) << "both channels: " << shown;
  }
}

TEST_F(OutputVolume, ChannelsAreWrittenSeparately) {
  ASSERT_TRUE(WaveOutSetVolume(0, 1000U | 60000U << 16));
  EXPECT_EQ(WaveOutGetVolume(0), std::optional<uint32_t>(1000U | 60000U << 16));
  EXPECT_EQ(ReadVolumeBarPosition(WAVE_MAPPER_OUT), std::optional<uint16_t>(60000)) << "the right channel";
  SetOutputVolume(0, 65535);
}

TEST(OutputVolumeWithoutServer, EverythingIsNeutral) {
  const char* old = getenv("PULSE_SERVER");
  const std::string previous = old ? old : "";
  setenv("PULSE_SERVER", "unix:/nonexistent/vombrel/native", 1);
  auto server = ConnectSoundServer();
  EXPECT_EQ(FindWaveDevice(*server), WAVE_MAPPER_OUT);
  EXPECT_EQ(WaveOutGetVolume(0, *server), std::nullopt);
  EXPECT_FALSE(SetOutputVolume(0, 100, *server));
  EXPECT_EQ(ReadVolumeBarPosition(0, *server), std::nullopt);
  EXPECT_EQ(server->ServerName(), "");
  if (old) {
    setenv("PULSE_SERVER", previous.c_str(), 1);
  } else {
    unsetenv("PULSE_SERVER");
  }
}
