#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "support/Supportfiles.h"
#include "tests/support/Otheruser.h"

using namespace vombrel;
using vombrel::testing::RunAsOrdinaryUser;
namespace fs = std::filesystem;

namespace {

class Folders : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-folders-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "prog");
    setenv("XDG_CONFIG_HOME", (root_ / "xdg").c_str(), 1);
    SetAppDirForTesting((root_ / "prog").string());
  }
  void TearDown() override {
    SetAppDirForTesting(std::nullopt);
    SetUserDirChoice("<UserAppData>");
    fs::remove_all(root_);
  }
  void Touch(const fs::path& p) { std::ofstream(p) << "x"; }
  static void Spit(const fs::path& p, std::string_view bytes) { std::ofstream(p, std::ios::binary) << bytes; }
  static std::string Slurp(const fs::path& p) { return ReadFileBytes(p.string()).value_or("<unreadable>"); }
  static mode_t ModeOf(const fs::path& p) {
    struct stat st {};
    return lstat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
  // Names in the folder, for checking that a write left nothing behind.
  static std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path root_;
};

}  // namespace

TEST_F(Folders, SubFoldersEndWithSlashAndExist) {
  const std::string prog = (root_ / "prog").string() + "/";
  EXPECT_EQ(AppDir(), prog);
  EXPECT_EQ(AppSubDir("Langs"), prog + "Langs/");
  EXPECT_TRUE(fs::is_directory(prog + "Langs"));
  EXPECT_EQ(AppSubDir("Config/Kelvatro"), prog + "Config/Kelvatro/");
  EXPECT_TRUE(fs::is_directory(prog + "Config/Kelvatro"));
}

TEST_F(Folders, UserDirChoices) {
  const std::string xdg = (root_ / "xdg").string() + "/" + ExeName() + "/";
  struct Case {
    const char* choice;
    std::string folder;
  };
  const Case cases[] = {
      {"<UserAppData>", xdg},
      {"<userappdata>", xdg},
      {"<APPDIR>", (root_ / "prog").string() + "/User/"},
      {"<appdir>", (root_ / "prog").string() + "/User/"},
      {"<SharedAppData>", "/var/lib/" + ExeName() + "/"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveUserDirChoice(c.choice), c.folder) << c.choice;

  SetUserDirChoice("<APPDIR>");
  EXPECT_TRUE(fs::is_directory(root_ / "prog" / "User"));
  EXPECT_EQ(UserSubDir("Colors"), (root_ / "prog").string() + "/User/Colors/");
  EXPECT_TRUE(fs::is_directory(root_ / "prog" / "User" / "Colors"));

  // A literal path is used exactly as written and created on first use.
  const std::string literal = (root_ / "My Data").string() + "/";
  SetUserDirChoice(literal);
  EXPECT_FALSE(fs::exists(literal));
  EXPECT_EQ(UserDir(), literal);
  EXPECT_TRUE(fs::is_directory(literal));
}

TEST(FileBaseNameTest, Table) {
  EXPECT_EQ(FileBaseName("/x/Langs/English.lng"), "English");
  EXPECT_EQ(FileBaseName("/x/a.b/noext"), "noext");
  EXPECT_EQ(FileBaseName("/x/archive.tar.gz"), "archive.tar");
  EXPECT_EQ(FileBaseName("plain"), "plain");
}

TEST_F(Folders, ListingMatchesWithoutChangingTheCurrentFolder) {
  const auto langs = root_ / "prog" / "Langs";
  fs::create_directories(langs / "sub.lng");
  Touch(langs / "English.lng");
  Touch(langs / "Italiano.LNG");
  Touch(langs / "notes.txt");
  const auto before = fs::current_path();
  auto files = ListFiles(langs.string() + "/*.lng");
  EXPECT_EQ(fs::current_path(), before);
  std::sort(files.begin(), files.end());
  const std::string prefix = langs.string() + "/";
  EXPECT_EQ(files, (StringList{prefix + "English.lng", prefix + "Italiano.LNG", prefix + "sub.lng"}));
  EXPECT_TRUE(ListFiles((root_ / "missing").string() + "/*.lng").empty());
  // A name that starts with "." matches like any other (a scheme saved with no name).
  Touch(langs / ".lng");
  EXPECT_EQ(ListFiles(langs.string() + "/.*").size(), 1u);
  files = ListFiles(langs.string() + "/*.lng");
  EXPECT_NE(std::find(files.begin(), files.end(), prefix + ".lng"), files.end());
  fs::remove(langs / ".lng");

  const auto presets = root_ / "presets";
  fs::create_directories(presets);
  Touch(presets / "Foo.rcf");
  Touch(presets / "a.b");
  StringList names{"kept"};
  ListFileBaseNames(names, presets.string() + "/*");
  std::sort(names.begin() + 1, names.end());
  EXPECT_EQ(names, (StringList{"kept", "", "Foo"}));
}

TEST_F(Folders, AtomicWriteReplacesOrLeavesUntouched) {
  const auto file = root_ / "prog" / "Playlist.vpl";
  ASSERT_TRUE(WriteFileAtomically(file.string(), "one\r\n"));
  ASSERT_TRUE(WriteFileAtomically(file.string(), "two\r\n"));
  EXPECT_EQ(*ReadFileBytes(file.string()), "two\r\n");
  std::string error;
  EXPECT_FALSE(WriteFileAtomically((root_ / "nowhere" / "x").string(), "x", &error));
  EXPECT_FALSE(error.empty());
  // Nothing but the target is left in the folder.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(root_ / "prog")) ++entries;
  EXPECT_EQ(entries, 1);
  EXPECT_FALSE(ReadFileBytes((root_ / "prog").string()).has_value());
  // A read error is a failure, never a short file.
  EXPECT_FALSE(ReadFileBytes("/proc/self/mem").has_value());
  EXPECT_FALSE(ReadFileBytes((root_ / "missing").string()).has_value());
}

TEST_F(Folders, AtomicWriteRefusesWhatMayNotBeReplaced) {
  struct Case {
    const char* what;
    std::function<fs::path(const fs::path& folder)> make;  // makes the target, returns it
    bool replaced;
  };
  const Case cases[] = {
      {"writable file",
       [](const fs::path& f) {
         Spit(f / "t", "old");
         return f / "t";
       },
       true},
      {"new file", [](const fs::path& f) { return f / "t"; }, true},
      {"read-only file",
       [](const fs::path& f) {
         Spit(f / "t", "old");
         chmod((f / "t").c_str(), 0444);
         return f / "t";
       },
       false},
      {"file nobody may write, mode 0",
       [](const fs::path& f) {
         Spit(f / "t", "old");
         chmod((f / "t").c_str(), 0);
         return f / "t";
       },
       false},
      {"file in a read-only folder",
       [](const fs::path& f) {
         Spit(f / "t", "old");
         chmod(f.c_str(), 0555);
         return f / "t";
       },
       false},
      {"new file in a read-only folder",
       [](const fs::path& f) {
         chmod(f.c_str(), 0555);
         return f / "t";
       },
       false},
      {"folder at the path",
       [](const fs::path& f) {
         fs::create_directory(f / "t");
         return f / "t";
       },
       false},
      {"named pipe at the path",
       [](const fs::path& f) {
         mkfifo((f / "t").c_str(), 0666);
         return f / "t";
       },
       false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path folder = root_ / ("case" + std::to_string(n++));
    fs::create_directories(folder);
    const fs::path target = c.make(folder);
    const auto namesBefore = Names(folder);
    const mode_t modeBefore = ModeOf(target);
    const std::string before = fs::is_regular_file(target) ? Slurp(target) : "";
    std::string error;
    EXPECT_EQ(WriteFileAtomically(target.string(), "new", &error), c.replaced) << error;
    chmod(folder.c_str(), 0755);
    if (c.replaced) {
      EXPECT_EQ(Slurp(target), "new");
      continue;
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Names(folder), namesBefore) << "nothing left behind, nothing removed";
    EXPECT_EQ(ModeOf(target), modeBefore);
    if (fs::is_regular_file(target)) {
      EXPECT_EQ(Slurp(target), before);
    }
  }
  EXPECT_TRUE(fs::is_fifo(root_ / "case7" / "t"));
}

TEST_F(Folders, AtomicWriteAsAnOrdinaryUserRespectsPermissions) {
  // A folder everybody may write, holding a file only its owner (the superuser) may write:
  // renaming over it would be allowed, replacing it is not.
  const fs::path shared = root_ / "shared";
  fs::create_directories(shared);
  chmod(root_.c_str(), 0755);
  chmod(shared.c_str(), 0777);
  Spit(shared / "owners.vpl", "theirs");
  chmod((shared / "owners.vpl").c_str(), 0644);
  Spit(shared / "everybodys.vpl", "open");
  chmod((shared / "everybodys.vpl").c_str(), 0666);
  const int result = RunAsOrdinaryUser([&] {
    if (WriteFileAtomically((shared / "owners.vpl").string(), "mine")) return 1;
    if (!WriteFileAtomically((shared / "everybodys.vpl").string(), "changed")) return 2;
    if (!WriteFileAtomically((shared / "new.vpl").string(), "fresh")) return 3;
    return 0;
  });
  ASSERT_EQ(result, 0);
  EXPECT_EQ(Slurp(shared / "owners.vpl"), "theirs");
  EXPECT_EQ(Slurp(shared / "everybodys.vpl"), "changed");
  EXPECT_EQ(Slurp(shared / "new.vpl"), "fresh");
  EXPECT_EQ(ModeOf(shared / "everybodys.vpl"), 0666u);
  EXPECT_EQ(Names(shared), (std::vector<std::string>{"everybodys.vpl", "new.vpl", "owners.vpl"}));

  // The superuser replacing a user's file leaves it the user's.
  if (geteuid() != 0) return;
  ASSERT_EQ(chown((shared / "new.vpl").c_str(), vombrel::testing::kUnprivilegedId, vombrel::testing::kUnprivilegedId),
            0);
  ASSERT_TRUE(WriteFileAtomically((shared / "new.vpl").string(), "by root"));
  struct stat st {};
  ASSERT_EQ(stat((shared / "new.vpl").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, vombrel::testing::kUnprivilegedId);
  EXPECT_EQ(st.st_gid, vombrel::testing::kUnprivilegedId);
}

TEST_F(Folders, AtomicWriteFollowsSymbolicLinksAndKeepsThem) {
  const fs::path real = root_ / "real";
  const fs::path links = root_ / "links";
  fs::create_directories(real);
  fs::create_directories(links);
  Spit(real / "Vombrel.ini", "old");
  struct Case {
    const char* what;
    fs::path link;
    fs::path target;  // the file the write must reach
  };
  fs::create_symlink(real / "Vombrel.ini", links / "absolute");
  fs::create_symlink("../real/Vombrel.ini", links / "relative");
  fs::create_symlink("relative", links / "chain");
  fs::create_symlink("../real/later.ini", links / "dangling");
  const Case cases[] = {
      {"absolute link", links / "absolute", real / "Vombrel.ini"},
      {"relative link", links / "relative", real / "Vombrel.ini"},
      {"link to a link", links / "chain", real / "Vombrel.ini"},
      {"dangling link", links / "dangling", real / "later.ini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path linkTarget = fs::read_symlink(c.link);
    const std::string text = std::string("written through ") + c.what;
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(c.link.string(), text, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(c.link)) << "the link stays";
    EXPECT_EQ(fs::read_symlink(c.link), linkTarget);
    EXPECT_EQ(Slurp(c.target), text);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(c.target)));
  }
  EXPECT_EQ(Names(real), (std::vector<std::string>{"Vombrel.ini", "later.ini"}));
  EXPECT_EQ(Names(links), (std::vector<std::string>{"absolute", "chain", "dangling", "relative"}));

  fs::create_symlink("loop-b", links / "loop-a");
  fs::create_symlink("loop-a", links / "loop-b");
  std::string error;
  EXPECT_FALSE(WriteFileAtomically((links / "loop-a").string(), "x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(fs::is_symlink(links / "loop-a"));
}

TEST_F(Folders, AtomicWriteGivesNewFilesTheUmaskAndKeepsTheModeOfOldOnes) {
  struct Case {
    mode_t umask;
    std::optional<mode_t> existing;  // mode of the file before, none: a new file
    mode_t after;
  };
  const Case cases[] = {
      {022, std::nullopt, 0644}, {027, std::nullopt, 0640}, {077, std::nullopt, 0600}, {0, std::nullopt, 0666},
      {022, 0600, 0600},         {077, 0664, 0664},         {022, 0755, 0755},
  };
  const mode_t saved = umask(022);
  int n = 0;
  for (const auto& c : cases) {
    const fs::path file = root_ / ("mode" + std::to_string(n++));
    if (c.existing) {
      Spit(file, "old");
      chmod(file.c_str(), *c.existing);
    }
    umask(c.umask);
    const bool written = WriteFileAtomically(file.string(), "new");
    umask(022);
    ASSERT_TRUE(written);
    EXPECT_EQ(ModeOf(file), c.after) << "umask " << std::oct << c.umask;
  }
  umask(saved);
}

TEST_F(Folders, ReadsTakeRegularFilesOnly) {
  const fs::path files = root_ / "files";
  fs::create_directories(files / "folder");
  Spit(files / "plain", "abc");
  Spit(files / "empty", "");
  fs::create_symlink("plain", files / "link");
  ASSERT_EQ(mkfifo((files / "pipe").c_str(), 0666), 0);
  struct Case {
    std::string path;
    std::optional<std::string> bytes;
    int error;  // when there are no bytes
  };
  const Case cases[] = {
      {(files / "plain").string(), "abc", 0},
      {(files / "empty").string(), "", 0},
      {(files / "link").string(), "abc", 0},
      {(files / "folder").string(), std::nullopt, EISDIR},
      {(files / "pipe").string(), std::nullopt, kNotRegularFileError},  // must not wait for a writer
      {"/dev/zero", std::nullopt, kNotRegularFileError},                // must not read for ever
      {"/dev/null", std::nullopt, kNotRegularFileError},
      {(files / "missing").string(), std::nullopt, ENOENT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    int error = 0;
    EXPECT_EQ(ReadFileBytes(c.path, &error), c.bytes);
    EXPECT_EQ(IsRegularFile(c.path), c.bytes.has_value());
    const int fd = OpenRegularFile(c.path);
    EXPECT_EQ(fd >= 0, c.bytes.has_value());
    if (fd >= 0) {
      EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << "a descriptor in blocking mode";
      close(fd);
    }
    if (c.bytes) continue;
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(FileErrorText(error).empty());
  }
  EXPECT_EQ(FileErrorText(kNotRegularFileError), "Not a regular file");
}

TEST_F(Folders, ListedFilePathOpensWhatTheListingShowed) {
  const fs::path folder = root_ / "Players";
  fs::create_directories(folder);
  for (const char* name : {"Upper.SO", "lower.so", "Both.so", "Both.SO", "Mixed.So", "Other.SOX"}) Touch(folder / name);
  const std::string f = folder.string() + "/";
  struct Case {
    const char* base;
    std::string path;
  };
  const Case cases[] = {
      {"Upper", f + "Upper.SO"}, {"lower", f + "lower.so"},     {"Both", f + "Both.so"},  // the exact name first
      {"Mixed", f + "Mixed.So"}, {"upper", f + "upper.so"},  // the base name is exact: no such library
      {"Other", f + "Other.so"}, {"Missing", f + "Missing.so"},
  };
  for (const auto& c : cases) EXPECT_EQ(ListedFilePath(f, c.base, ".so"), c.path) << c.base;
  // Every base name the listing gives leads back to its own file.
  for (const std::string& listed : ListFiles(f + "*.so")) {
    if (FileBaseName(listed) != "Both") {
      EXPECT_EQ(ListedFilePath(f, FileBaseName(listed), ".so"), listed);
    }
  }
}

TEST(FileErrorTextTest, EachThreadGetsTheTextOfItsOwnCode) {
  EXPECT_EQ(FileErrorText(ENOENT), "No such file or directory");
  EXPECT_EQ(FileErrorText(EACCES), "Permission denied");
  // Unknown codes are formatted into a buffer: threads asking at once must not see each
  // other's numbers.
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      for (int i = 0; i < 2000; ++i) {
        const int code = 100000 + t * 10000 + i;
        if (FileErrorText(code) != "Unknown error " + std::to_string(code)) ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}
