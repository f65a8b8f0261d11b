// Scheme files, roles and colour arithmetic (no toolkit involved).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "support/Supportaspetto.h"
#include "support/Supportfiles.h"
#include "support/Supportstring.h"
#include "support/Textcodec.h"

namespace vombrel {
namespace {

struct ChannelCase {
  TColor color;
  int amount;
  bool darken;
  TColor expected;
};

TEST(ColorArithmetic, DarkenAndLightenClampEachChannel) {
  const std::vector<ChannelCase> cases{
      {MakeRgb(128, 128, 128), 40, true, MakeRgb(88, 88, 88)},
      {MakeRgb(48, 32, 16), 40, true, MakeRgb(8, 0, 0)},
      {MakeRgb(240, 240, 240), 30, false, MakeRgb(255, 255, 255)},
      {MakeRgb(10, 200, 250), 10, false, MakeRgb(20, 210, 255)},
      {SystemColor(COLOR_BTNFACE), 40, true, 0},                       // bytes (15, 0, 0) darken to black
      {SystemColor(COLOR_BTNHIGHLIGHT), 10, true, MakeRgb(10, 0, 0)},  // top byte dropped
      {SystemColor(COLOR_BTNFACE), 5, false, MakeRgb(20, 5, 5)},
      {MakeRgb(1, 2, 3), 0, true, MakeRgb(1, 2, 3)},
  };
  for (const ChannelCase& c : cases) {
    const TColor result = c.darken ? Darken(c.color, c.amount) : Lighten(c.color, c.amount);
    EXPECT_EQ(result, c.expected) << std::hex << c.color << (c.darken ? " darken " : " lighten ") << std::dec
                                  << c.amount;
  }
}

TEST(ColorRoles, KeysLabelsAndDefaultsFollowTheRoleTable) {
  const std::vector<std::tuple<std::string, std::string, int>> table{
      {"Face", "Pannelli (Standard)", 15},       {"Border", "Bordo Pannelli", 16},
      {"ButtonFace", "Pulsanti (Standard)", 15}, {"ButtonFocus", "Pulsanti (Evidenziato)", 20},
      {"ButtonBorder", "Bordo Pulsanti", 16},    {"Scroll", "Barra Scorrimento", 20},
      {"Thumb", "Indice Scorrimento", 15},       {"Title", "Barra Finestra", 16},
      {"TextFont", "Font Standard", 18},         {"TitleFont", "Font Titolo", 20},
      {"TextBox", "Pannello Testo", 15},
  };
  ASSERT_EQ(static_cast<int>(table.size()), kColorRoleCount);
  for (int role = 0; role < kColorRoleCount; ++role) {
    const auto& [key, label, system] = table[static_cast<std::size_t>(role)];
    EXPECT_EQ(ColorRoleKey(role), key);
    EXPECT_EQ(ColorRoleLabel(role), label);
    EXPECT_EQ(DefaultRoleColor(role), static_cast<TColor>(0x80000000u | static_cast<unsigned>(system)));
    EXPECT_TRUE(IsSystemColor(DefaultRoleColor(role)));
  }
}

TEST(SchemeFile, KeysMatchAnyCaseFirstLineWinsValueUntrimmed) {
  const std::vector<std::string> lines{"junk line", "face=1", "Face=2", "Border =3", "Border= 4 ", "Thumb"};
  EXPECT_EQ(SchemeValue(lines, "Face"), "1");
  EXPECT_EQ(SchemeValue(lines, "FACE"), "1");
  EXPECT_EQ(SchemeValue(lines, "Border"), " 4 ");  // "Border =3" has a blank before "="
  EXPECT_EQ(SchemeValue(lines, "Thumb"), std::nullopt);
  EXPECT_EQ(SchemeValue(lines, "Scroll"), std::nullopt);
}

std::vector<std::string> CanonicalLines(std::string_view faceValue) {
  std::vector<std::string> lines;
  for (int role = 0; role < kColorRoleCount; ++role)
    lines.push_back(std::string(ColorRoleKey(role)) + "=" +
                    (role == crFace ? std::string(faceValue) : std::to_string(role * 1000)));
  return lines;
}

TEST(SchemeFile, ValuesFollowTheIntegerRule) {
  struct ValueCase {
    std::string text;
    bool valid;
    TColor value;
  };
  const std::vector<ValueCase> cases{
      {"12632256", true, MakeRgb(192, 192, 192)},
      {" 255", true, 255},  // blank between "=" and the digits
      {"255 ", false, 0},   // blank after the digits
      {"$FF", true, 255},
      {"0x10", true, 16},
      {"X10", true, 16},
      {"-2147483633", true, SystemColor(COLOR_BTNFACE)},
      {"99999999999", false, 0},
      {"2147483648", false, 0},
      {"", false, 0},
      {"abc", false, 0},
      {"12ab", false, 0},
      {std::string("1\0"
                   "2",
                   3),
       false, 0},
  };
  for (const ValueCase& c : cases) {
    const ParsedScheme parsed = ParseSchemeLines(CanonicalLines(c.text));
    EXPECT_EQ(parsed.complete, c.valid) << "'" << c.text << "'";
    EXPECT_EQ(parsed.colors[crFace], c.value) << "'" << c.text << "'";
    EXPECT_EQ(parsed.colors[crTextBox], 10000) << "other roles keep their values";
  }
}

TEST(SchemeFile, OrderCaseAndExtraLinesDoNotMatterAndMissingKeysAreBlack) {
  const ParsedScheme canonical = ParseSchemeLines(CanonicalLines("5"));
  std::vector<std::string> shuffled = CanonicalLines("5");
  std::reverse(shuffled.begin(), shuffled.end());
  for (std::string& line : shuffled) line = std::string(UpperCase(LeftOf(line, "="))) + "=" + RightOf(line, "=");
  shuffled.insert(shuffled.begin() + 3, "Unknown=7");
  shuffled.push_back("Face=99");  // a later duplicate loses
  const ParsedScheme other = ParseSchemeLines(shuffled);
  EXPECT_TRUE(other.complete);
  EXPECT_EQ(other.colors, canonical.colors);

  std::vector<std::string> missing = CanonicalLines("5");
  missing.erase(missing.begin() + crThumb);
  const ParsedScheme partial = ParseSchemeLines(missing);
  EXPECT_FALSE(partial.complete);
  EXPECT_EQ(partial.colors[crThumb], 0);
  EXPECT_EQ(partial.colors[crFace], 5);
}

TEST(SchemeFile, BinaryDataNeverCrashes) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes.push_back(static_cast<char>((i * 7919 + 13) & 0xFF));
  bytes += "\r\nFace=1\r\n";
  const ParsedScheme parsed = ParseSchemeLines(SplitLines(DecodeText(bytes)));
  EXPECT_FALSE(parsed.complete);
}

class SchemeFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("vombrel-aspetto-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string Path(const char* name) const { return (folder_ / name).string(); }
  std::filesystem::path folder_;
};

TEST_F(SchemeFolder, WritersOrderTheirKeysAndReadBack) {
  SchemeColors colors{};
  for (int role = 0; role < kColorRoleCount; ++role)
    colors[static_cast<std::size_t>(role)] = MakeRgb(role, 2 * role, 3 * role);
  // MakeRgb(n, 2n, 3n) is n * 197121.
  EXPECT_EQ(FormatSchemeFile(colors, SchemeFileOrder::Current),
            "Face=0\r\nBorder=197121\r\nButtonFace=394242\r\nButtonFocus=591363\r\nButtonBorder=788484\r\n"
            "Scroll=985605\r\nThumb=1182726\r\nTitle=1379847\r\nTextFont=1576968\r\nTitleFont=1774089\r\n"
            "TextBox=1971210\r\n");
  EXPECT_EQ(FormatSchemeFile(colors, SchemeFileOrder::Named),
            "Face=0\r\nBorder=197121\r\nButtonFace=394242\r\nButtonBorder=788484\r\nButtonFocus=591363\r\n"
            "Scroll=985605\r\nThumb=1182726\r\nTextFont=1576968\r\nTitle=1379847\r\nTitleFont=1774089\r\n"
            "TextBox=1971210\r\n");
  for (SchemeFileOrder order : {SchemeFileOrder::Current, SchemeFileOrder::Named}) {
    const std::string path = Path("scheme.clr");
    ASSERT_TRUE(WriteSchemeFile(path, colors, order));
    const ParsedScheme parsed = ParseSchemeLines(ReadSchemeLines(path));
    EXPECT_TRUE(parsed.complete);
    EXPECT_EQ(parsed.colors, colors);
    EXPECT_EQ(SchemeColorsForPainting(path), colors);
  }
}

TEST_F(SchemeFolder, MissingFileGivesDefaultsAndUnreadableFileThrows) {
  EXPECT_EQ(SchemeColorsForPainting(Path("none.clr")), DefaultSchemeColors());
  EXPECT_THROW(ReadSchemeLines(Path("none.clr")), SchemeReadError);
  std::filesystem::create_directories(folder_ / "folder.clr");
  EXPECT_THROW(ReadSchemeLines(Path("folder.clr")), SchemeReadError);
  // Special files are not read: a pipe would block, a device would never end.
  ASSERT_EQ(mkfifo(Path("pipe.clr").c_str(), 0666), 0);
  std::filesystem::create_symlink("/dev/zero", folder_ / "zero.clr");
  for (const char* name : {"pipe.clr", "zero.clr"}) {
    EXPECT_THROW(ReadSchemeLines(Path(name)), SchemeReadError) << name;
    EXPECT_THROW(SchemeColorsForPainting(Path(name)), SchemeReadError) << name;
  }
}

TEST(SchemeState, CurrentPathIsInTheUserFolderAndWorkingColorsStartBlack) {
  EXPECT_EQ(CurrentSchemePath(), UserDir() + "CurrentColor.clr");
  EXPECT_EQ(WorkingColors(), SchemeColors{});
}

}  // namespace
}  // namespace vombrel
