#include <gtest/gtest.h>

#include "support/Textcodec.h"

using namespace vombrel;

TEST(Codec, Windows1252RoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Windows1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToWindows1252(utf8), all);
}

TEST(Codec, DecodeTable) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"a\xA7"
       "b",
       "a\u00a7b"},                  // "§" saved in Windows-1252
      {"caf\xC3\xA9", "caf\u00e9"},  // already UTF-8
      {"\xEF\xBB\xBFhi", "hi"},      // byte-order mark dropped
      {"\x80 euro", "\u20ac euro"},
      {"\xC3", "\u00c3"},                      // truncated sequence: 8-bit text
      {"\xED\xA0\x80", "\u00ed\u00a0\u20ac"},  // encoded surrogate is not UTF-8
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeText(c.bytes), c.text) << c.bytes;
}

TEST(Codec, EncodeReplacesWhatTheCodePageCannotHold) {
  EXPECT_EQ(Utf8ToWindows1252("caf\u00e9 \u20ac \u4e2d"), "caf\xE9 \x80 ?");
}

TEST(Codec, LineBreaks) {
  using Lines = std::vector<std::string>;
  struct Case {
    std::string text;
    Lines lines;
  };
  const Case cases[] = {
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\r\n", {"a"}},
      {"a\n\nb", {"a", "", "b"}},
      {"\r\r", {"", ""}},
      {"\n\r", {"", ""}},
      {"", {}},
      {"x", {"x"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines);
  EXPECT_EQ(JoinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
}
