// ID3v1 reading, editing and writing, ID3v2.3 frames, and the panel's save rules.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "Fixtures.h"
#include "mediainfo/Id3v2.h"
#include "mediainfo/Mp3tag.h"
#include "mediainfo/Trackinfo.h"

using namespace vombrel;
using namespace vombrel::test;

TEST(Genres, PanelListAndStandardList) {
  const auto& panel = Tmp3Tag::Genres();
  const auto& standard = StandardId3v1Genres();
  ASSERT_EQ(panel.size(), 149u);
  ASSERT_EQ(standard.size(), 148u);
  const std::pair<int, const char*> panelNames[] = {
      {0, "Blues"},           {17, "Rock"},      {80, "Folk"}, {136, "Christian Gangs"}, {140, "Contemporary Ch?"},
      {141, "Cristian Rock"}, {147, "Synthpop"}, {148, ""}};
  for (const auto& [id, name] : panelNames) EXPECT_EQ(panel[static_cast<std::size_t>(id)], name) << id;
  EXPECT_EQ(standard[136], "Christian Gangsta Rap");
  EXPECT_EQ(standard[140], "Contemporary Christian");
  EXPECT_EQ(standard[141], "Christian Rock");
  for (std::size_t i = 0; i < standard.size(); ++i) {
    if (i != 136 && i != 140 && i != 141) {
      EXPECT_EQ(panel[i], standard[i]) << i;
    }
  }
}

TEST(Mp3Tag, ReadsId3v1AndId3v11) {
  TempFolder dir;
  struct Case {
    const char* name;
    Id3v1Fields fields;
    bool v1Tag;
    uint32_t track;
    std::string comment;
    std::string genre;
  };
  const std::string comment30 = "123456789012345678901234567890";
  const Case cases[] = {
      {"v11", {"Title", "Artist", "Album", "1999", "Comment", 7, 17}, false, 7, "Comment", "Rock"},
      {"v10", {"T", "A", "B", "2000", comment30, -1, 136}, true, 0, comment30, "Christian Gangs"},
      {"v11long", {"T", "A", "B", "2000", comment30, 9, 148}, false, 9, comment30.substr(0, 28), ""},
      {"trackzero", {"T", "A", "B", "2000", "c", 0, 200}, true, 0, "c", ""},
      {"genre255", {"T", "A", "B", "2000", "c", 1, 255}, false, 1, "c", ""},
  };
  for (const auto& c : cases) {
    Tmp3Tag tag;
    tag.ReadFromFile(dir.Write(std::string(c.name) + ".mp3", std::string(500, 'x') + Id3v1Block(c.fields)));
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(tag.TagPresent());
    EXPECT_EQ(tag.Title(), c.fields.title);
    EXPECT_EQ(tag.Year(), c.fields.year);
    EXPECT_EQ(tag.v1Tag(), c.v1Tag);
    EXPECT_EQ(tag.Track(), c.track);
    EXPECT_EQ(tag.Comment(), c.comment);
    EXPECT_EQ(tag.GenreID(), c.fields.genre);
    EXPECT_EQ(tag.Genre(), c.genre);
  }
}

TEST(Mp3Tag, FieldTextsCutAtZeroStripBlanksAndDecodeWindows1252) {
  TempFolder dir;
  std::string block = Id3v1Block({"", "Artist \t  ", "caf\xE9", "99", "", -1, 255});
  block.replace(3, 12, std::string("Ab\0junk     ", 12));
  Tmp3Tag tag;
  tag.ReadFromFile(dir.Write("a.mp3", block));
  EXPECT_EQ(tag.Title(), "Ab");
  EXPECT_EQ(tag.Artist(), "Artist");
  EXPECT_EQ(tag.Album(), "caf\u00e9");
  EXPECT_EQ(tag.Year(), "99");
}

TEST(Mp3Tag, NoTagInShortOrUntaggedFiles) {
  TempFolder dir;
  for (const std::string& bytes :
       {std::string(), std::string(127, 'x'), std::string(128, 'x'), "TAG" + std::string(124, ' ')}) {
    Tmp3Tag tag;
    tag.ReadFromFile(dir.Write("n.mp3", bytes));
    EXPECT_FALSE(tag.TagPresent()) << bytes.size();
  }
  Tmp3Tag tag;
  EXPECT_THROW(tag.ReadFromFile(dir.Path() + "missing.mp3"), MediaReadError);
}

TEST(Mp3Tag, EditingRules) {
  Tmp3Tag tag;
  EXPECT_EQ(tag.GenreID(), 0);
  EXPECT_EQ(tag.Genre(), "Blues");
  EXPECT_FALSE(tag.v1Tag());
  EXPECT_FALSE(tag.TagModified());
  tag.SetTitle("");
  EXPECT_FALSE(tag.TagModified());  // unchanged text
  tag.SetTitle(std::string(40, 't'));
  EXPECT_EQ(tag.Title(), std::string(30, 't'));
  EXPECT_TRUE(tag.TagModified());
  tag.SetYear("19999");
  EXPECT_EQ(tag.Year(), "1999");
  tag.SetComment(std::string(30, 'c'));
  EXPECT_EQ(tag.Comment(), std::string(28, 'c'));  // ID3v1.1 layout
  tag.SetTrack(5);
  EXPECT_FALSE(tag.v1Tag());
  tag.SetTrack(0);
  EXPECT_TRUE(tag.v1Tag());
  tag.SetComment(std::string(30, 'd'));
  EXPECT_EQ(tag.Comment(), std::string(30, 'd'));  // ID3v1.0 layout
  tag.SetGenreID(17);
  EXPECT_EQ(tag.Genre(), "Rock");
  tag.SetGenre("pop");
  EXPECT_EQ(tag.GenreID(), 13);
  tag.SetGenre("Nothing like it");
  EXPECT_EQ(tag.GenreID(), -1);
  // Characters, not bytes: "é" is one character of the code page.
  tag.SetArtist(std::string(29, 'a') + "\u00e9\u00e9");
  EXPECT_EQ(tag.Artist(), std::string(29, 'a') + "\u00e9");
}

TEST(Mp3Tag, WritesTheLayoutBytes) {
  Tmp3Tag tag;
  tag.SetTitle("Title");
  tag.SetComment("Comment");
  tag.SetTrack(7);
  tag.SetGenreID(-1);
  tag.SetArtist("\u20ac \u4e2d");
  const std::string bytes = tag.TagBytes();
  ASSERT_EQ(bytes.size(), 128u);
  EXPECT_EQ(bytes.substr(0, 3), "TAG");
  EXPECT_EQ(bytes.substr(3, 30), "Title" + std::string(25, ' '));
  EXPECT_EQ(bytes.substr(33, 4), "\x80 ? ");
  EXPECT_EQ(bytes.substr(97, 28), "Comment" + std::string(21, ' '));
  EXPECT_EQ(bytes[125], 0);
  EXPECT_EQ(bytes[126], 7);
  EXPECT_EQ(static_cast<unsigned char>(bytes[127]), 255);
}

TEST(Mp3Tag, WriteAppendsOrReplaces) {
  TempFolder dir;
  Tmp3Tag tag;
  tag.SetTitle("New");
  const std::string plain = dir.Write("plain.mp3", std::string(100, 'p'));
  tag.WriteToFile(plain);
  const std::string appended = ReadAll(plain);
  EXPECT_EQ(appended.size(), 228u);
  EXPECT_EQ(appended.substr(0, 100), std::string(100, 'p'));
  EXPECT_EQ(appended.substr(100), tag.TagBytes());

  const std::string tagged = dir.Write("tagged.mp3", std::string(300, 'q') + Id3v1Block(Titled("Old")));
  tag.WriteToFile(tagged);
  EXPECT_EQ(ReadAll(tagged), std::string(300, 'q') + tag.TagBytes());
  // A file of exactly the tag's size starting with "TAG" is overwritten, not extended.
  const std::string only = dir.Write("only.mp3", Id3v1Block(Titled("Old")));
  tag.WriteToFile(only);
  EXPECT_EQ(ReadAll(only), tag.TagBytes());
}

namespace {

// Writes a tag to `path` as an unprivileged user (root passes permission checks) and
// returns the failure text, or "" when the write succeeded.
std::string WriteAsUnprivilegedUser(const std::string& path) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    std::string failure;
    try {
      Tmp3Tag tag;
      tag.SetTitle("x");
      tag.WriteToFile(path);
    } catch (const MediaWriteError& e) {
      failure = e.what();
    }
    (void)!write(pipeFds[1], failure.data(), failure.size());
    _exit(0);
  }
  close(pipeFds[1]);
  std::string failure;
  char buffer[256];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    failure.append(buffer, static_cast<std::size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  return failure;
}

}  // namespace

TEST(Mp3Tag, WriteToReadOnlyFileFailsAndLeavesIt) {
  TempFolder dir;
  chmod(dir.Path().c_str(), 0755);
  for (const std::string& bytes : {std::string(200, 'r'), std::string(300, 'r') + Id3v1Block(Titled("Old"))}) {
    const std::string path = dir.Write("ro.mp3", bytes);
    chmod(path.c_str(), 0444);
    const std::string failure = WriteAsUnprivilegedUser(path);
    EXPECT_NE(failure.find("Permission denied"), std::string::npos) << failure;
    EXPECT_EQ(ReadAll(path), bytes);
    chmod(path.c_str(), 0644);
  }
  Tmp3Tag tag;
  EXPECT_THROW(tag.WriteToFile(dir.Path() + "missing/x.mp3"), MediaWriteError);
}

TEST(SaveTags, FieldRulesOfThePanel) {
  TempFolder dir;
  struct Case {
    const char* name;
    TagPanelTexts panel;
    SaveTagsResult result;
    std::string title, year, comment;
    uint32_t track;
    int genreId;
  };
  const std::string c40(40, 'c');
  const Case cases[] = {
      {"cuts",
       {std::string(40, 't'), "Art", "Alb", "19999", "3", c40, "rock"},
       SaveTagsResult::Written,
       std::string(30, 't'),
       "1999",
       std::string(28, 'c'),
       3,
       17},
      {"emptygenre", {"T", "", "", "", "1", "", ""}, SaveTagsResult::Written, "T", "", "", 1, 148},
      {"owngenre", {"T", "", "", "", "+2", "", "My Genre"}, SaveTagsResult::Written, "T", "", "", 2, 255},
      {"specialname", {"T", "", "", "", " 4", "", "cristian rock"}, SaveTagsResult::Written, "T", "", "", 4, 141},
      {"trackzero", {"T", "", "", "", "0", c40, "Blues"}, SaveTagsResult::Written, "T", "", std::string(28, 'c'), 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Write(std::string(c.name) + ".Mp3", std::string(1000, 'a'));
    ASSERT_EQ(SaveTagsToFile(path, c.panel), c.result);
    Tmp3Tag tag;
    tag.ReadFromFile(path);
    EXPECT_TRUE(tag.TagPresent());
    EXPECT_EQ(tag.Title(), c.title);
    EXPECT_EQ(tag.Year(), c.year);
    EXPECT_EQ(tag.Comment(), c.comment);
    EXPECT_EQ(tag.Track(), c.track);
    EXPECT_EQ(tag.GenreID(), c.genreId);
    EXPECT_EQ(ReadAll(path).size(), 1128u);
  }
}

TEST(SaveTags, WrongTrackOrOtherFormatsWriteNothing) {
  TempFolder dir;
  const std::string mp3 = dir.Write("a.mp3", std::string(500, 'a'));
  for (const char* track : {"", "x", "3/12", "$10", "0x10", "1 ", "99999999999"}) {
    EXPECT_EQ(SaveTagsToFile(mp3, {"T", "", "", "", track, "", ""}), SaveTagsResult::WrongTrackFormat) << track;
  }
  EXPECT_EQ(ReadAll(mp3), std::string(500, 'a'));
  const std::string ogg = dir.Write("a.ogg", std::string(500, 'o'));
  EXPECT_EQ(SaveTagsToFile(ogg, {"T", "", "", "", "1", "", ""}), SaveTagsResult::NotMp3);
  EXPECT_EQ(ReadAll(ogg), std::string(500, 'o'));
  EXPECT_STREQ(kMsgWrongFormatTrack.Key, "MSG_WRONGFORMATTRACK");
  EXPECT_STREQ(kMsgWrongFormatTrack.Default, "La traccia deve essere numerica");
}

TEST(SaveTags, KeepsTheId3v2Tag) {
  TempFolder dir;
  const std::string v2 = Id3v2Tag(3, {{"TIT2", std::string("\0Two", 4)}});
  const std::string path = dir.Write("b.mp3", v2 + Mp3Frame128());
  ASSERT_EQ(SaveTagsToFile(path, {"One", "", "", "", "1", "", ""}), SaveTagsResult::Written);
  EXPECT_EQ(ReadAll(path).substr(0, v2.size()), v2);
}

namespace {

std::string Text(const std::string& ascii) { return std::string(1, '\0') + ascii; }

TID3v2 ReadV2(const TempFolder& dir, const std::string& tag) {
  TID3v2 v2;
  v2.ReadFromFile(dir.Write("v2.mp3", tag + Mp3Frame128()));
  return v2;
}

}  // namespace

TEST(Id3v2, ReadsTheVersion3Frames) {
  TempFolder dir;
  const auto v2 = ReadV2(dir, Id3v2Tag(3,
                                       {{"TIT2", Text("  Title  ")},
                                        {"TPE1", Text("Artist")},
                                        {"TALB", Text("Album")},
                                        {"TYER", Text("2004")},
                                        {"TRCK", Text("3/12")},
                                        {"TCON", Text("(13)Pop")},
                                        {"COMM", std::string("\0eng\0The comment", 16)},
                                        {"TXXX", Text("other")}},
                                       20));
  EXPECT_TRUE(v2.Exists);
  EXPECT_EQ(v2.VersionID, 3);
  EXPECT_EQ(v2.Title, "Title");
  EXPECT_EQ(v2.Artist, "Artist");
  EXPECT_EQ(v2.Album, "Album");
  EXPECT_EQ(v2.Year, "2004");
  EXPECT_EQ(v2.Track, 3);
  EXPECT_EQ(v2.Genre, "Pop");
  EXPECT_EQ(v2.Comment, "The comment");
}

TEST(Id3v2, TextRules) {
  TempFolder dir;
  struct Case {
    const char* name;
    std::string id, data;
    std::string TID3v2::*field;
    std::string expected;
  };
  const std::string bom = "\x01\xFF\xFE";
  const Case cases[] = {
      {"genre plain", "TCON", Text("Rock"), &TID3v2::Genre, "Rock"},
      {"genre refs", "TCON", Text("(17)(13)Pop"), &TID3v2::Genre, "Pop"},
      {"genre only ref", "TCON", Text("(17)"), &TID3v2::Genre, ""},
      {"genre spaced", "TCON", Text("(13) Pop"), &TID3v2::Genre, "Pop"},
      {"windows-1252", "TIT2", Text("caf\xE9"), &TID3v2::Title, "caf\u00e9"},
      {"terminator", "TIT2", std::string("\0One\0Two", 8), &TID3v2::Title, "One"},
      {"utf-16 le", "TIT2", bom + Utf16LE("Titolo") + std::string(2, '\0'), &TID3v2::Title, "Titolo"},
      {"utf-16 be", "TIT2", std::string("\x01\xFE\xFF\0T\0i", 7), &TID3v2::Title, "Ti"},
      {"utf-16 nonlatin", "TIT2", bom + std::string("\x2d\x4e\x87\x65", 4), &TID3v2::Title, "\u4e2d\u6587"},
      {"utf-16 surrogates", "TIT2", bom + std::string("\x3d\xd8\x00\xde", 4), &TID3v2::Title, "\U0001F600"},
      {"utf-16 comment", "COMM",
       std::string("\x01"
                   "eng",
                   4) +
           "\xFF\xFE" + Utf16LE("d") + std::string(2, '\0') + "\xFF\xFE" + Utf16LE("Text"),
       &TID3v2::Comment, "Text"},
      {"empty frame", "TIT2", "", &TID3v2::Title, ""},
      {"short comment", "COMM", std::string("\0en", 3), &TID3v2::Comment, ""},
      {"long text", "TALB", Text(std::string(400, 'x')), &TID3v2::Album, std::string(249, 'x')},
  };
  for (const auto& c : cases) {
    const auto v2 = ReadV2(dir, Id3v2Tag(3, {{c.id, c.data}}));
    EXPECT_EQ(v2.*c.field, c.expected) << c.name;
  }
}

TEST(Id3v2, TrackRules) {
  TempFolder dir;
  const std::pair<std::string, int> cases[] = {{"3/12", 3},    {"7", 7},    {"x", 0},   {"", 0},
                                               {" 12 /1", 12}, {"300", 44}, {"0x10", 0}};
  for (const auto& [text, track] : cases) {
    EXPECT_EQ(ReadV2(dir, Id3v2Tag(3, {{"TRCK", Text(text)}})).Track, track) << text;
  }
}

TEST(Id3v2, OtherVersionsAndBrokenTagsGiveNoTexts) {
  TempFolder dir;
  const std::vector<std::pair<std::string, std::string>> frames = {{"TIT2", Text("Title")}};
  EXPECT_EQ(ReadV2(dir, Id3v2Tag(4, frames)).Title, "");
  EXPECT_EQ(ReadV2(dir, Id3v2Tag(2, frames)).Title, "");
  EXPECT_EQ(ReadV2(dir, Id3v2Tag(4, frames)).VersionID, 4);
  // Size beyond the file: size 0, nothing read.
  const auto huge = ReadV2(dir, std::string("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10) + "TIT2" + U32BE(2) + "\0\0\0t");
  EXPECT_TRUE(huge.Exists);
  EXPECT_EQ(huge.Size, 0);
  EXPECT_EQ(huge.Title, "");
  // A frame size beyond the tag ends the walk; a later frame replaces an earlier one.
  std::string lying = Id3v2Tag(3, {{"TIT2", Text("First")}, {"TIT2", Text("Second")}, {"TPE1", Text("A")}});
  EXPECT_EQ(ReadV2(dir, lying).Title, "Second");
  lying.replace(10 + 4, 4, U32BE(0xFFFFFFF0));
  const auto cut = ReadV2(dir, lying);
  EXPECT_EQ(cut.Title, "FirstTIT2");  // 250 bytes of data, cut at the terminator
  EXPECT_EQ(cut.Artist, "");
  // Padding (a lower-case or zero identifier) ends the walk.
  EXPECT_EQ(ReadV2(dir, Id3v2Tag(3, {{"TIT2", Text("T")}, {"xxxx", ""}, {"TPE1", Text("A")}})).Artist, "");
  TID3v2 missing;
  missing.ReadFromFile(dir.Path() + "missing.mp3");
  EXPECT_FALSE(missing.Exists);
}
