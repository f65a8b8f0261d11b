#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "Scriptedcontroller.h"
#include "Tempuserdir.h"
#include "playlist/Playlistfiles.h"
#include "playlist/Playlisthandover.h"
#include "playlist/Playlistmodel.h"

using namespace vombrel;
using vombrel::testing::ScriptedController;
using vombrel::testing::TempUserDir;

namespace {

using namespace std::string_literals;

TEST(PlaylistFormat, DecodeBytes) {
  struct Case {
    std::string bytes;
    StringList entries;
  } cases[] = {
      {"", {}},
      {"a\nb", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR: two breaks
      {"a\r\nb\r\n", {"a", "b"}},  // no trailing empty entry
      {"a\r", {"a"}},
      {"\r\r\r", {"", "", ""}},  // only CRs
      {"\n", {""}},
      {"a\0b\r\nc"s, {"a"}},  // reading stops at 0x00
      {"\0abc"s, {}},
      {"#EXTM3U\r\n#EXTINF:1,x\r\n  spaced  \r\n", {"#EXTM3U", "#EXTINF:1,x", "  spaced  "}},
      {"\xff\xfe\x80 bin\r\n", {"\xff\xfe\x80 bin"}},  // bytes kept, no decoding
  };
  for (const auto& c : cases) EXPECT_EQ(DecodePlaylist(c.bytes), c.entries) << c.bytes;
}

TEST(PlaylistFormat, EncodeWritesEveryEntryWithCrLf) {
  EXPECT_EQ(EncodePlaylist({"12345678", "abcdefgh"}), "12345678\r\nabcdefgh\r\n");
  EXPECT_EQ(EncodePlaylist({"12345678", "abcdefgh"}).size(), 20u);
  EXPECT_EQ(EncodePlaylist({}), "");
  EXPECT_EQ(EncodePlaylist({"", "\xe8 x"}), "\r\n\xe8 x\r\n");
}

TEST(PlaylistFormat, RoundTripOfLongLines) {
  const StringList entries{std::string(1 << 20, 'x'), "", "/tmp/a b.mp3"};
  EXPECT_EQ(DecodePlaylist(EncodePlaylist(entries)), entries);
}

TEST(PlaylistFormat, IsPlaylistFile) {
  struct Case {
    const char* path;
    bool playlist;
  } cases[] = {
      {"list.m3u", true}, {"LIST.M3U", true},   {"x.vpl", true},         {"/a/b.Vpl", true},
      {"a.m3u8", false},  {"noext", false},     {"dir.m3u/file", false}, {"", false},
      {".m3u", true},     {"a.m3u.mp3", false}, {"a.mp3.M3u", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPlaylistFile(c.path), c.playlist) << c.path;
}

TEST(PlaylistFormat, SaveNameCompletion) {
  struct Case {
    const char* chosen;
    int filterIndex;
    const char* completed;
  } cases[] = {
      {"mylist", 1, "mylist.VPL"},
      {"mylist", 2, "mylist.M3U"},
      {"mylist", 0, "mylist.M3U"},
      {"mylist.m3u", 1, "mylist.m3u"},
      {"mylist.m3u", 2, "mylist.m3u"},
      {"mylist.Vpl", 2, "mylist.Vpl"},
      {"a.m3u.m3u", 2, "a.m3u.m3u.M3U"},  // first ".M3U" is not at the end
      {"a.m3u.m3u", 1, "a.m3u.m3u.VPL"},
      {"a.m3u.vpl", 1, "a.m3u.vpl"},  // ".VPL" is checked when ".M3U" fails
      {"a.vpl.vpl", 2, "a.vpl.vpl.M3U"},
      {"", 1, ".VPL"},
      {"/dir.vpl/name", 1, "/dir.vpl/name.VPL"},
  };
  for (const auto& c : cases) EXPECT_EQ(CompletePlaylistSaveName(c.chosen, c.filterIndex), c.completed) << c.chosen;
}

class PlaylistFiles : public ::testing::Test {
 protected:
  PlaylistFiles() {
    model.SetRecentPlaylistHook([this](const std::string& path) { recent.push_back(path); });
    model.Entries = {"old1", "old2"};
    model.CurrentIndex = 1;
  }
  TempUserDir dir{"playlist-files"};
  PlaylistModel model;
  ScriptedController controller{model};
  StringList recent;
};

TEST_F(PlaylistFiles, LoadReplacesEntriesKeepsIndexAndAutosaves) {
  const auto path = dir.Path("list.M3U");
  dir.Write(path, "#EXTM3U\r\n/a.mp3\n/b.mp3\r");
  model.LoadPlaylistFile(path);
  EXPECT_EQ(model.Entries, (StringList{"#EXTM3U", "/a.mp3", "/b.mp3"}));
  EXPECT_EQ(model.CurrentIndex, 1);
  EXPECT_EQ(recent, StringList{path});
  EXPECT_EQ(dir.Read(BackupPath()), "old1\r\nold2\r\n");
  EXPECT_EQ(dir.Read(AutosavePath()), "#EXTM3U\r\n/a.mp3\r\n/b.mp3\r\n");
  EXPECT_EQ(controller.refreshes, 1);
}

TEST_F(PlaylistFiles, MissingFileChangesNothing) {
  model.LoadPlaylistFile(dir.Path("nothing.vpl"));
  model.LoadPlaylistFile(dir.Path(""));  // a folder is no playlist file
  EXPECT_EQ(model.Entries, (StringList{"old1", "old2"}));
  EXPECT_TRUE(recent.empty());
  EXPECT_EQ(dir.Read(AutosavePath()), "<missing>");
  EXPECT_EQ(controller.refreshes, 0);
}

TEST_F(PlaylistFiles, UnreadableFileRestoresTheBackupSilently) {
  // Root reads files of any mode; the kernel's memory file of this process fails its
  // first read instead.
  std::string path = "/proc/self/mem";
  if (geteuid() != 0) {
    path = dir.Path("locked.vpl");
    dir.Write(path, "new\r\n");
    chmod(path.c_str(), 0);
  }
  ASSERT_EQ(ReadPlaylistFile(path), std::nullopt);
  model.LoadPlaylistFile(path);
  EXPECT_EQ(model.Entries, (StringList{"old1", "old2"}));
  EXPECT_TRUE(recent.empty());
  EXPECT_EQ(dir.Read(AutosavePath()), "old1\r\nold2\r\n");
  EXPECT_EQ(dir.Read(BackupPath()), "old1\r\nold2\r\n");
  EXPECT_EQ(controller.refreshes, 1);
}

TEST_F(PlaylistFiles, SaveWritesBytesAndTellsTheRecentList) {
  model.Entries = {"12345678", "abcdefgh"};
  const auto path = dir.Path("saved.vpl");
  model.SavePlaylistFile(path);
  EXPECT_EQ(dir.Read(path), "12345678\r\nabcdefgh\r\n");
  EXPECT_EQ(recent, StringList{path});
  // Replacing leaves no temporary file beside the target.
  model.Entries.clear();
  model.SavePlaylistFile(path);
  EXPECT_EQ(dir.Read(path), "");
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path(""))) ++files;
  EXPECT_EQ(files, 2);  // user/ and saved.vpl
}

TEST_F(PlaylistFiles, WriteFailureIsReportedAndLeavesNoFile) {
  const auto path = dir.Path("no-such-folder/list.vpl");
  EXPECT_THROW(model.SavePlaylistFile(path), PlaylistWriteError);
  EXPECT_TRUE(recent.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.Path("no-such-folder")));
}

TEST_F(PlaylistFiles, ReadOnlyPlaylistIsNotReplaced) {
  const auto path = dir.Path("protected.vpl");
  dir.Write(path, "kept\r\n");
  chmod(path.c_str(), 0444);
  model.Entries = {"other"};
  EXPECT_THROW(model.SavePlaylistFile(path), PlaylistWriteError);
  EXPECT_EQ(dir.Read(path), "kept\r\n");
  EXPECT_TRUE(recent.empty());
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST_F(PlaylistFiles, SavingThroughALinkReplacesTheLinkedPlaylist) {
  const auto real = dir.Path("real.m3u");
  const auto link = dir.Path("link.m3u");
  dir.Write(real, "before\r\n");
  std::filesystem::create_symlink("real.m3u", link);
  model.Entries = {"after"};
  model.SavePlaylistFile(link);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(dir.Read(real), "after\r\n");
}

TEST_F(PlaylistFiles, SpecialFilesAreNoPlaylists) {
  // A pipe with no writer would block the read for ever, a device would never end.
  const auto pipe = dir.Path("pipe.vpl");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
  for (const std::string& path : {pipe, "/dev/zero"s, "/dev/null"s}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ReadPlaylistFile(path), std::nullopt);
    model.LoadPlaylistFile(path);
    EXPECT_EQ(model.Entries, (StringList{"old1", "old2"}));
    EXPECT_TRUE(recent.empty());
  }
}

TEST_F(PlaylistFiles, AutosaveAtStartUp) {
  dir.Write(AutosavePath(), "x\r\ny\r\n");
  model.LoadAutosave();
  EXPECT_EQ(model.Entries, (StringList{"x", "y"}));
  EXPECT_EQ(model.CurrentIndex, 0);
  std::filesystem::remove(AutosavePath());
  model.LoadAutosave();
  EXPECT_TRUE(model.Entries.empty());
}

TEST_F(PlaylistFiles, HandOverActions) {
  model.Entries = {"a", "b", "c", "d", "e", "f"};
  model.CurrentIndex = 5;
  EXPECT_TRUE(ApplyHandOverMessage(model, HandOverMessage::AddTrack, "/music/new.mp3").autoplay);
  EXPECT_EQ(model.Entries, StringList{"/music/new.mp3"});
  EXPECT_EQ(model.CurrentIndex, 0);
  EXPECT_EQ(dir.Read(AutosavePath()), "/music/new.mp3\r\n");

  EXPECT_FALSE(ApplyHandOverMessage(model, HandOverMessage::EnqueueTrack, "/music/two.ogg").autoplay);
  EXPECT_EQ(model.Entries, (StringList{"/music/new.mp3", "/music/two.ogg"}));

  model.CurrentIndex = 1;
  EXPECT_TRUE(ApplyHandOverMessage(model, HandOverMessage::OpenPlaylist, dir.Path("gone.m3u")).autoplay);
  EXPECT_EQ(model.Entries.size(), 2u);  // unchanged, playback restarts at entry 0
  EXPECT_EQ(model.CurrentIndex, 0);

  dir.Write(dir.Path("l.vpl"), "p\r\nq\r\n");
  model.CurrentIndex = 1;
  EXPECT_TRUE(ApplyHandOverMessage(model, HandOverMessage::OpenPlaylist, dir.Path("l.vpl")).autoplay);
  EXPECT_EQ(model.Entries, (StringList{"p", "q"}));
  EXPECT_EQ(model.CurrentIndex, 0);
}

// The main window starts playback from `start`: the autosave, with its flush to disk, is
// written after it, also when it throws, and the next change autosaves at once again.
TEST_F(PlaylistFiles, HandOverStartsPlaybackBeforeTheAutosaveIsWritten) {
  dir.Write(AutosavePath(), "old\r\n");
  std::string autosaveAtStart;
  ApplyHandOverMessage(model, HandOverMessage::AddTrack, "/music/new.mp3", [&](const HandOverOutcome& applied) {
    EXPECT_TRUE(applied.autoplay);
    EXPECT_EQ(model.Entries, StringList{"/music/new.mp3"});
    autosaveAtStart = dir.Read(AutosavePath());
  });
  EXPECT_EQ(autosaveAtStart, "old\r\n");
  EXPECT_EQ(dir.Read(AutosavePath()), "/music/new.mp3\r\n");

  const auto failingStart = [](const HandOverOutcome&) { throw std::runtime_error("no engine"); };
  EXPECT_THROW(ApplyHandOverMessage(model, HandOverMessage::EnqueueTrack, "/music/two.ogg", failingStart),
               std::runtime_error);
  EXPECT_EQ(dir.Read(AutosavePath()), "/music/new.mp3\r\n/music/two.ogg\r\n");
  model.AddFile("/music/three.wav");
  EXPECT_EQ(dir.Read(AutosavePath()), "/music/new.mp3\r\n/music/two.ogg\r\n/music/three.wav\r\n");
}

// The autosave and the backup cannot be written (folders stand where the files belong):
// every message still does all its steps and asks for playback as usual, and the first
// write error comes back once, to be shown.
TEST_F(PlaylistFiles, HandOverGoesThroughWhenThePlaylistCannotBeWritten) {
  std::filesystem::create_directories(AutosavePath());
  std::filesystem::create_directories(BackupPath());
  dir.Write(dir.Path("l.vpl"), "p\r\nq\r\n");
  const struct {
    HandOverMessage message;
    std::string text;
    StringList entries;
    bool autoplay;
  } cases[] = {
      {HandOverMessage::AddTrack, "/music/new.mp3", {"/music/new.mp3"}, true},
      {HandOverMessage::EnqueueTrack, "/music/two.ogg", {"/music/new.mp3", "/music/two.ogg"}, false},
      {HandOverMessage::OpenPlaylist, dir.Path("l.vpl"), {"p", "q"}, true},
  };
  model.Entries = {"a", "b", "c"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    model.CurrentIndex = 1;
    const HandOverOutcome outcome = ApplyHandOverMessage(model, c.message, c.text);
    EXPECT_EQ(outcome.autoplay, c.autoplay);
    EXPECT_NE(outcome.writeError.find("Playlist."), std::string::npos) << outcome.writeError;
    EXPECT_EQ(model.Entries, c.entries);
    EXPECT_EQ(model.CurrentIndex, c.autoplay ? 0 : 1);
  }
}

TEST(HandOverNames, MessagesByNameAndArgument) {
  EXPECT_EQ(HandOverMessageFromName("VOMBREL_ADD_TRACK_MESSAGE_ID"), HandOverMessage::AddTrack);
  EXPECT_EQ(HandOverMessageFromName("VOMBREL_OPEN_PLAYLIST_MESSAGE_ID"), HandOverMessage::OpenPlaylist);
  EXPECT_EQ(HandOverMessageFromName("VOMBREL_ENQUEUE_TRACK_MESSAGE_ID"), HandOverMessage::EnqueueTrack);
  EXPECT_EQ(HandOverMessageFromName("vombrel_add_track_message_id"), std::nullopt);
  EXPECT_EQ(HandOverMessageFromName(""), std::nullopt);
  for (auto m : {HandOverMessage::AddTrack, HandOverMessage::OpenPlaylist, HandOverMessage::EnqueueTrack})
    EXPECT_EQ(HandOverMessageFromName(HandOverMessageName(m)), m);
  EXPECT_EQ(MessageForArgument("list.m3u"), HandOverMessage::OpenPlaylist);
  EXPECT_EQ(MessageForArgument("LIST.M3U"), HandOverMessage::OpenPlaylist);
  EXPECT_EQ(MessageForArgument("x.vpl"), HandOverMessage::OpenPlaylist);
  EXPECT_EQ(MessageForArgument("a.m3u8"), HandOverMessage::AddTrack);
  EXPECT_EQ(MessageForArgument("noext"), HandOverMessage::AddTrack);
}

}  // namespace
