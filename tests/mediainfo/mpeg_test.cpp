// MPEG frame headers, the first-frame search, Xing and the duration rules.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "mediainfo/Audioinfo.h"

using namespace vombrel;
using namespace vombrel::test;

TEST(MpegFrameHdr, ParsesTheTables) {
  struct Case {
    uint8_t b1, b2, b3;
    bool valid;
    int version, layer, bitRate, sampleRate, frameLength;
  };
  const Case cases[] = {
      {0xFB, 0x90, 0x00, true, 1, 3, 128, 44100, 417},  // MPEG-1 III 128k 44.1k
      {0xFB, 0x92, 0x00, true, 1, 3, 128, 44100, 418},  // with padding
      {0xFB, 0xA0, 0x00, true, 1, 3, 160, 44100, 522},
      {0xFD, 0x84, 0xC0, true, 1, 2, 128, 48000, 384},  // MPEG-1 II 128k 48k mono
      {0xFF, 0x90, 0x00, true, 1, 1, 288, 44100, 313},  // MPEG-1 I: 48 * 288000 / 44100 = 313
      {0xFF, 0x92, 0x00, true, 1, 1, 288, 44100, 317},  // layer I padding is 4 bytes
      {0xF3, 0x80, 0x00, true, 2, 3, 64, 22050, 208},   // MPEG-2 III: 72 * 64000 / 22050
      {0xF7, 0x80, 0x00, true, 2, 1, 128, 22050, 139},  // MPEG-2 I: 24 * 128000 / 22050
      {0xE3, 0x84, 0x00, true, 3, 3, 64, 16000, 288},   // MPEG-2.5 index 1 is 16000
      {0xE3, 0x80, 0x00, true, 3, 3, 64, 32000, 144},   // MPEG-2.5 index 0 is 32000
      {0xE3, 0x88, 0x00, true, 3, 3, 64, 8000, 576},
      {0xFB, 0x00, 0x00, true, 1, 3, 0, 44100, 0},       // free format counts as valid
      {0xFB, 0xF0, 0x00, false, 1, 3, -1, 44100, -3},    // bit-rate index 15: -144000 / 44100
      {0xFB, 0x9C, 0x00, false, 1, 3, 128, -1, 0},       // sample-rate index 3
      {0xEB, 0x90, 0x00, false, 0, 3, -1, -1, 0},        // version bits 01
      {0xF9, 0x90, 0x00, false, 1, 0, -1, 44100, 0},     // layer bits 00: factor of II/III
      {0xDB, 0x90, 0x00, false, 1, 3, 128, 44100, 417},  // b1 below 224: sync incomplete
  };
  for (const auto& c : cases) {
    const unsigned char bytes[4] = {0xFF, c.b1, c.b2, c.b3};
    TMpegFrameHdr h;
    h.Parse(bytes);
    SCOPED_TRACE(testing::Message() << std::hex << int(c.b1) << " " << int(c.b2));
    EXPECT_EQ(h.Valid, c.valid);
    EXPECT_EQ(h.Version, c.version);
    EXPECT_EQ(h.Layer, c.layer);
    EXPECT_EQ(h.BitRate, c.bitRate);
    EXPECT_EQ(h.SampleRate, c.sampleRate);
    if (c.layer != 0) {
      EXPECT_EQ(h.FrameLength, c.frameLength);
    }
  }
}

TEST(MpegFrameHdr, LayerNamesAndChannelMode) {
  const unsigned char mono[4] = {0xFF, 0xFD, 0x84, 0xC0};
  TMpegFrameHdr h;
  h.Parse(mono);
  EXPECT_STREQ(h.LayerName(), "II");
  EXPECT_EQ(h.ChannelMode, 3);
  const unsigned char none[4] = {0xFF, 0xF9, 0x90, 0x00};
  h.Parse(none);
  EXPECT_STREQ(h.LayerName(), "?!!");
}

TEST(MpegFrameHdr, SearchFindsTheFirstValidHeader) {
  // 0xFF 0xE0.. candidates that fail the other checks are passed over.
  const std::string bytes = std::string("\x00\xFF\xFF\xF0\x00\xFF\xEB\x90\x00\xFF\xFB\x90\x00", 13);
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  TMpegFrameHdr h;
  EXPECT_EQ(FindFrameHeader(data, bytes.size(), h), 9);
  EXPECT_EQ(h.BitRate, 128);
  EXPECT_EQ(FindFrameHeader(data, bytes.size() - 1, h), -1);
}

namespace {

TAudioInfo Read(const std::string& path) {
  TAudioInfo info;
  info.ReadFromFile(path);
  return info;
}

// A frame exactly as long as its header says.
std::string Frame(uint8_t b1, uint8_t b2, uint8_t b3) {
  const unsigned char bytes[4] = {0xFF, b1, b2, b3};
  TMpegFrameHdr h;
  h.Parse(bytes);
  return MpegFrame(b1, b2, b3, static_cast<std::size_t>(h.FrameLength));
}

std::string Frames(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += Mp3Frame128();
  return s;
}

}  // namespace

TEST(AudioInfo, FindsAFrameAcrossEveryChunkBorderWithinTheLimit) {
  // Borders of the 128-byte first chunk and the 124-byte chunks behind it, and the last
  // positions of the 10240-byte range.
  TempFolder dir;
  for (const int64_t offset : {0L, 125L, 126L, 127L, 128L, 249L, 250L, 251L, 252L, 10236L}) {
    const std::string path = dir.Write("border.mp3", std::string(offset, '\0') + Frames(3));
    const auto info = Read(path);
    EXPECT_EQ(info.FirstFrameOffset, offset) << offset;
    EXPECT_TRUE(info.FirstFrame.Valid) << offset;
  }
  // A header that does not end within the first 10240 bytes is not found.
  const std::string path = dir.Write("far.mp3", std::string(10237, '\0') + Frames(3));
  EXPECT_THROW(Read(path), MediaReadError);
}

TEST(AudioInfo, SearchStartsBehindALeadingId3v2Tag) {
  TempFolder dir;
  // A large tag (cover art) and a byte-order mark inside it that looks like a header.
  const std::string art = std::string("\x01\xFF\xFE", 3) + std::string(20000, '\xFF');
  const std::string tag = Id3v2Tag(3, {{"APIC", art}});
  const auto info = Read(dir.Write("art.mp3", tag + Frames(3)));
  EXPECT_EQ(info.FirstFrameOffset, static_cast<int64_t>(tag.size()));
  // With a footer the tag is 10 bytes longer.
  std::string footed = Id3v2Tag(4, {{"TIT2", std::string("\0x", 2)}}, 0, 0x10);
  footed += "3DI" + std::string(7, '\0');
  EXPECT_EQ(Read(dir.Write("footer.mp3", footed + Frames(3))).FirstFrameOffset, static_cast<int64_t>(footed.size()));
}

// A tag whose size field points past the end of the file: the audio is searched for from
// the start of the file, so the frames right behind the damaged header are found.
TEST(AudioInfo, TagSizeBeyondTheEndSearchesFromTheStart) {
  TempFolder dir;
  const std::string header("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10);
  const auto info = Read(dir.Write("hugetag.mp3", header + Frames(3)));
  EXPECT_EQ(info.FirstFrameOffset, 10);
  EXPECT_TRUE(info.FirstFrame.Valid);
  // A tag that ends exactly at the end of the file leaves no audio behind it.
  EXPECT_THROW(Read(dir.Write("tagonly.mp3", Id3v2Tag(3, {{"TIT2", std::string("\0t", 2)}}))), MediaReadError);
}

TEST(AudioInfo, ConfirmationBySecondHeader) {
  TempFolder dir;
  const std::string lone = Mp3Frame128() + std::string(100, '\0');
  EXPECT_FALSE(Read(dir.Write("lone.mp3", lone)).FirstFrame.Valid);
  // Nothing more than 4 bytes behind the frame: no confirmation asked.
  const std::string last = Mp3Frame128() + std::string(4, '\0');
  EXPECT_TRUE(Read(dir.Write("last.mp3", last)).FirstFrame.Valid);
}

TEST(AudioInfo, DurationRules) {
  TempFolder dir;
  struct Case {
    std::string name;
    std::string bytes;
    bool vbr;
    int32_t durationMs;
  };
  auto cbr = [](uint8_t b2, std::size_t audioBytes) {
    std::string s = Frame(0xFB, b2, 0) + MpegFrame(0xFB, b2, 0, 4);
    s.resize(audioBytes, '\0');
    return s;
  };
  auto xing32k = [](uint32_t frames) {  // MPEG-1 layer III, 128 kbit/s, 32000 Hz: 576 bytes
    std::string first = MpegFrame(0xFB, 0x98, 0, 576);
    first.replace(36, 12, "Xing" + U32BE(1) + U32BE(frames));
    return first + MpegFrame(0xFB, 0x98, 0, 576) + MpegFrame(0xFB, 0x98, 0, 576);
  };
  const Case cases[] = {
      {"cbr128", cbr(0x90, 4000000), false, 250000},
      {"cbr160", cbr(0xA0, 4000000), false, 200000},
      {"cbr128tag", cbr(0x90, 4000000) + Id3v1Block({}), false, 250000},
      {"cbrtrunc", cbr(0x90, 4015999), false, 250000},  // 250.99 s: whole seconds
      {"xing", Mp3XingFrame(true, 10000) + Frames(2), true, 261000},
      {"xing32k", xing32k(1), true, 0},             // 0.036 s rounds to 0
      {"xinghalfeven", xing32k(125), true, 4000},   // 4.5 s: halves go to the even 4
      {"xinghalfodd", xing32k(1875), true, 68000},  // 67.5 s: to the even 68
      {"xinghalf40", xing32k(1125), true, 40000},   // 40.5 s
      {"xingnoframes", Mp3XingFrame(false, 10000) + Frames(2), true, 0},
  };
  for (const auto& c : cases) {
    const auto info = Read(dir.Write(c.name + ".mp3", c.bytes));
    EXPECT_EQ(info.VBR, c.vbr) << c.name;
    EXPECT_EQ(info.DurationMs, c.durationMs) << c.name;
  }
}

TEST(AudioInfo, InfoFrameDescribesTheStreamByTheAudioFrameAfterIt) {
  // Encoders put the constant-bit-rate "Info" header in a frame of the smallest bit rate
  // it fits in: 64 kbit/s here, before 128 kbit/s audio.
  TempFolder dir;
  std::string info = MpegFrame(0xFB, 0x50, 0, 208);
  info.replace(36, 12, "Info" + U32BE(1) + U32BE(9570));
  std::string audio = MpegFrame(0xFB, 0x90, 0, 417) + MpegFrame(0xFB, 0x90, 0, 417);
  audio.resize(4000000, '\0');
  const auto withInfo = Read(dir.Write("info.mp3", info + audio));
  EXPECT_FALSE(withInfo.VBR);
  EXPECT_EQ(withInfo.FirstFrame.BitRate, 128);
  EXPECT_EQ(withInfo.FirstFrameOffset, 208);
  EXPECT_EQ(withInfo.DurationMs, 250000);
  // An "Info" frame with nothing playable behind it keeps its own values.
  const auto alone = Read(dir.Write("alone.mp3", info + std::string(300, '\0')));
  EXPECT_EQ(alone.FirstFrame.BitRate, 64);
  EXPECT_EQ(alone.FirstFrameOffset, 0);
}

TEST(AudioInfo, XingOffsetsByVersionAndMode) {
  TempFolder dir;
  struct Case {
    uint8_t b1, b2, b3;
    std::size_t offset;
  };
  const Case cases[] = {
      {0xFB, 0x90, 0xC0, 21},  // MPEG-1 mono
      {0xFB, 0x90, 0x00, 36},  // MPEG-1 stereo
      {0xF3, 0x80, 0xC0, 13},  // MPEG-2 mono
      {0xF3, 0x80, 0x40, 21},  // MPEG-2 joint stereo
      {0xE3, 0x80, 0xC0, 13},  // MPEG-2.5 mono
  };
  for (const auto& c : cases) {
    std::string frame = Frame(c.b1, c.b2, c.b3);
    frame.replace(c.offset, 12, "Xing" + U32BE(1) + U32BE(100));
    std::string misplaced = Frame(c.b1, c.b2, c.b3);
    misplaced.replace(c.offset + 1, 12, "Xing" + U32BE(1) + U32BE(100));
    const std::string next = Frame(c.b1, c.b2, c.b3) + Frame(c.b1, c.b2, c.b3);
    EXPECT_TRUE(Read(dir.Write("x.mp3", frame + next)).VBR) << c.offset;
    EXPECT_FALSE(Read(dir.Write("y.mp3", misplaced + next)).VBR) << c.offset;
  }
}

TEST(AudioInfo, FilesThatCannotPlayFailCleanly) {
  TempFolder dir;
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"tiny", "\xFF\xFB"},
      {"zeros", std::string(20000, '\0')},
      {"freeformat", MpegFrame(0xFB, 0x00, 0, 4) + MpegFrame(0xFB, 0x00, 0, 4) + std::string(100, '\0')},
      {"tagonly", Id3v2Tag(3, {{"TIT2", std::string("\0t", 2)}})},
  };
  for (const auto& [name, bytes] : cases) {
    EXPECT_THROW(Read(dir.Write(std::string(name) + ".mp3", bytes)), MediaReadError) << name;
  }
  EXPECT_THROW(Read(dir.Path() + "missing.mp3"), MediaReadError);
}

TEST(AudioInfo, Id3v1PresenceShortensTheAudio) {
  TempFolder dir;
  std::string bytes = Frames(2);
  bytes.resize(16128, '\0');  // 16000 audio bytes at 128 kbit/s = 1 s, plus 128
  EXPECT_EQ(Read(dir.Write("a.mp3", bytes)).DurationMs, 1000);
  EXPECT_FALSE(Read(dir.Write("a.mp3", bytes)).HasId3v1);
  bytes.replace(bytes.size() - 128, 3, "TAG");
  const auto tagged = Read(dir.Write("b.mp3", bytes));
  EXPECT_TRUE(tagged.HasId3v1);
  EXPECT_EQ(tagged.DurationMs, 1000);
  bytes.resize(16127);
  EXPECT_EQ(Read(dir.Write("c.mp3", bytes + "\x01")).DurationMs, 1000);  // 16128 bytes: still 1 s
}
