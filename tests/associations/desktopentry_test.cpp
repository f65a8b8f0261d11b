// File names, Exec arguments and values made from what a user typed.
#include <gtest/gtest.h>

#include "platform/Desktopentry.h"

namespace vombrel {
namespace {

TEST(IsUsableExtension, Table) {
  const struct {
    std::string ext;
    bool usable;
  } cases[] = {
      {"MP3", true},       {"mp3", true},   {"tar.gz", true},
      {"a b", true},       {"è", true},     {std::string(300, 'x'), true},
      {"", false},         {"../x", false}, {"a/b", false},
      {"a\nb", false},     {"a\tb", false}, {std::string("a\0b", 3), false},
      {"\xE8", false},      // a Latin-1 byte, not UTF-8
      {"\xC0\xAF", false},  // an overlong "/"
  };
  for (const auto& c : cases) EXPECT_EQ(IsUsableExtension(c.ext), c.usable) << c.ext;
}

TEST(FileNameComponent, Table) {
  const struct {
    std::string text;
    std::string piece;
  } cases[] = {
      {"Vombrel.Kelvatro.MP3", "Vombrel.Kelvatro.MP3"},
      {"a b", "a_20b"},
      {"../x", "_2E._2Fx"},
      {"a_b", "a_5Fb"},  // the escape character itself is escaped: no two texts meet
      {"a_5Fb", "a_5F5Fb"},
      {"è", "_C3_A8"},
      {"x;y\"z", "x_3By_22z"},
      {"-", "-"},
  };
  for (const auto& c : cases) EXPECT_EQ(FileNameComponent(c.text), c.piece) << c.text;
}

TEST(FileNameComponent, LongTextsAreShortenedAndStayApart) {
  const std::string a(300, 'x');
  std::string b = a;
  b.back() = 'y';
  EXPECT_LE(FileNameComponent(a).size(), 120u);
  EXPECT_NE(FileNameComponent(a), FileNameComponent(b));
  EXPECT_EQ(FileNameComponent(a), FileNameComponent(a));
  EXPECT_LE(FileNameComponent(std::string(300, '/')).size(), 120u);
}

TEST(QuoteExecArgument, Table) {
  const struct {
    std::string argument;
    bool always;
    std::string quoted;
  } cases[] = {
      {"/usr/bin/vombrel", true, "\"/usr/bin/vombrel\""},
      {"Vombrel", false, "Vombrel"},
      {"Enqueue in Vombrel", false, "\"Enqueue in Vombrel\""},
      {"/opt/a \"b\"/$HOME/`x`/c\\d", false, "\"/opt/a \\\"b\\\"/\\$HOME/\\`x\\`/c\\\\d\""},
      {"100%", false, "100%%"},
      {"", false, "\"\""},
      {"a;b", false, "\"a;b\""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteExecArgument(c.argument, c.always), c.quoted) << c.argument;
}

TEST(EscapeDesktopValue, Table) {
  EXPECT_EQ(EscapeDesktopValue("a\\b\nc\td\re"), "a\\\\b\\nc\\td\\re");
  EXPECT_EQ(EscapeDesktopValue("plain"), "plain");
}

TEST(LiteralExtensionGlob, WildcardsAreTakenLiterally) {
  EXPECT_EQ(LiteralExtensionGlob("mp3"), "*.mp3");
  EXPECT_EQ(LiteralExtensionGlob("a*?[b"), "*.a[*][?][[]b");
  EXPECT_EQ(EscapeXml("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&apos;");
}

}  // namespace
}  // namespace vombrel
