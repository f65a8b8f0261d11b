#include <gtest/gtest.h>

#include "platform/Handoverframe.h"

using namespace vombrel;
using Status = HandOverFrameReader::Status;

namespace {

std::string BigEndian32(uint32_t v) {
  return {char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)};
}

// A frame built by hand: length, name length, name, wParam, text.
std::string RawFrame(const std::string& name, uint32_t wParam, const std::string& text, int lengthAdjust = 0,
                     int nameLengthAdjust = 0) {
  std::string body;
  const auto nameSize = static_cast<uint32_t>(static_cast<int>(name.size()) + nameLengthAdjust);
  body += char(nameSize >> 8 & 0xFF);
  body += char(nameSize & 0xFF);
  body += name + BigEndian32(wParam) + text;
  return BigEndian32(static_cast<uint32_t>(static_cast<int>(body.size()) + lengthAdjust)) + body;
}

TEST(HandOverFrames, EncodeMatchesTheWireFormat) {
  const auto bytes = EncodeHandOverFrame({"VOMBREL_ADD_TRACK_MESSAGE_ID", 1, "/m/a b.mp3"});
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, RawFrame("VOMBREL_ADD_TRACK_MESSAGE_ID", 1, "/m/a b.mp3"));
  EXPECT_EQ(EncodeHandOverFrame({"N", -1, ""}), RawFrame("N", 0xFFFFFFFFu, ""));
}

TEST(HandOverFrames, EncodeRefusesWhatCannotTravel) {
  const std::size_t overhead = 4 + 2 + 1 + 4;  // length, name length, name "N", wParam
  EXPECT_TRUE(EncodeHandOverFrame({"N", 0, std::string(kMaxHandOverFrameSize - overhead, 'x')}));
  EXPECT_FALSE(EncodeHandOverFrame({"N", 0, std::string(kMaxHandOverFrameSize - overhead + 1, 'x')}));
  EXPECT_FALSE(EncodeHandOverFrame({"", 0, "t"}));
  EXPECT_FALSE(EncodeHandOverFrame({"TWO WORDS", 0, "t"}));
  EXPECT_FALSE(EncodeHandOverFrame({std::string(256, 'N'), 0, "t"}));
  EXPECT_TRUE(EncodeHandOverFrame({std::string(255, 'N'), 0, "t"}));
  EXPECT_FALSE(EncodeHandOverFrame({"N", 0, std::string("a\0b", 3)}));
}

TEST(HandOverFrames, ReaderTakesFramesInAnyPieces) {
  const HandOverFrame first{"VOMBREL_FOREGROUND", 0, ""};
  const HandOverFrame second{"VOMBREL_OPEN_PLAYLIST_MESSAGE_ID", 1, "/p/list \xe8.m3u"};
  const std::string stream = *EncodeHandOverFrame(first) + *EncodeHandOverFrame(second);
  for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}, stream.size()}) {
    HandOverFrameReader reader;
    std::vector<HandOverFrame> frames;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
      reader.Append(std::string_view(stream).substr(at, piece));
      HandOverFrame frame;
      Status status;
      while ((status = reader.Next(&frame)) == Status::Frame) frames.push_back(frame);
      ASSERT_EQ(status, Status::NeedMore) << piece;
    }
    EXPECT_EQ(frames, (std::vector<HandOverFrame>{first, second})) << piece;
    EXPECT_FALSE(reader.HasPartialFrame());
  }
}

TEST(HandOverFrames, MalformedFramesAreRejected) {
  struct Case {
    const char* name;
    std::string bytes;
    Status expected;
  } cases[] = {
      {"truncated: waits", RawFrame("NAME", 1, "text").substr(0, 9), Status::NeedMore},
      {"length header only", BigEndian32(20), Status::NeedMore},
      {"oversized length refused at once", BigEndian32(kMaxHandOverFrameSize), Status::Malformed},
      {"huge length", BigEndian32(0xFFFFFFFFu), Status::Malformed},
      {"empty body", BigEndian32(0), Status::Malformed},
      {"name longer than body", RawFrame("NAME", 1, "", 0, 10), Status::Malformed},
      {"body too short for wParam", RawFrame("NAME", 1, "", -2).substr(0, 4 + 2 + 4 + 2), Status::Malformed},
      {"empty name", RawFrame("", 1, "x"), Status::Malformed},
      {"blank in name", RawFrame("A B", 1, "x"), Status::Malformed},
      {"control byte in name", RawFrame("A\x01", 1, "x"), Status::Malformed},
      {"NUL in text", RawFrame("A", 1, std::string("x\0y", 3)), Status::Malformed},
      {"largest frame", RawFrame("A", 1, std::string(kMaxHandOverFrameSize - 11, 'x')), Status::Frame},
      {"one byte too large", RawFrame("A", 1, std::string(kMaxHandOverFrameSize - 10, 'x')), Status::Malformed},
  };
  for (const auto& c : cases) {
    HandOverFrameReader reader;
    reader.Append(c.bytes);
    HandOverFrame frame;
    EXPECT_EQ(reader.Next(&frame), c.expected) << c.name;
  }
}

TEST(HandOverFrames, MalformedIsFinal) {
  HandOverFrameReader reader;
  reader.Append(RawFrame("", 0, ""));
  HandOverFrame frame;
  EXPECT_EQ(reader.Next(&frame), Status::Malformed);
  reader.Append(*EncodeHandOverFrame({"GOOD", 1, "x"}));
  EXPECT_EQ(reader.Next(&frame), Status::Malformed);
  EXPECT_FALSE(reader.HasPartialFrame());
}

}  // namespace
