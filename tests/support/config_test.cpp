#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "support/Configurazione.h"
#include "support/Inifile.h"
#include "support/Supportfiles.h"
#include "tests/support/Otheruser.h"

using namespace vombrel;
namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) { return ReadFileBytes(p.string()).value_or("<missing>"); }
void Spit(const fs::path& p, std::string_view bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

class Store : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-store-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "prog");
    SetAppDirForTesting((root_ / "prog").string());
    setenv("XDG_CONFIG_HOME", (root_ / "xdg").c_str(), 1);
  }
  void TearDown() override {
    FreeSharedConfig();
    SetAppDirForTesting(std::nullopt);
    SetUserDirChoice("<UserAppData>");
    fs::remove_all(root_);
  }
  fs::path Ini() const { return root_ / "cfg" / "Kelvatro" / "Vombrel.ini"; }
  TConfigurazione Make() const { return TConfigurazione((root_ / "cfg").string(), "Kelvatro/Vombrel"); }
  void Template(std::string_view text) { Spit(root_ / "prog" / "Config" / "Settings.tpl", text); }

  fs::path root_;
};

}  // namespace

TEST_F(Store, ConstructionMakesFolderAndSupportFile) {
  auto store = Make();
  EXPECT_EQ(store.IniFileName(), (root_ / "cfg").string() + "/Kelvatro/Vombrel.ini");
  EXPECT_TRUE(fs::is_directory(root_ / "cfg" / "Kelvatro"));
  const auto support = Slurp(root_ / "prog" / "Support.dat");
  ASSERT_EQ(support.size() % 4, 0u);
  const auto count = support.size() / 4;
  EXPECT_GE(count, 1024u);
  EXPECT_LT(count, 1536u);
  for (std::size_t i = 0; i < count; ++i) {
    uint32_t v = 0;
    for (int b = 3; b >= 0; --b) v = (v << 8) | static_cast<unsigned char>(support[i * 4 + b]);
    ASSERT_GE(v, 50u);
    ASSERT_LT(v, 50u + 23654u);
  }
  // An existing file is left untouched.
  Spit(root_ / "prog" / "Support.dat", "mine");
  auto again = Make();
  EXPECT_EQ(Slurp(root_ / "prog" / "Support.dat"), "mine");
}

TEST_F(Store, ReadsFollowTheProfileConventions) {
  Spit(Ini(),
       "[General]\r\n"
       "Hints =  true  \r\n"
       "Quoted=\"  spaced  \"\r\n"
       "Single='x'\r\n"
       "Mismatched=\"x'\r\n"
       "Empty=\r\n"
       "Number=-5\r\n"
       "Marker=969696\r\n"
       "Hex=$10\r\n"
       "Bad=abc\r\n"
       "Trailing=5 \r\n"
       "[general]\r\n"
       "Hints=False\r\n"
       "Later=2\r\n"
       "[Other]\n"
       "Key=other\r"
       "NoEquals\r\n");
  auto store = Make();
  EXPECT_TRUE(store.ReadBool("GENERAL", "hints", false));  // first of the name wins
  EXPECT_EQ(store.ReadString("General", "Quoted", "d"), "  spaced  ");
  EXPECT_EQ(store.ReadString("General", "Single", "d"), "x");
  EXPECT_EQ(store.ReadString("General", "Mismatched", "d"), "\"x'");
  EXPECT_EQ(store.ReadString("General", "Empty", "d"), "d");
  EXPECT_EQ(store.ReadString("General", "Missing", "d"), "d");
  EXPECT_EQ(store.ReadString("Missing", "Missing", "d"), "d");
  EXPECT_EQ(store.ReadInteger("General", "Number", 1), -5);
  EXPECT_EQ(store.ReadInteger("General", "Marker", 1), 1);
  EXPECT_EQ(store.ReadInteger("General", "Hex", 1), 16);
  EXPECT_EQ(store.ReadInteger("General", "Bad", 1), 1);
  EXPECT_EQ(store.ReadInteger("General", "Trailing", 1), 5);  // blanks around a value are not part of it
  EXPECT_EQ(store.ReadInteger("General", "Later", 1), 2);     // found in the repeated section
  EXPECT_EQ(store.ReadString("Other", "Key", "d"), "other");
  EXPECT_EQ(store.ReadSection("other"), (StringList{"Key", "NoEquals"}));
  EXPECT_TRUE(store.ReadSection("Nowhere").empty());
}

TEST_F(Store, BooleanTable) {
  auto store = Make();
  struct Case {
    const char* stored;
    bool fallback;
    bool result;
  };
  const Case cases[] = {{"true", false, true}, {"TRUE", false, true},  {"True", false, true}, {"1", true, false},
                        {"yes", true, false},  {"False", true, false}, {"", true, true},      {"", false, false}};
  for (const auto& c : cases) {
    store.WriteString("General", "Flag", c.stored);
    EXPECT_EQ(store.ReadBool("General", "Flag", c.fallback), c.result) << c.stored;
  }
  store.WriteBool("General", "Flag", true);
  EXPECT_EQ(store.ReadString("General", "Flag", ""), "True");
  store.WriteBool("General", "Flag", false);
  EXPECT_EQ(store.ReadString("General", "Flag", ""), "False");
}

TEST_F(Store, LongValuesAreCutAt2047Characters) {
  auto store = Make();
  store.WriteString("S", "Long", std::string(5000, 'a'));
  EXPECT_EQ(store.ReadString("S", "Long", "").size(), 2047u);
  std::string accented;
  for (int i = 0; i < 3000; ++i) accented += "\u00e8";
  store.WriteString("S", "Accented", accented);
  EXPECT_EQ(store.ReadString("S", "Accented", ""), accented.substr(0, 2047 * 2));
}

TEST_F(Store, WritesKeepPlacesAndAppend) {
  Spit(Ini(), "; comment\r\n[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
  auto store = Make();
  store.WriteInteger("a", "X", 10);    // existing key keeps its place and spelling
  store.WriteString("A", "new", "n");  // new key at the end of its section
  store.WriteString("C", "k", "v");    // new section at the end
  EXPECT_EQ(Slurp(Ini()), "; comment\r\n[A]\r\nx=10\r\ny=2\r\nnew=n\r\n\r\n[B]\r\nz=3\r\n[C]\r\nk=v\r\n");
  // A value cannot break out of its line.
  store.WriteString("C", "k", "v\r\n[Evil]\r\nz=1");
  EXPECT_EQ(store.ReadSection("Evil").size(), 0u);
}

TEST_F(Store, TemplateDefaults) {
  Template(
      "[General]\r\n"
      "Hints=DefaultValue=FALSE,Hint=\"x, y\"\r\n"
      "Language=Hint=\"a b\" \"defaultvalue=Ital iano\" DefaultValue=ignored\r\n"
      "Split=defaultvalue=\"Ital iano\"\r\n"
      "Empty=DefaultValue=\r\n"
      "NoItem=Something=1\r\n"
      "Size=DefaultValue=969696\r\n"
      "Width=DefaultValue=$20\r\n");
  auto store = Make();
  EXPECT_FALSE(store.ReadBool("General", "Hints", true));
  store.WriteBool("General", "Hints", true);
  EXPECT_TRUE(store.ReadBool("General", "Hints", false));
  EXPECT_EQ(store.ReadString("General", "Language", "English"), "Ital iano");
  EXPECT_EQ(store.ReadString("General", "Split", "English"), "\"Ital");  // a blank ends an unquoted item
  EXPECT_EQ(store.ReadString("General", "Empty", "caller"), "caller");
  EXPECT_EQ(store.ReadString("General", "NoItem", "caller"), "caller");
  EXPECT_EQ(store.ReadInteger("General", "Size", 7), 7);
  EXPECT_EQ(store.ReadInteger("General", "Width", 7), 32);
  store.WriteString("General", "Width", "junk");
  EXPECT_EQ(store.ReadInteger("General", "Width", 7), 32);
  EXPECT_TRUE(store.ReadSection("General").size() == 2);  // the template is not consulted
}

TEST(CommaText, SplitTable) {
  struct Case {
    const char* text;
    StringList items;
  };
  const Case cases[] = {
      {"a,b", {"a", "b"}},
      {"a b", {"a", "b"}},
      {"  a , b  ", {"a", "b"}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {"\"x, y\",z", {"x, y", "z"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"open", {"open"}},
      {"", {}},
      {"a\tb", {"a", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommaText(c.text), c.items) << c.text;
  EXPECT_EQ(CommaTextItemValue("Hint=1,DEFAULTVALUE=a=b", "DefaultValue"), "a=b");
  EXPECT_EQ(CommaTextItemValue("Hint=1", "DefaultValue"), std::nullopt);
}

TEST_F(Store, RefusedWriteNamesTheFile) {
  Spit(root_ / "blocker", "a file where a folder should be");
  TConfigurazione store((root_ / "blocker").string(), "Kelvatro/Vombrel");
  EXPECT_EQ(store.ReadString("A", "b", "fallback"), "fallback");
  try {
    store.WriteString("A", "b", "c");
    FAIL() << "write succeeded";
  } catch (const IniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + store.IniFileName());
  }
}

TEST_F(Store, AFileThatCannotBeReadFailsTheWriteAndStaysAsItWas) {
  const std::string settings = "[General]\r\nLanguage=Italiano\r\nRepeat=False\r\n";
  auto expectRefused = [&](TConfigurazione& store) {
    try {
      store.WriteBool("General", "Shuffle", true);
      ADD_FAILURE() << "write succeeded";
    } catch (const IniWriteError& e) {
      EXPECT_EQ(std::string(e.what()), "Unable to write to " + store.IniFileName());
    }
  };

  // Something other than a file at the path: neither read (no wait for a writer of the
  // pipe) nor replaced.
  for (const char* what : {"pipe", "folder"}) {
    SCOPED_TRACE(what);
    fs::remove_all(Ini());
    fs::create_directories(Ini().parent_path());
    if (std::string(what) == "pipe") {
      ASSERT_EQ(mkfifo(Ini().c_str(), 0666), 0);
    } else {
      fs::create_directories(Ini());
    }
    auto store = Make();
    EXPECT_EQ(store.ReadString("General", "Language", "English"), "English");
    expectRefused(store);
    EXPECT_EQ(std::string(what) == "pipe", fs::is_fifo(Ini()));
  }
  fs::remove_all(Ini());

  // A settings file its user may write but not read (mode 0200), seen by that user.
  const fs::path folder = Ini().parent_path();
  Spit(Ini(), settings);
  chmod(root_.c_str(), 0755);
  chmod((root_ / "cfg").c_str(), 0755);
  ASSERT_EQ(chown(folder.c_str(), vombrel::testing::kUnprivilegedId, vombrel::testing::kUnprivilegedId), 0);
  ASSERT_EQ(chown(Ini().c_str(), vombrel::testing::kUnprivilegedId, vombrel::testing::kUnprivilegedId), 0);
  chmod(Ini().c_str(), 0200);
  const int result = vombrel::testing::RunAsOrdinaryUser([&] {
    auto store = Make();
    if (store.ReadString("General", "Language", "English") != "English") return 1;
    try {
      store.WriteBool("General", "Shuffle", true);
      return 2;
    } catch (const IniWriteError& e) {
      return std::string(e.what()) == "Unable to write to " + store.IniFileName() ? 0 : 3;
    }
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Slurp(Ini()), settings) << "the file keeps every key";
}

TEST_F(Store, BadFilesGiveDefaults) {
  const std::string cases[] = {
      std::string("\0\0\0[General]\0Hints=True", 24),
      std::string(3'000'000, 'x') + "\n[General]\nHints=True\n",
      "[General\r\nHints=True\r\n",
      "\xff\xfe[\x01\x02]\r\r\r=\r\n==\n[]\n=x\n",
  };
  for (const auto& bytes : cases) {
    Spit(Ini(), bytes);
    auto store = Make();
    (void)store.ReadBool("General", "Hints", false);
    store.WriteString("General", "Added", "yes");
    EXPECT_EQ(store.ReadString("General", "Added", ""), "yes");
  }
  // The 3-MB line survived its rewrite, and the section after it still works.
  Spit(Ini(), std::string(3'000'000, 'x') + "\n[General]\nHints=True\n");
  auto store = Make();
  store.WriteString("General", "Other", "1");
  EXPECT_TRUE(store.ReadBool("General", "Hints", false));
  EXPECT_GT(Slurp(Ini()).size(), 3'000'000u);
}

TEST_F(Store, TwoHandlesNeverLoseEachOthersKeys) {
  auto store = Make();
  store.WriteBool("General", "Repeat", true);
  WritePlacement(store.IniFileName(), "FormVombrel", {0, 1, 96, {-1, -1, -1, -1}, {10, 20, 262, 342}}, 1280, 1024);
  store.WriteBool("General", "Shuffle", false);
  WritePlacement(store.IniFileName(), "FormPlaylist_2", {0, 1, 96, {-1, -1, -1, -1}, {1, 2, 3, 4}}, 1280, 1024);
  auto second = Make();
  second.WriteString("General", "Language", "English");

  EXPECT_TRUE(store.ReadBool("General", "Repeat", false));
  EXPECT_EQ(store.ReadString("General", "Language", ""), "English");
  EXPECT_EQ(store.ReadSection("FormVombrel"), (StringList{"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "NormPos",
                                                          "MinMaxPos(1280x1024)", "NormPos(1280x1024)"}));
  EXPECT_EQ(store.ReadString("FormVombrel", "NormPos", ""), "10,20,262,342");
  const auto placed = ReadPlacement(store.IniFileName(), "FormPlaylist", 1280, 1024);
  ASSERT_TRUE(placed.has_value());
  EXPECT_EQ(FormatRect(placed->normPos), "1,2,3,4");
  EXPECT_EQ(ReadPlacement(store.IniFileName(), "FormColori", 1280, 1024), std::nullopt);
}

TEST(Placement, SectionsAndRects) {
  EXPECT_EQ(PlacementSection("FormOpzioni_1"), "FormOpzioni");
  EXPECT_EQ(PlacementSection("FormVombrel"), "FormVombrel");
  EXPECT_EQ(ParseRect(" 1, 2,3,-4").has_value(), true);
  EXPECT_EQ(ParseRect("1,2,3"), std::nullopt);
  EXPECT_EQ(ParseRect("1,2,3,x"), std::nullopt);
}

TEST_F(Store, SharedStoresFollowTheStartupChoice) {
  Spit(root_ / "prog" / "Config" / "Kelvatro" / "Vombrel.ini", "[Avvio]\r\nUserDir=<appdir>\r\n");
  InitSharedConfig("Kelvatro/Vombrel");
  EXPECT_EQ(UserDir(), (root_ / "prog").string() + "/User/");
  EXPECT_EQ(UserConfig().IniFileName(), (root_ / "prog").string() + "/User/Config//Kelvatro/Vombrel.ini");
  UserConfig().WriteBool("General", "Repeat", false);
  EXPECT_TRUE(fs::exists(root_ / "prog" / "User" / "Config" / "Kelvatro" / "Vombrel.ini"));
  FreeSharedConfig();
}

TEST(IniFileInMemory, ReadsAndWritesAsAFileOnDiskDoes) {
  const fs::path root = fs::temp_directory_path() / ("vombrel-inimemory-" + std::to_string(getpid()));
  fs::remove_all(root);
  const std::string cases[] = {
      "",
      "[General]\r\nHints = true \r\nQuoted=\"  x  \"\r\n[general]\r\nLater=2\r\n",
      "[A]\nx=1\ry=2\r\n\r\n[B]\r\nz=3\r\n; comment\r\n[General]\r\nFuzz=old",
      "[Caf\xE9]\r\nNome=\xE8\r\n",  // Windows-1252, decoded as a file on disk is
      "no section\r\n=\r\n[\r\n[]\r\nkey=\r\n",
  };
  int n = 0;
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes);
    const fs::path path = root / ("case" + std::to_string(n++) + ".ini");
    Spit(path, bytes);
    IniFile disk(path.string());
    IniFile memory = IniFile::InMemory(bytes);
    ASSERT_EQ(memory.ReadSectionNames(), disk.ReadSectionNames());
    for (const auto& section : disk.ReadSectionNames()) {
      ASSERT_EQ(memory.ReadSection(section), disk.ReadSection(section));
      for (const auto& key : disk.ReadSection(section)) EXPECT_EQ(memory.Read(section, key), disk.Read(section, key));
    }
    disk.Write("General", "Fuzz", "value");
    memory.Write("General", "Fuzz", "value");
    disk.WriteMany("New", {{"a", "1"}, {"b", "2"}});
    memory.WriteMany("New", {{"a", "1"}, {"b", "2"}});
    EXPECT_EQ(memory.Bytes(), Slurp(path));
    EXPECT_EQ(memory.Read("General", "Fuzz"), std::optional<std::string>("value"));
  }
  fs::remove_all(root);
  // An in-memory file has no path, and its writes stay in its bytes.
  IniFile memory = IniFile::InMemory("");
  memory.Write("S", "k", "v");
  EXPECT_EQ(memory.Path(), "");
  EXPECT_EQ(memory.Bytes(), "[S]\r\nk=v\r\n");
}

namespace vombrel {
namespace {

// Reads keep the bytes of the last read while the file stays the same; every kind of
// change another program makes is still seen by the next read.
TEST(IniFileReads, SeeEveryChangeOfTheFileOnDisk) {
  const fs::path folder = fs::temp_directory_path() / ("vombrel-inireads-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path path = folder / "a.ini";
  IniFile ini(path.string());
  const auto value = [&] { return ini.Read("S", "k").value_or("<none>"); };
  Spit(path, "[S]\r\nk=1\r\n");
  EXPECT_EQ(value(), "1");
  EXPECT_EQ(value(), "1");
  struct {
    const char* change;
    std::function<void()> make;
    const char* expected;
  } const cases[] = {
      // Same size, rewritten in place: the file's times move.
      {"rewritten in place", [&] { Spit(path, "[S]\r\nk=2\r\n"); }, "2"},
      {"replaced by rename",
       [&] {
         Spit(folder / "b.ini", "[S]\r\nk=3\r\n");
         fs::rename(folder / "b.ini", path);
       },
       "3"},
      {"grown", [&] { Spit(path, "[S]\r\nk=44\r\n"); }, "44"},
      {"removed", [&] { fs::remove(path); }, "<none>"},
      {"made again", [&] { Spit(path, "[S]\r\nk=5\r\n"); }, "5"},
      {"written through the handle", [&] { ini.Write("S", "k", "6"); }, "6"},
  };
  for (const auto& c : cases) {
    // Coarse file-system clocks give two writes within a few milliseconds the same time;
    // a change of the status time is what the read relies on then.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    c.make();
    EXPECT_EQ(value(), c.expected) << c.change;
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace vombrel
