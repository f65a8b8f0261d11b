#include <gtest/gtest.h>

#include "support/Supportmsg.h"
#include "support/Supportstring.h"

using namespace vombrel;

TEST(LeftRightOf, Table) {
  struct Case {
    const char* text;
    const char* sep;
    bool whole;
    const char* left;
    const char* right;
  };
  const Case cases[] = {
      {"FormOpzioni_1", "_", true, "FormOpzioni", "1"},
      {"FormOpzioni", "_", true, "FormOpzioni", ""},
      {"Play", "=", false, "", ""},
      {"Play=Ctrl+P;ON", "=", false, "Play", "Ctrl+P;ON"},
      {"Ctrl+P;ON", ";", false, "Ctrl+P", "ON"},
      {"abc", ";", false, "", ""},
      {"a==b", "==", false, "a", "b"},
      {"Key=", "=", false, "Key", ""},
      {"ABC", "b", true, "ABC", ""},  // separators compare with case
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LeftOf(c.text, c.sep, c.whole), c.left) << c.text;
    EXPECT_EQ(RightOf(c.text, c.sep), c.right) << c.text;
  }
}

TEST(SplitText, PiecesFollowTheSeparatorRule) {
  struct Case {
    const char* text;
    bool trimLast;
    StringList pieces;
  };
  const Case cases[] = {
      {"a\u00a7b", false, {"a", "b"}},           {"a\u00a7", false, {"a"}}, {"\u00a7a", false, {"", "a"}},
      {"a\u00a7\u00a7b", false, {"a", "", "b"}}, {"", false, {}},           {"\u00a7", false, {""}},
      {" a \u00a7 b ", true, {" a ", "b"}},  // only the last piece is trimmed
      {" a \u00a7 b ", false, {" a ", " b "}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitText(c.text, "\u00a7", c.trimLast), c.pieces) << c.text;
  EXPECT_EQ(SplitToLines("uno\u00a7due", "\u00a7"), "uno\r\ndue");
  EXPECT_EQ(SplitToLines("uno\u00a7", "\u00a7"), "uno");
}

TEST(IntegerRule, Table) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"0", 0},
      {"-3", -3},
      {"+7", 7},
      {"   42", 42},
      {"42 ", std::nullopt},
      {" ", std::nullopt},
      {"", std::nullopt},
      {"12x", std::nullopt},
      {"abc", std::nullopt},
      {"$FF", 255},
      {"xff", 255},
      {"Xff", 255},
      {"0x1A", 26},
      {"0X1a", 26},
      {"-$10", -16},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"$7FFFFFFF", INT32_MAX},
      {"$80000000", std::nullopt},
      {"-$80000000", INT32_MIN},
      {"99999999999999999999", std::nullopt},
      {"1 2", std::nullopt},
      {"\t5", std::nullopt},
      {"--5", std::nullopt},
      {"5-", std::nullopt},
      {"969696", 969696},
      {"0g", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseInteger(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(StrToIntDefault(c.text, 7), c.value.value_or(7)) << c.text;
  }
  EXPECT_EQ(StrToIntDefault(""), 0);
}

TEST(IntegerRule, StrictConversionNamesTheText) {
  EXPECT_EQ(StrToInt("$10"), 16);
  try {
    StrToInt("12x");
    FAIL() << "no error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'12x' is not a valid integer value");
  }
}

TEST(PathText, ExtensionsAndNames) {
  EXPECT_EQ(ExtractFileExt("/music/a.b/song.mp3"), ".mp3");
  EXPECT_EQ(ExtractFileExt("/music/a.b/noext"), "");
  EXPECT_EQ(ExtractFileExt("/x/archive.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileName("/x/y/z.lng"), "z.lng");
  EXPECT_EQ(ExtractFilePath("/x/y/z.lng"), "/x/y/");
  EXPECT_EQ(ExtractFilePath("z.lng"), "");
  EXPECT_TRUE(SameText("General", "GENERAL"));
  EXPECT_FALSE(SameText("General", "Genera"));
}

TEST(MessageBoxes, GoThroughTheInstalledReporter) {
  RecordingReporter reporter(IDNO);
  {
    ScopedReporter scope(&reporter);
    EXPECT_EQ(ShowError("Boom", "Errore"), IDNO);
    EXPECT_EQ(ShowMessageBox("Sure?", "Q", MB_YESNO | MB_ICONQUESTION), IDNO);
  }
  ASSERT_EQ(reporter.messages.size(), 2u);
  EXPECT_EQ(reporter.messages[0].text, "Boom");
  EXPECT_EQ(reporter.messages[0].caption, "Errore");
  EXPECT_EQ(reporter.messages[0].flags, 16u);
  EXPECT_EQ(ShowError("after the scope", "x"), IDOK);  // default reporter again
  EXPECT_EQ(reporter.messages.size(), 2u);
}
