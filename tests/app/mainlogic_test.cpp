#include "app/Mainlogic.h"

#include <gtest/gtest.h>

namespace vombrel {
namespace {

TEST(FormatTime, HoursMinutesSeconds) {
  const struct {
    int32_t ms;
    const char* text;
  } cases[] = {{0, "0.00.00"},        {999, "0.00.00"},       {59999, "0.00.59"}, {60000, "0.01.00"},
               {3725000, "1.02.05"}, {36000000, "10.00.00"}, {-5000, "0.00.00"}};
  for (const auto& c : cases) EXPECT_EQ(FormatTime(c.ms), c.text) << c.ms;
}

TEST(BuildOpenFilter, PairsInListOrder) {
  EXPECT_EQ(BuildOpenFilter({"mp3", "ogg"}),
            "Media files (*.mp3;*.ogg;)|*.MP3;*.OGG;|mp3 file (*.MP3)|*.MP3|ogg file (*.OGG)|*.OGG|"
            "All types (*.*)|*.*");
  EXPECT_EQ(BuildOpenFilter({}), "Media files ()||All types (*.*)|*.*");
  EXPECT_EQ(BuildOpenFilter({"wav"}), "Media files (*.wav;)|*.WAV;|wav file (*.WAV)|*.WAV|All types (*.*)|*.*");
}

TEST(OpenFilterToNameFilters, DialogEntriesMatchEitherCase) {
  EXPECT_EQ(OpenFilterToNameFilters(BuildOpenFilter({"mp3", "ogg"})),
            (std::vector<std::string>{"Media files (*.[mM][pP]3 *.[oO][gG][gG])", "mp3 file (*.[mM][pP]3)",
                                      "ogg file (*.[oO][gG][gG])", "All types (*)"}));
  EXPECT_EQ(OpenFilterToNameFilters(BuildOpenFilter({})),
            (std::vector<std::string>{"Media files (-)", "All types (*)"}));
}

TEST(WalkCommandLine, LastArgumentFirstAndSwitchForms) {
  const struct {
    std::vector<std::string> arguments;
    std::vector<ShellCommand> commands;
  } cases[] = {
      {{}, {}},
      {{"/a/b.mp3"}, {{"Open", "/a/b.mp3", ""}}},  // an absolute path, not a switch
      {{"/b.mp3"}, {{"Open", "/b.mp3", ""}}},
      {{"/a/b:c.mp3"}, {{"Open", "/a/b:c.mp3", ""}}},
      {{"b.mp3"}, {{"Open", "b.mp3", ""}}},
      {{"one.mp3", "two.ogg"}, {{"Open", "two.ogg", ""}, {"Open", "one.mp3", ""}}},
      {{"/Enqueue:x.mp3"}, {{"Enqueue", "x.mp3", ""}}},
      {{"-play:x.mp3/now"}, {{"play", "x.mp3", "now"}}},
      {{"-play:x.mp3-now"}, {{"play", "x.mp3", "now"}}},
      {{"/play:a-b.mp3/opt"}, {{"play", "a-b.mp3", "opt"}}},
      {{"-verbose"}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(WalkCommandLine(c.arguments), c.commands);
}

TEST(Volume, MenuCaptionsGiveTheDesignedValues) {
  const struct {
    const char* caption;
    std::optional<int32_t> value;
  } cases[] = {{"100%", 65535}, {"80%", 52427}, {"60%", 39320}, {"40%", 26213}, {"20%", 13106},
               {"0%", 0},       {"", {}},       {"%", {}},      {"abc", {}},    {"200%", {}}};
  for (const auto& c : cases) EXPECT_EQ(VolumeFromMenuCaption(c.caption), c.value) << c.caption;
}

TEST(Volume, StepsStopAtTheEnds) {
  EXPECT_EQ(VolumeUpTarget(62000, kWheelVolumeStep), 65535);
  EXPECT_EQ(VolumeUpTarget(65535, kWheelVolumeStep), std::nullopt);
  EXPECT_EQ(VolumeUpTarget(100, kWheelVolumeStep), 6653);
  EXPECT_EQ(VolumeDownTarget(3000, kWheelVolumeStep), 0);
  EXPECT_EQ(VolumeDownTarget(0, kWheelVolumeStep), std::nullopt);
  EXPECT_EQ(VolumeDownTarget(10000, kWheelVolumeStep), 3447);
}

TEST(Position, PercentAndSeekTarget) {
  EXPECT_EQ(PositionPercent(0, 1000), 0);
  EXPECT_EQ(PositionPercent(999, 1000), 99);
  EXPECT_EQ(PositionPercent(1000, 1000), 100);
  EXPECT_EQ(PositionPercent(1500, 1000), 100);
  EXPECT_EQ(PositionPercent(5, 0), 0);
  EXPECT_EQ(SeekTarget(200000, 50), 100000);
  EXPECT_EQ(SeekTarget(1000, 33), 329);  // 33 x 0.01 falls just short of 0.33 in extended precision
  EXPECT_EQ(SeekTarget(1000, 0), 0);
}

TEST(TrayTooltip, ArtistAndTitleOrName) {
  EXPECT_EQ(TrayTooltipText("Artist ", "Song", "x.mp3", "0.03.00"), "Artist  - Song (0.03.00)");
  EXPECT_EQ(TrayTooltipText("  ", "Song", "x.mp3", "0.03.00"), "x.mp3 (0.03.00)");
  EXPECT_EQ(TrayTooltipText("Artist", "", "x.mp3", "0.00.01"), "x.mp3 (0.00.01)");
}

}  // namespace
}  // namespace vombrel
