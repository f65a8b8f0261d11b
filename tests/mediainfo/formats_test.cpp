// Ogg Vorbis, FLAC, WMA and Monkey's Audio readers on byte-built files.
#include <gtest/gtest.h>

#include <cmath>

#include "Fixtures.h"
#include "mediainfo/Flactags.h"
#include "mediainfo/Monkey.h"
#include "mediainfo/Oggvorbis.h"
#include "mediainfo/Wmafile.h"

using namespace vombrel;
using namespace vombrel::test;

namespace {

TOggVorbis ReadOgg(const TempFolder& dir, const OggFields& fields) {
  TOggVorbis ogg;
  ogg.ReadFromFile(dir.Write("a.ogg", OggFile(fields)));
  return ogg;
}

}  // namespace

TEST(OggVorbis, IdentificationRanges) {
  TempFolder dir;
  struct Case {
    uint8_t channels;
    uint32_t sampleRate;
    int32_t nominal;
    int channelsRead, sampleRateRead, nominalRead;
  };
  const Case cases[] = {
      {2, 44100, 128000, 2, 44100, 128}, {1, 8000, 16000, 1, 8000, 16}, {2, 48000, 350999, 2, 48000, 350},
      {6, 44100, 128000, 0, 44100, 128}, {2, 96000, 128000, 2, 0, 128}, {2, 7999, 15999, 2, 0, 0},
      {2, 44100, 351000, 2, 44100, 0},   {2, 44100, -1, 2, 44100, 0},
  };
  for (const auto& c : cases) {
    OggFields f;
    f.channels = c.channels, f.sampleRate = c.sampleRate, f.nominalBitRate = c.nominal;
    const auto ogg = ReadOgg(dir, f);
    EXPECT_TRUE(ogg.Valid);
    EXPECT_EQ(ogg.Channels, c.channelsRead) << c.sampleRate;
    EXPECT_EQ(ogg.SampleRate, c.sampleRateRead) << c.sampleRate;
    EXPECT_EQ(ogg.NominalBitRate, c.nominalRead) << c.nominal;
  }
}

TEST(OggVorbis, CommentsAndTrack) {
  TempFolder dir;
  OggFields f;
  f.comments = {"TITLE=Title",
                "artist=Lower",
                "ALBUM=First",
                "Album=Second",
                "TRACKNUMBER= 3/12",
                "DATE=2001",
                "GENRE=Jazz",
                "COMMENT=a=b",
                "NOEQUALS",
                "OTHER=x",
                "TITLE=" + std::string(300, 't')};
  auto ogg = ReadOgg(dir, f);
  EXPECT_EQ(ogg.Title, std::string(244, 't'));  // 250 bytes kept: "TITLE=" and 244 more
  EXPECT_EQ(ogg.Artist, "Lower");
  EXPECT_EQ(ogg.Album, "Second");
  EXPECT_EQ(ogg.Track, 3);
  EXPECT_EQ(ogg.Date, "2001");
  EXPECT_EQ(ogg.Genre, "Jazz");
  EXPECT_EQ(ogg.Comment, "a=b");
  EXPECT_EQ(ogg.Vendor, "NOEQUALS");
  f.comments = {"TRACKNUMBER=x/2"};
  EXPECT_EQ(ReadOgg(dir, f).Track, 0);
  EXPECT_EQ(ReadOgg(dir, f).Vendor, "test vendor");
}

TEST(OggVorbis, DurationAndAverageBitRate) {
  TempFolder dir;
  OggFields f;
  f.granule = 88200;  // 2 s at 44100 Hz
  auto ogg = ReadOgg(dir, f);
  EXPECT_EQ(ogg.Samples, 88200);
  EXPECT_DOUBLE_EQ(ogg.Duration(), 2.0);
  EXPECT_EQ(ogg.AverageBitRate(), static_cast<int>(std::nearbyint(ogg.FileSize / 2.0 / 125)));
  // Without a last page: file size / nominal / channels / 125 * 2.
  f.lastPage = false;
  ogg = ReadOgg(dir, f);
  EXPECT_EQ(ogg.Samples, 0);
  EXPECT_DOUBLE_EQ(ogg.Duration(), ogg.FileSize / 128.0 / 2 / 125 * 2);
  // 96000 Hz and no nominal bit rate: nothing to compute from.
  f.sampleRate = 96000, f.nominalBitRate = 0, f.lastPage = true;
  ogg = ReadOgg(dir, f);
  EXPECT_EQ(ogg.SampleRate, 0);
  EXPECT_EQ(ogg.Duration(), 0);
  EXPECT_EQ(ogg.AverageBitRate(), 0);
  // The last page lies more than 50 steps of 240 bytes before the end: not found.
  f.sampleRate = 44100, f.nominalBitRate = 0;
  std::string far = OggFile(f) + std::string(50 * 240 + 10, 'z');
  TOggVorbis farOgg;
  farOgg.ReadFromFile(dir.Write("far.ogg", far));
  EXPECT_EQ(farOgg.Samples, 0);
}

TEST(OggVorbis, CommentHeaderOnlyInTheFirst250Bytes) {
  TempFolder dir;
  OggFields f;
  f.comments = {"TITLE=x"};
  std::string bytes = OggFile(f);
  const auto marker = bytes.find("\x03vorbis");
  bytes.insert(marker, std::string(250, ' '));
  TOggVorbis ogg;
  ogg.ReadFromFile(dir.Write("late.ogg", bytes));
  EXPECT_EQ(ogg.Title, "");
  EXPECT_EQ(ogg.Vendor, "");
}

TEST(Flac, StreamInfoAndCommentsBehindOtherBlocks) {
  TempFolder dir;
  TFlacTags flac;
  // The comment block lies beyond the first 250 bytes, behind a padding block.
  flac.ReadFromFile(
      dir.Write("a.flac", FlacFile(48000, 2, 480000, {"TITLE=T", "Genre=Rock", "TRACKNUMBER=4"}, 1000, 60000)));
  EXPECT_TRUE(flac.Valid);
  EXPECT_EQ(flac.SampleRate, 48000);
  EXPECT_EQ(flac.Channels, 2);
  EXPECT_EQ(flac.BitsPerSample, 16);
  EXPECT_EQ(flac.Samples, 480000);
  EXPECT_DOUBLE_EQ(flac.Duration(), 10.0);
  EXPECT_EQ(flac.AverageBitRate(), static_cast<int>(std::nearbyint(flac.FileSize / 10.0 / 125)));
  EXPECT_EQ(flac.Title, "T");
  EXPECT_EQ(flac.Genre, "Rock");
  EXPECT_EQ(flac.Track, 4);
  EXPECT_EQ(flac.Vendor, "flac vendor");
}

TEST(Flac, BrokenFilesGiveZeros) {
  TempFolder dir;
  for (const std::string& bytes :
       {std::string(), std::string("fLaC"), std::string("fLaC\x00\xFF\xFF\xFF", 8), std::string("OggS"),
        std::string("fLaC\x04\x00\x00\x08", 8) + U32LE(0xFFFFFFFF) + "abcd"}) {
    TFlacTags flac;
    flac.ReadFromFile(dir.Write("b.flac", bytes));
    EXPECT_TRUE(flac.Valid);
    EXPECT_EQ(flac.SampleRate, 0);
    EXPECT_EQ(flac.Title, "");
  }
}

TEST(Wma, ReadsTheHeaderObjects) {
  TempFolder dir;
  AsfFields f;
  f.title = " Title ";
  f.author = "Author";
  f.description = "Desc";
  f.extended = {{"WM/AlbumTitle", "Album"},     {"WM/Year", "2003"}, {"WM/Genre", "Pop"}, {"WM/TRACK", "5"},
                {"WM/Description", "Extended"}, {"WM/Other", "x"}};
  f.extendedNumbers = {{"WM/TrackNumber", 9}};
  TWMAfile wma;
  wma.ReadFromFile(dir.Write("a.wma", AsfFile(f)));
  ASSERT_TRUE(wma.Valid);
  EXPECT_EQ(wma.Channels, 2);
  EXPECT_EQ(wma.SampleRate, 44100);
  EXPECT_EQ(wma.BitRate, 128);
  EXPECT_DOUBLE_EQ(wma.Duration, wma.FileSize * 8.0 / 128000);
  EXPECT_EQ(wma.Title, "Title");
  EXPECT_EQ(wma.Artist, "Author");
  EXPECT_EQ(wma.Album, "Album");
  EXPECT_EQ(wma.Year, "2003");
  EXPECT_EQ(wma.Genre, "Pop");
  EXPECT_EQ(wma.Track, 5);
  EXPECT_EQ(wma.Comment, "Extended");
}

TEST(Wma, TrackNumberIsNotRead) {
  TempFolder dir;
  AsfFields f;
  f.extended = {{"WM/TrackNumber", "9"}};
  TWMAfile wma;
  wma.ReadFromFile(dir.Write("a.wma", AsfFile(f)));
  ASSERT_TRUE(wma.Valid);
  EXPECT_EQ(wma.Track, 0);
}

TEST(Wma, ValidityRanges) {
  TempFolder dir;
  struct Case {
    uint32_t maxBitRate;
    uint16_t channels;
    uint32_t sampleRate, bytesPerSecond;
    bool valid;
  };
  const Case cases[] = {
      {1, 1, 8000, 1, true},
      {319999, 2, 96000, 39999, true},
      {320000, 2, 44100, 16000, false},
      {0, 2, 44100, 16000, false},
      {128000, 3, 44100, 16000, false},
      {128000, 2, 7999, 16000, false},
      {128000, 2, 96001, 16000, false},
      {128000, 2, 44100, 40000, false},
      {128000, 2, 44100, 0, false},
  };
  for (const auto& c : cases) {
    AsfFields f;
    f.maxBitRate = c.maxBitRate, f.channels = c.channels, f.sampleRate = c.sampleRate,
    f.bytesPerSecond = c.bytesPerSecond;
    f.title = "T";
    TWMAfile wma;
    wma.ReadFromFile(dir.Write("v.wma", AsfFile(f)));
    EXPECT_EQ(wma.Valid, c.valid) << c.maxBitRate << " " << c.channels << " " << c.sampleRate;
    if (!c.valid) {
      EXPECT_EQ(wma.Title, "");
      EXPECT_EQ(wma.SampleRate, 0);
      EXPECT_EQ(wma.FileSize, 0);
    }
  }
}

TEST(Wma, BrokenHeadersAreNotValid) {
  TempFolder dir;
  AsfFields f;
  const std::string good = AsfFile(f);
  std::vector<std::string> broken = {"", good.substr(0, 20), good.substr(0, 200)};
  std::string zeroSize = good;
  zeroSize.replace(30 + 16, 4, U32LE(0));  // first object claims size 0
  broken.push_back(zeroSize);
  std::string manyObjects = good;
  manyObjects.replace(24, 4, U32LE(0xFFFFFFFF));
  broken.push_back(manyObjects);
  std::string wrongGuid = good;
  wrongGuid[0] = 'x';
  broken.push_back(wrongGuid);
  for (const auto& bytes : broken) {
    TWMAfile wma;
    wma.ReadFromFile(dir.Write("b.wma", bytes));
    EXPECT_FALSE(wma.Valid) << bytes.size();
  }
  TWMAfile missing;
  missing.ReadFromFile(dir.Path() + "missing.wma");
  EXPECT_FALSE(missing.Valid);
}

TEST(Monkey, HeaderFlagsAndValidity) {
  TempFolder dir;
  struct Case {
    std::string id;
    uint16_t flags, channels;
    uint32_t sampleRate;
    bool valid;
    int bits;
  };
  const Case cases[] = {
      {"MAC ", 0, 2, 44100, true, 16}, {"MAC ", 1, 2, 44100, true, 8},  {"MAC ", 8, 2, 44100, true, 24},
      {"MAC ", 9, 2, 44100, true, 24}, {"MAC ", 20, 1, 8000, true, 16}, {"MAC ", 0, 0, 44100, false, 0},
      {"MAC ", 0, 2, 0, false, 0},     {"MACX", 0, 2, 44100, false, 0},
  };
  for (const auto& c : cases) {
    TMonkey ape;
    ape.ReadFromFile(dir.Write("a.ape", ApeFile(c.id, c.flags, c.channels, c.sampleRate, 200)));
    EXPECT_EQ(ape.Valid, c.valid) << c.flags;
    EXPECT_EQ(ape.BitsPerSample, c.bits) << c.flags;
    if (c.valid) {
      EXPECT_EQ(ape.SampleRate, c.sampleRate);
      EXPECT_EQ(ape.PeakLevel, (c.flags & 4) ? 0x7FFFu : 0u);
      EXPECT_EQ(ape.SeekElements, (c.flags & 16) ? 5u : 0u);
    }
  }
}

TEST(Monkey, Id3v1RulesAndShortFiles) {
  TempFolder dir;
  TMonkey ape;
  ape.ReadFromFile(dir.Write("none.ape", ApeFile("MAC ", 0, 2, 44100, 200)));
  EXPECT_FALSE(ape.ID3v1.Exists);
  EXPECT_EQ(ape.ID3v1.Title, "");
  EXPECT_EQ(ape.ID3v1.Track, 0);
  EXPECT_EQ(ape.ID3v1.Genre, "");

  const std::string c30(30, 'c');
  struct Case {
    std::string b125b126;
    bool v11;
    int track;
    std::string comment;
  };
  const Case cases[] = {
      {std::string("\0\x05", 2), true, 5, std::string(28, 'c')},
      {" \x06", true, 6, std::string(28, 'c')},
      {"  ", false, 0, std::string(28, 'c')},  // trailing blanks stripped
      {"cc", false, 0, c30},
      {std::string("\0\0", 2), false, 0, std::string(28, 'c')},
  };
  for (const auto& c : cases) {
    std::string block = Id3v1Block({"T", "A", "B", "1999", c30, -1, 136});
    block.replace(125, 2, c.b125b126);
    TMonkey tagged;
    tagged.ReadFromFile(dir.Write("t.ape", ApeFile("MAC ", 0, 2, 44100, 10) + block));
    EXPECT_TRUE(tagged.ID3v1.Exists);
    EXPECT_EQ(tagged.ID3v1.IsVersion11, c.v11);
    EXPECT_EQ(tagged.ID3v1.Track, c.track);
    EXPECT_EQ(tagged.ID3v1.Comment, c.comment);
    EXPECT_EQ(tagged.ID3v1.Genre, "Christian Gangsta Rap");
  }
  std::string genre148 = Id3v1Block({"T", "", "", "", "", -1, 148});
  TMonkey noGenre;
  noGenre.ReadFromFile(dir.Write("g.ape", genre148));
  EXPECT_EQ(noGenre.ID3v1.Genre, "");
  EXPECT_FALSE(noGenre.Valid);

  TMonkey shortFile;
  EXPECT_THROW(shortFile.ReadFromFile(dir.Write("s.ape", ApeFile("MAC ", 0, 2, 44100, 10))), MediaReadError);
  EXPECT_THROW(shortFile.ReadFromFile(dir.Path() + "missing.ape"), MediaReadError);
}
