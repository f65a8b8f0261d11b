// The program's arguments and what a second start hands over: the rules the launcher
// applies without the toolkit, as tables.
#include "app/Programarguments.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace vombrel;

namespace {

TEST(AbsoluteFileArgument, RelativeNamesJoinTheFolder) {
  const struct {
    const char* file;
    const char* folder;
    const char* result;
  } cases[] = {{"song.mp3", "/home/u", "/home/u/song.mp3"},
               {"song.mp3", "/home/u/", "/home/u/song.mp3"},
               {"../a.ogg", "/home/u", "/home/u/../a.ogg"},
               {"/abs.mp3", "/home/u", "/abs.mp3"},
               {"", "/home/u", ""},
               {"song.mp3", "", "song.mp3"},
               {"song.mp3", "/", "/song.mp3"}};
  for (const auto& c : cases) EXPECT_EQ(AbsoluteFileArgument(c.file, c.folder), c.result) << c.file;
}

TEST(WithoutToolkitOptions, TheToolkitsOptionsAndTheirValuesGo) {
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> kept;
  } cases[] = {
      {{"-style", "fusion", "a.mp3"}, {"a.mp3"}},
      {{"-platform", "xcb", "-reverse", "b.mp3"}, {"b.mp3"}},
      {{"--style=fusion", "-qwindowgeometry", "100x100", "c.mp3"}, {"c.mp3"}},
      {{"-Enqueue:x.mp3", "-verbose", "-"}, {"-Enqueue:x.mp3", "-verbose", "-"}},
      {{"a.mp3", "-style"}, {"a.mp3"}},  // a value missing at the end
      {{"style", "fusion"}, {"style", "fusion"}},
  };
  for (const auto& c : cases) EXPECT_EQ(WithoutToolkitOptions(c.arguments), c.kept) << c.arguments.front();
}

// A second start in a folder of its own: relative files become absolute, the toolkit's
// own options and their values are left out, switches travel as they are, only the first
// argument that is left counts.
TEST(HandOverArgument, TheFirstArgumentLeftAsTheRunningInstanceNeedsIt) {
  const std::filesystem::path before = std::filesystem::current_path();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("vombrel-args-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  const std::string f = std::filesystem::current_path().string();
  const struct {
    std::vector<const char*> arguments;
    std::string handedOver;
  } cases[] = {
      {{}, ""},
      {{"song.mp3"}, f + "/song.mp3"},
      {{"../up.mp3"}, f + "/../up.mp3"},
      {{"/music/a.mp3"}, "/music/a.mp3"},
      {{"a.mp3", "b.mp3"}, f + "/a.mp3"},
      {{"list.M3U"}, f + "/list.M3U"},
      {{"-style", "fusion", "a.mp3"}, f + "/a.mp3"},
      {{"--style=fusion", "-reverse", "a.mp3"}, f + "/a.mp3"},
      {{"-platform", "xcb", "-qwindowgeometry", "10x10", "/m/b.ogg"}, "/m/b.ogg"},
      {{"-qmljsdebugger=port:1", "c.mp3"}, f + "/c.mp3"},
      {{"-style"}, ""},  // a value missing at the end
      {{"-Enqueue:x.mp3", "a.mp3"}, "-Enqueue:x.mp3"},
      {{"/Enqueue:x.mp3"}, "/Enqueue:x.mp3"},
      {{"-verbose", "a.mp3"}, "-verbose"},
      {{"", "a.mp3"}, ""},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv{"vombrel"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    EXPECT_EQ(HandOverArgument(static_cast<int>(argv.size()), argv.data()), c.handedOver)
        << (c.arguments.empty() ? "(none)" : c.arguments.front());
  }
  // The first instance's list: every argument, files absolute, switches as they are.
  const std::vector<const char*> argv{"vombrel", "-Enqueue:x.mp3", "a.mp3", "/b.mp3"};
  EXPECT_EQ(ProgramArguments(static_cast<int>(argv.size()), argv.data()),
            (std::vector<std::string>{"-Enqueue:x.mp3", f + "/a.mp3", "/b.mp3"}));
  std::filesystem::current_path(before);
  std::filesystem::remove_all(folder);
}

TEST(AsksForShellClient, OnlyTheSwitchAsTheFirstArgument) {
  const struct {
    std::vector<const char*> argv;
    bool asks;
  } cases[] = {
      {{"vombrel", "--dde-execute", "Vombrel", "[Open(\"/a.mp3\")]"}, true},
      {{"vombrel", "--dde-execute"}, true},  // the client mode reports its usage
      {{"vombrel"}, false},
      {{"vombrel", "a.mp3", "--dde-execute"}, false},
      {{"vombrel", "-dde-execute"}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AsksForShellClient(static_cast<int>(c.argv.size()), c.argv.data()), c.asks) << c.argv.size();
}

}  // namespace
