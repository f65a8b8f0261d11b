#include <gtest/gtest.h>

#include "Scriptedcontroller.h"
#include "Tempuserdir.h"
#include "playlist/Playlistfiles.h"
#include "playlist/Playlistmodel.h"

using namespace vombrel;
using vombrel::testing::ScriptedController;
using vombrel::testing::Sequence;
using vombrel::testing::TempUserDir;

namespace {

StringList Numbered(int n) {
  StringList entries;
  for (int i = 0; i < n; ++i) entries.push_back("/music/track" + std::to_string(i) + ".mp3");
  return entries;
}

class Model : public ::testing::Test {
 protected:
  void Fill(int n, int32_t current = 0) {
    model.Entries = Numbered(n);
    model.CurrentIndex = current;
  }
  TempUserDir dir{"playlist-model"};
  PlaylistModel model;
  ScriptedController controller{model};
};

struct StepCase {
  const char* name;
  int count;
  int32_t start;
  bool shuffle;
  uint32_t random;
  bool next;  // StepNext, else StepPrevious
  int32_t expected;
};

TEST_F(Model, NavigationSteps) {
  const StepCase cases[] = {
      {"next 0->1", 3, 0, false, 0, true, 1},
      {"next 1->2", 3, 1, false, 0, true, 2},
      {"next wraps 2->0", 3, 2, false, 0, true, 0},
      {"previous wraps 0->2", 3, 0, false, 0, false, 2},
      {"previous 2->1", 3, 2, false, 0, false, 1},
      {"empty next unchanged", 0, 5, false, 0, true, 5},
      {"empty previous unchanged", 0, -1, false, 0, false, -1},
      {"out of range brought in", 3, 7, false, 0, true, 2},
      {"negative next", 3, -1, false, 0, true, 0},
      {"negative previous", 3, -1, false, 0, false, 1},
      {"shuffle step 0 keeps", 5, 2, true, 10, true, 2},
      {"shuffle next 2+3", 5, 2, true, 8, true, 0},
      {"shuffle previous 2-4", 5, 2, true, 4, false, 3},
      {"shuffle large value", 5, 0, true, 0xFFFFFFFFu, true, 0},  // 4294967295 mod 5 = 0
      {"extreme index", 3, INT32_MAX, false, 0, true, 2},         // (2^31-1+1) mod 3
  };
  for (const auto& c : cases) {
    Fill(c.count, c.start);
    model.Shuffle = c.shuffle;
    model.SetRandomSource(Sequence({c.random}));
    c.next ? model.StepNext() : model.StepPrevious();
    EXPECT_EQ(model.CurrentIndex, c.expected) << c.name;
  }
}

struct RetryCase {
  const char* name;
  int count;
  int32_t start;
  std::set<int32_t> playable;
  bool played;
  std::vector<int32_t> attempts;
  int32_t finalIndex;
};

TEST_F(Model, PlayWithRetryCountsAttempts) {
  const RetryCase cases[] = {
      {"first plays", 3, 1, {1}, true, {1}, 1},
      {"three fail then position 3", 4, 0, {3}, true, {0, 1, 2, 3}, 3},
      {"all unplayable: Count attempts", 4, 2, {}, false, {2, 3, 0, 1}, 2},
      {"wraps to an earlier entry", 3, 2, {0}, true, {2, 0}, 0},
      {"one entry, index 3: fails then stops", 1, 3, {0}, false, {3}, 0},
      {"negative index counts one attempt", 2, -1, {0}, true, {-1, 0}, 0},
      {"empty list: no attempt", 0, 0, {}, false, {}, 0},
  };
  for (const auto& c : cases) {
    Fill(c.count, c.start);
    controller.playable = c.playable;
    controller.attempts.clear();
    EXPECT_EQ(model.PlayWithRetry(), c.played) << c.name;
    EXPECT_EQ(controller.attempts, c.attempts) << c.name;
    EXPECT_EQ(model.CurrentIndex, c.finalIndex) << c.name;
  }
}

TEST_F(Model, StopBetweenAttemptsEndsTheRetry) {
  Fill(5);
  model.StopRequested = true;  // a stale request is cleared at the start
  controller.duringAttempt = [&] {
    if (controller.attempts.size() == 2) model.StopRequested = true;
  };
  EXPECT_FALSE(model.PlayWithRetry());
  EXPECT_EQ(controller.attempts, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(model.CurrentIndex, 2);
}

TEST_F(Model, CountIsReadBeforeEveryAttempt) {
  Fill(5);
  controller.duringAttempt = [&] { model.Entries.pop_back(); };  // the list shrinks meanwhile
  EXPECT_FALSE(model.PlayWithRetry());
  // attempt 0 (4 left), attempt 1 (3 left), attempt 2 (2 left); 3 < 2 fails.
  EXPECT_EQ(controller.attempts.size(), 3u);
}

TEST_F(Model, ShuffledRetryUsesTheRandomSource) {
  Fill(4);
  model.Shuffle = true;
  model.SetRandomSource(Sequence({0, 3, 2}));
  controller.playable = {1};
  EXPECT_TRUE(model.PlayWithRetry());
  EXPECT_EQ(controller.attempts, (std::vector<int32_t>{0, 0, 3, 1}));
}

struct TrackEndCase {
  const char* name;
  int count;
  int32_t current;
  bool repeat;
  int32_t position, length;
  std::vector<int32_t> attempts;
};

TEST_F(Model, TrackEnd) {
  const TrackEndCase cases[] = {
      {"middle entry plays next", 3, 1, false, 5000, 5000, {2}},
      {"last entry, Repeat off: stops", 3, 2, false, 5000, 5000, {}},
      {"last entry, Repeat on: entry 0", 3, 2, true, 5000, 5000, {0}},
      {"position short of length: nothing", 3, 0, true, 4999, 5000, {}},
      {"position beyond length: nothing", 3, 0, true, 5001, 5000, {}},
      {"after Stop (0 of length): nothing", 3, 0, true, 0, 5000, {}},
      {"index out of range, Repeat off", 3, 5, false, 10, 10, {}},
      {"negative index, Repeat off", 3, -1, false, 10, 10, {0}},
  };
  for (const auto& c : cases) {
    Fill(c.count, c.current);
    model.Repeat = c.repeat;
    controller.playable = {0, 1, 2};
    controller.position = c.position;
    controller.length = c.length;
    controller.attempts.clear();
    model.HandleTrackEnd();
    EXPECT_EQ(controller.attempts, c.attempts) << c.name;
  }
}

TEST_F(Model, ShuffleWithoutRepeatStopsAtTheLastPosition) {
  Fill(4, 3);
  model.Shuffle = true;
  model.Repeat = false;
  model.SetRandomSource(Sequence({1}));
  controller.position = controller.length = 100;
  model.HandleTrackEnd();
  EXPECT_TRUE(controller.attempts.empty());
  model.CurrentIndex = 1;
  controller.playable = {2};
  model.HandleTrackEnd();
  EXPECT_EQ(controller.attempts, (std::vector<int32_t>{2}));
}

TEST_F(Model, SelectAndPlay) {
  Fill(3, 1);
  controller.playable = {0, 1, 2};
  model.SelectAndPlay(1);
  EXPECT_EQ(controller.pauseToggles, 1);
  EXPECT_TRUE(controller.attempts.empty());
  model.SelectAndPlay(4);  // 4 mod 3 = current: toggles again
  EXPECT_EQ(controller.pauseToggles, 2);
  model.SelectAndPlay(2);
  EXPECT_EQ(controller.attempts, (std::vector<int32_t>{2}));
  EXPECT_EQ(model.CurrentIndex, 2);
  model.Entries.clear();
  model.SelectAndPlay(0);
  EXPECT_EQ(model.CurrentIndex, 2);
  EXPECT_EQ(controller.pauseToggles, 2);
}

TEST_F(Model, AddAndRemoveAutosaveAndRefreshButKeepTheIndex) {
  model.CurrentIndex = 1;
  model.AddFiles({"/a.mp3", "b.ogg", ""});
  model.AddFile("/c d.wav");
  EXPECT_EQ(model.Entries, (StringList{"/a.mp3", "b.ogg", "", "/c d.wav"}));
  EXPECT_EQ(model.CurrentIndex, 1);
  EXPECT_EQ(controller.refreshes, 2);
  EXPECT_EQ(dir.Read(AutosavePath()), "/a.mp3\r\nb.ogg\r\n\r\n/c d.wav\r\n");

  model.RemoveEntries({0, 2, 17, -1});
  EXPECT_EQ(model.Entries, (StringList{"b.ogg", "/c d.wav"}));
  EXPECT_EQ(model.CurrentIndex, 1);  // now a later track
  EXPECT_EQ(controller.refreshes, 3);
  EXPECT_EQ(dir.Read(AutosavePath()), "b.ogg\r\n/c d.wav\r\n");

  model.Clear();
  EXPECT_EQ(model.Count(), 0);
  EXPECT_EQ(dir.Read(AutosavePath()), "b.ogg\r\n/c d.wav\r\n");  // Clear alone does not save
  EXPECT_EQ(model.Entry(0), "");
}

TEST_F(Model, DisplayNameUsesTitlesOfExistingTaggedFiles) {
  for (const char* name : {"song.mp3", "SONG2.OGG", "a.flac", "blank.wma", "untitled.ape"})
    dir.Write(dir.Path(name), "x");
  model.SetTitleReader([](const std::string& path) -> std::string {
    if (path.ends_with("blank.wma")) return "   ";
    if (path.ends_with("untitled.ape")) return "";
    return "\t Title of " + ExtractFileName(path) + " \r\n";
  });
  struct Case {
    std::string entry;
    std::string shown;
  } cases[] = {
      {dir.Path("song.mp3"), "Title of song.mp3"},
      {dir.Path("SONG2.OGG"), "Title of SONG2.OGG"},
      {dir.Path("a.flac"), "a.flac"},  // no title for FLAC
      {dir.Path("blank.wma"), ""},     // blanks only: empty after trimming
      {dir.Path("untitled.ape"), "untitled.ape"},
      {dir.Path("missing.mp3"), "missing.mp3"},
      {"relative/name", "name"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(model.DisplayName(c.entry), c.shown) << c.entry;
  model.ShowFileNames = true;
  EXPECT_EQ(model.DisplayName(dir.Path("song.mp3")), "song.mp3");
  PlaylistModel withoutReader;
  EXPECT_EQ(withoutReader.DisplayName(dir.Path("song.mp3")), "song.mp3");
}

TEST_F(Model, WithoutControllerNothingPlays) {
  PlaylistModel alone;
  alone.Entries = Numbered(2);
  EXPECT_FALSE(alone.PlayWithRetry());
  EXPECT_EQ(alone.CurrentIndex, 0);  // two failed attempts went round the list
  alone.SelectAndPlay(0);
  alone.HandleTrackEnd();
  alone.AddFile("x");
  EXPECT_EQ(alone.Count(), 3);
}

}  // namespace
