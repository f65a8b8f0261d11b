// What the panel and the playlist show, by extension, on byte-built files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>

#include "Fixtures.h"
#include "mediainfo/Mediafile.h"
#include "mediainfo/Mp3tag.h"
#include "mediainfo/Trackinfo.h"

using namespace vombrel;
using namespace vombrel::test;

namespace {

std::string TaggedMp3(bool withV1, bool withV2) {
  std::string bytes;
  if (withV2)
    bytes += Id3v2Tag(3, {{"TIT2", std::string("\0V2 title", 9)},
                          {"TCON", std::string("\0(13)Pop", 8)},
                          {"TRCK", std::string("\0"
                                               "4/9",
                                               4)}});
  for (int i = 0; i < 40; ++i) bytes += Mp3Frame128();
  if (withV1) bytes += Id3v1Block({"V1 title", "V1 artist", "V1 album", "1987", "V1 comment", 2, 17});
  return bytes;
}

}  // namespace

TEST(TrackInfo, Mp3PrefersId3v1) {
  TempFolder dir;
  const auto both = ReadTrackInfo(dir.Write("both.mp3", TaggedMp3(true, true)));
  EXPECT_EQ(both.Tags, (TagPanelTexts{"V1 title", "V1 artist", "V1 album", "1987", "2", "V1 comment", "Rock"}));
  EXPECT_EQ(both.LabelBitRate, "128 kBit/s");
  EXPECT_EQ(both.LabelFrequency, "44100 kHz");
  EXPECT_EQ(both.LabelExtension, "(mpeg layer III)");
  EXPECT_EQ(both.LengthMs, 1000);  // 40 frames of 417 bytes at 128 kbit/s
  const auto v2 = ReadTrackInfo(dir.Write("v2.MP3", TaggedMp3(false, true)));
  EXPECT_EQ(v2.Tags, (TagPanelTexts{"V2 title", "", "", "", "4", "", "Pop"}));
  const auto none = ReadTrackInfo(dir.Write("none.mp3", TaggedMp3(false, false)));
  EXPECT_EQ(none.Tags, (TagPanelTexts{"", "", "", "", "0", "", ""}));
  const auto vbr = ReadTrackInfo(dir.Write("vbr.mp3", Mp3XingFrame(true, 10000) + Mp3Frame128()));
  EXPECT_EQ(vbr.LabelBitRate, "VBR bitrate");
  EXPECT_EQ(vbr.LengthMs, 261000);
}

TEST(TrackInfo, OtherFormatsByExtension) {
  TempFolder dir;
  OggFields ogg;
  ogg.comments = {"TITLE=Ogg title", "DATE=1999", "GENRE=Jazz", "TRACKNUMBER=3/12"};
  AsfFields asf;
  asf.title = "Wma title";
  asf.extended = {{"WM/Year", "2002"}, {"WM/TRACK", "6"}};
  std::string ape = ApeFile("MAC ", 8, 2, 48000, 100) + Id3v1Block({"Ape title", "", "", "2005", "", 3, 13});

  struct Case {
    std::string name, bytes;
    TagPanelTexts tags;
    std::string bitRate, frequency;
    std::optional<std::string> extension;
  };
  const std::string oggBytes = OggFile(ogg);
  const std::string oggRate = std::to_string(static_cast<int>(std::nearbyint(oggBytes.size() / 1.0 / 125))) + " kBit/s";
  const Case cases[] = {
      {"song.Ogg", oggBytes, {"Ogg title", "", "", "", "3", "", "Jazz"}, oggRate, "44100 kHz", "( .Ogg file )"},
      {"a.wma", AsfFile(asf), {"Wma title", "", "", "2002", "6", "", ""}, "128 kBit/s", "44100 kHz", "( .wma file )"},
      {"a.ape", ape, {"Ape title", "", "", "2005", "3", "", "Pop"}, "24 bits", "48000 kHz", "( .ape file )"},
      {"plain.ape",
       ApeFile("XXXX", 8, 2, 48000, 200),
       {"", "", "", "", "0", "", ""},
       "0 bits",
       "0 kHz",
       "( .ape file )"},
      {"a.wav", "RIFF", {}, "0 kBit/s", "0 kHz", std::nullopt},
      {"noext", "x", {}, "0 kBit/s", "0 kHz", std::nullopt},
      {"a.mp3.wav", TaggedMp3(true, false), {}, "0 kBit/s", "0 kHz", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto info = ReadTrackInfo(dir.Write(c.name, c.bytes));
    SCOPED_TRACE(c.name);
    EXPECT_EQ(info.Tags, c.tags);
    EXPECT_EQ(info.LabelBitRate, c.bitRate);
    EXPECT_EQ(info.LabelFrequency, c.frequency);
    EXPECT_EQ(info.LabelExtension, c.extension);
    EXPECT_FALSE(info.LengthMs.has_value());
  }
  const auto flac = ReadTrackInfo(dir.Write("x.FLAC", FlacFile(44100, 2, 441000, {"TITLE=F", "DATE=2000"}, 0, 20000)));
  EXPECT_EQ(flac.Tags, (TagPanelTexts{"F", "", "", "", "0", "", ""}));
  const std::size_t flacSize = FlacFile(44100, 2, 441000, {"TITLE=F", "DATE=2000"}, 0, 20000).size();
  EXPECT_EQ(flac.LabelBitRate, std::to_string(static_cast<int>(std::nearbyint(flacSize / 10.0 / 125))) + " kBit/s");
  EXPECT_EQ(flac.LabelFrequency, "44100 kHz");
  EXPECT_EQ(flac.LabelExtension, "( .FLAC file )");
}

TEST(TrackInfo, ReaderFailuresFailThePlayAttempt) {
  TempFolder dir;
  const std::pair<const char*, std::string> cases[] = {
      {"short.ape", std::string(100, 'a')},
      {"silence.mp3", std::string(30000, '\0')},
      {"empty.mp3", ""},
  };
  for (const auto& [name, bytes] : cases) {
    EXPECT_THROW(ReadTrackInfo(dir.Write(name, bytes)), MediaReadError) << name;
  }
  EXPECT_THROW(ReadTrackInfo(dir.Path() + "missing.ogg"), MediaReadError);
  // A missing file of an unknown type is not read at all.
  EXPECT_NO_THROW(ReadTrackInfo(dir.Path() + "missing.wav"));
}

TEST(MediaFile, OnlyRegularFilesAreOpened) {
  TempFolder dir;
  // A pipe without a writer would block the open; a device would read without end.
  const std::string pipe = dir.Path() + "pipe.mp3";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
  const std::string link = dir.Path() + "link.mp3";
  ASSERT_EQ(symlink("/dev/zero", link.c_str()), 0);
  for (const std::string& path : {pipe, link, std::string("/dev/zero"), dir.Path()}) {
    SCOPED_TRACE(path);
    EXPECT_THROW(MediaFile file(path), MediaReadError);
    if (path.ends_with(".mp3")) {  // files of other types are not read
      EXPECT_THROW(ReadTrackInfo(path), MediaReadError);
    }
    Tmp3Tag tag;
    EXPECT_THROW(tag.WriteToFile(path), MediaWriteError);
  }
  try {
    MediaFile file(pipe);
  } catch (const MediaReadError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + pipe + "\". Not a regular file");
  }
}

TEST(ReadTitle, ByExtension) {
  TempFolder dir;
  OggFields ogg;
  ogg.comments = {"TITLE=Ogg title"};
  AsfFields asf;
  asf.title = "Wma title";
  const std::string folder = dir.Path() + "folder.mp3";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::pair<std::string, std::string> cases[] = {
      {dir.Write("both.mp3", TaggedMp3(true, true)), "V1 title"},
      {dir.Write("v2.mp3", TaggedMp3(false, true)), "V2 title"},
      {dir.Write("t.ogg", OggFile(ogg)), "Ogg title"},
      {dir.Write("t.WMA", AsfFile(asf)), "Wma title"},
      {dir.Write("t.ape", std::string(10, 'x') + Id3v1Block(Titled("Ape title"))), "Ape title"},
      {dir.Write("t.flac", FlacFile(44100, 2, 1, {"TITLE=F"}, 0, 10)), ""},
      {dir.Write("t.wav", TaggedMp3(true, false)), ""},
      {dir.Write("short.ape", "abc"), ""},
      {dir.Path() + "missing.mp3", ""},
      {folder, ""},
  };
  for (const auto& [path, title] : cases) EXPECT_EQ(ReadTitle(path), title) << path;
}

TEST(TrackInfo, AFileImageInMemoryReadsAsTheFile) {
  TempFolder dir;
  OggFields ogg;
  ogg.comments = {"TITLE=Ogg title", "TRACKNUMBER=3"};
  AsfFields asf;
  asf.title = "Wma title";
  const std::pair<const char*, std::string> cases[] = {
      {"both.mp3", TaggedMp3(true, true)},
      {"v2.mp3", TaggedMp3(false, true)},
      {"vbr.mp3", Mp3XingFrame(true, 10000) + Mp3Frame128()},
      {"silence.mp3", std::string(30000, '\0')},
      {"t.ogg", OggFile(ogg)},
      {"t.WMA", AsfFile(asf)},
      {"t.ape", ApeFile("MAC ", 8, 2, 48000, 100) + Id3v1Block(Titled("Ape title"))},
      {"short.ape", "abc"},
      {"t.flac", FlacFile(44100, 2, 441000, {"TITLE=F"}, 0, 20000)},
      {"t.wav", TaggedMp3(true, false)},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    const std::string path = dir.Write(name, bytes);
    MediaFile image(name, bytes);
    EXPECT_EQ(image.Size(), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(ReadTitleFrom(image), ReadTitle(path));
    std::optional<TrackInfo> fromFile, fromImage;
    try {
      fromFile = ReadTrackInfo(path);
    } catch (const MediaReadError&) {
    }
    try {
      fromImage = ReadTrackInfoFrom(image);
    } catch (const MediaReadError&) {
    }
    ASSERT_EQ(fromImage.has_value(), fromFile.has_value());
    if (!fromFile) continue;
    EXPECT_EQ(fromImage->Tags, fromFile->Tags);
    EXPECT_EQ(fromImage->LabelBitRate, fromFile->LabelBitRate);
    EXPECT_EQ(fromImage->LabelFrequency, fromFile->LabelFrequency);
    EXPECT_EQ(fromImage->LabelExtension, fromFile->LabelExtension);
    EXPECT_EQ(fromImage->LengthMs, fromFile->LengthMs);
    EXPECT_EQ(fromImage->Stream, fromFile->Stream);
  }
}
