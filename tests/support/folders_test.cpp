#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/Supportfiles.h"

using namespace vombrel;
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
  struct Case { const char* choice; std::string folder; };
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
