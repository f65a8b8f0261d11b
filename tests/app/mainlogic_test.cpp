#include "app/Mainlogic.h"
#include "platform/Session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace vombrel {
namespace {

TEST(FormatTime, HoursMinutesSeconds) {
  const struct {
    int32_t ms;
    const char* text;
  } cases[] = {{0, "0.00.00"},       {999, "0.00.00"},       {59999, "0.00.59"}, {60000, "0.01.00"},
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
  // No extension associated: the media entry still shows the files the program plays.
  const auto unassociated = OpenFilterToNameFilters(BuildOpenFilter({}));
  ASSERT_EQ(unassociated.size(), 2u);
  for (const char* wildcard : {"*.[mM][pP]3 ", "*.[oO][gG][gG] ", "*.[fF][lL][aA][cC] ", "*.[mM][pP][gG] "})
    EXPECT_NE(unassociated[0].find(wildcard), std::string::npos) << wildcard;
  EXPECT_EQ(unassociated[0].rfind("Media files (", 0), 0u);
  EXPECT_EQ(unassociated[1], "All types (*)");
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
      {{"b.mp3"}, {{"Open", "/home/u/b.mp3", ""}}},
      {{"one.mp3", "two.ogg"}, {{"Open", "/home/u/two.ogg", ""}, {"Open", "/home/u/one.mp3", ""}}},
      {{"/Enqueue:x.mp3"}, {{"Enqueue", "/home/u/x.mp3", ""}}},
      {{"-play:x.mp3/now"}, {{"play", "/home/u/x.mp3", "now"}}},
      {{"-play:x.mp3-now"}, {{"play", "/home/u/x.mp3", "now"}}},
      {{"/play:a-b.mp3/opt"}, {{"play", "/home/u/a-b.mp3", "opt"}}},
      {{"-play:"}, {{"play", "", ""}}},
      {{"-verbose"}, {}},
      // An absolute path after the ":" is the file whole, dashes and slashes included.
      {{"-Enqueue:/home/u/a.mp3"}, {{"Enqueue", "/home/u/a.mp3", ""}}},
      {{"/Enqueue:/music/my-song.mp3"}, {{"Enqueue", "/music/my-song.mp3", ""}}},
  };
  for (const auto& c : cases) EXPECT_EQ(WalkCommandLine(c.arguments, "/home/u"), c.commands) << c.arguments.size();
}

// A relative name after the ":" that names an existing file is the file whole; one that
// names nothing is split at its first "/" or "-" as before.
TEST(WalkCommandLine, ExistingFileNamesKeepTheirDashes) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("vombrel-walk-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "my-song.mp3") << "x";
  const std::string f = folder.string();
  EXPECT_EQ(WalkCommandLine({"-Enqueue:my-song.mp3"}, f),
            (std::vector<ShellCommand>{{"Enqueue", f + "/my-song.mp3", ""}}));
  EXPECT_EQ(WalkCommandLine({"-Enqueue:no-song.mp3"}, f),
            (std::vector<ShellCommand>{{"Enqueue", f + "/no", "song.mp3"}}));
  std::filesystem::remove_all(folder);
}

// The toolkit is asked for X11 whenever an X display is named, unless the user chose.
TEST(WindowingPlatform, X11UnlessTheUserChoseOrThereIsNoDisplay) {
  const struct {
    const char* userPlatform;
    const char* display;
    PlatformChoice choice;
  } cases[] = {{nullptr, ":0", PlatformChoice::X11},          {"", ":1", PlatformChoice::X11},
               {"wayland", ":0", PlatformChoice::UserChoice}, {"offscreen", nullptr, PlatformChoice::UserChoice},
               {nullptr, nullptr, PlatformChoice::NoXServer}, {nullptr, "", PlatformChoice::NoXServer}};
  for (const auto& c : cases)
    EXPECT_EQ(DecideWindowingPlatform(c.userPlatform, c.display), c.choice)
        << (c.userPlatform ? c.userPlatform : "-") << " " << (c.display ? c.display : "-");
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
