// Mixer lines on the test environment's sound server, on the monitor of a null sink of
// the test's own.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/wave/Soundtestkit.h"
#include "wave/Wavemixer.h"

using namespace vombrel;
using namespace soundtest;

TEST(MixerOnServer, MonitorOfOurSinkIsADestinationWithVolumeMuteAndSelection) {
  OwnNullSink sink("mix");
  ASSERT_TRUE(sink.Loaded());
  const std::string previousSource = Chomp(soundtest::Run("pactl get-default-source"));

  TAudioMixer mixer;
  EXPECT_FALSE(mixer.MixerName().empty());
  StringList names;
  const int count = mixer.FetchDestinationNames(names);
  ASSERT_EQ(count, static_cast<int>(names.size()));
  const std::string title = "Monitor of " + sink.Name();
  const auto found = std::find(names.begin(), names.end(), title);
  ASSERT_NE(found, names.end()) << "monitors are destinations";
  EXPECT_NE(std::find(names.begin(), names.end(), "Null Input"), names.end()) << "so are real inputs";

  mixer.SetDestinationID(static_cast<int>(found - names.begin()));
  EXPECT_EQ(mixer.DestinationName(), title);
  ASSERT_EQ(mixer.GetLineCount(), 1) << "a source without ports has one line";
  EXPECT_EQ(mixer.GetLines(0).GetName(), title);

  TAudioMixerLine& line = mixer.DestinationLine();
  for (int percent : {0, 37, 80, 100}) {
    line.SetVolume(percent);
    EXPECT_EQ(line.ResultCode(), MMSYSERR_NOERROR);
    EXPECT_EQ(line.GetVolume(), percent);
  }
  line.SetVolume(250);
  EXPECT_EQ(line.GetVolume(), 100);
  EXPECT_NE(soundtest::Run("pactl get-source-volume " + sink.Monitor()).find(" 100% "), std::string::npos);

  line.SetMute(true);
  EXPECT_TRUE(line.GetMute());
  EXPECT_EQ(Chomp(soundtest::Run("pactl get-source-mute " + sink.Monitor())), "Mute: yes");
  line.SetMute(false);
  EXPECT_FALSE(line.GetMute());

  line.SetSelectedLine(0);
  EXPECT_EQ(line.ResultCode(), MMSYSERR_NOERROR);
  EXPECT_EQ(Chomp(soundtest::Run("pactl get-default-source")), previousSource)
      << "selecting a line leaves the system's default input alone";
}
