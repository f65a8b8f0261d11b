#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "support/Supportmsg.h"

using namespace vombrel;
namespace fs = std::filesystem;

namespace {

const std::string kSection = "\xC2\xA7";  // "§" in UTF-8

TEST(LanguageFileMatching, KeysCompareWithoutCaseAndWithoutTrimming) {
  const auto file = LanguageFile::FromBytes(
      "; comment line\r\n"
      "FormOpzioni.BtnOk.Caption=Ok\r\n"
      "formopzioni.btnok.caption=second\r\n"
      "FormOpzioni.BtnCancel.Caption =Blank before equals\r\n"
      "FormOpzioni.Empty.Caption=\r\n"
      "FormOpzioni.Eq.Hint=a=b\r\n"
      "no equals sign here\r\n"
      "*MSG_RECBUSY=Recording...\r\n");
  struct Case {
    const char* key;
    std::optional<std::string> value;
  } cases[] = {
      {"FormOpzioni.BtnOk.Caption", "Ok"},              // first of two lines wins
      {"FORMOPZIONI.BTNOK.CAPTION", "Ok"},              // any case
      {"FormOpzioni.BtnCancel.Caption", std::nullopt},  // blank before "=" is part of the key
      {"FormOpzioni.BtnCancel.Caption ", "Blank before equals"},
      {"FormOpzioni.Empty.Caption", ""},
      {"FormOpzioni.Eq.Hint", "a=b"},  // value is everything after the first "="
      {"no equals sign here", std::nullopt},
      {"MSG_RECBUSY", std::nullopt},  // message lines keep their "*" here
      {"*MSG_RECBUSY", "Recording..."},
  };
  for (const auto& c : cases) EXPECT_EQ(file.Find(c.key), c.value) << c.key;
}

TEST(LanguageFileMatching, EmptyValueKeepsTheCurrentText) {
  const auto file = LanguageFile::FromBytes("F.C.Caption=\nF.C.Hint=Suggerimento\n");
  EXPECT_EQ(file.ComponentText("F", "C", "Caption", "Current"), "Current");
  EXPECT_EQ(file.ComponentText("F", "C", "Hint", "Current"), "Suggerimento");
  EXPECT_EQ(file.ComponentText("F", "Missing", "Hint", "Current"), "Current");
  EXPECT_EQ(LanguageFile::ComponentKey("FormVombrel", "ListView1.Col_0", "Caption"),
            "FormVombrel.ListView1.Col_0.Caption");
}

TEST(LanguageFileMatching, LineEndsAndEncodings) {
  // CR, LF and CR LF all end lines; a Windows-1252 line (0xA7 = "§", 0xE8 = "è") and a
  // UTF-8 line live in the same file.
  const auto file = LanguageFile::FromBytes(
      "A.B.Caption=uno\rA.B.Hint=due\nA.C.Items=Uno\xA7"
      "Due\r\n"
      "A.D.Caption=Verr\xE8\r\nA.E.Caption=Verr\xC3\xA8 "
      "\xC2\xA7x");
  EXPECT_EQ(file.Find("A.B.Caption"), "uno");
  EXPECT_EQ(file.Find("A.B.Hint"), "due");
  EXPECT_EQ(file.Find("A.C.Items"), "Uno" + kSection + "Due");
  EXPECT_EQ(file.Find("A.D.Caption"), "Verr\xC3\xA8");
  EXPECT_EQ(file.Find("A.E.Caption"), "Verr\xC3\xA8 " + kSection + "x");
  EXPECT_EQ(file.Lines().size(), 5u);
}

TEST(LanguageFileMatching, MessageLinesLoseTheirStar) {
  const auto file = LanguageFile::FromBytes("*A=1\nB=2\n**C=3\n*\n");
  EXPECT_EQ(file.MessageLines(), (StringList{"A=1", "*C=3", ""}));
}

TEST(SectionRules, ItemsLinesAndLabels) {
  const std::string s = kSection;
  EXPECT_EQ(SplitLanguageItems("Uno" + s + "Due" + s), (StringList{"Uno", "Due"}));
  EXPECT_EQ(SplitLanguageItems("Uno" + s + s + "Tre"), (StringList{"Uno", "", "Tre"}));
  EXPECT_EQ(SplitLanguageItems(" a " + s + " b "), (StringList{" a ", " b "}));
  EXPECT_EQ(SplitLanguageItems(""), StringList{});
  EXPECT_EQ(SplitLanguageLines("  a " + s + "  b  "), (StringList{"  a ", "b"}));
  EXPECT_EQ(SplitLanguageLines(s), (StringList{""}));
  EXPECT_EQ(LabelCaptionText("Prima riga" + s + "Seconda riga"), "Prima riga\nSeconda riga");
  EXPECT_EQ(LabelCaptionText("a" + s + s + "b" + s, "\r\n"), "a\r\n\r\nb\r\n");
  EXPECT_EQ(LabelCaptionText("no break"), "no break");
}

// The message table, the English fallback and the error box, over a real program folder.
class MessageTable : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-language-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "Langs");
    SetAppDirForTesting(root_.string());
    FreeMessages();
  }
  void TearDown() override {
    FreeMessages();
    SetAppDirForTesting(std::nullopt);
    fs::remove_all(root_);
  }
  void WriteLanguage(const std::string& name, const std::string& bytes) {
    std::ofstream(root_ / "Langs" / (name + ".lng"), std::ios::binary) << bytes;
  }
  fs::path root_;
  RecordingReporter reporter_;
  ScopedReporter scoped_{&reporter_};
};

TEST_F(MessageTable, TranslateGivesTheDefaultWithoutAUsableValue) {
  EXPECT_EQ(Translate("MSG_RECBUSY", "Registrazione in corso..."), "Registrazione in corso...");
  WriteLanguage("Empty", "");
  LoadMessages(LanguageFilePath("Empty"));
  EXPECT_EQ(Translate("MSG_RECBUSY", "Registrazione in corso..."), "Registrazione in corso...");
  WriteLanguage("Blank", "*MSG_RECBUSY=\r\n*msg_recbusy=later line loses\r\n");
  LoadMessages(LanguageFilePath("Blank"));
  EXPECT_EQ(Translate("MSG_RECBUSY", "Registrazione in corso..."), "Registrazione in corso...");
  EXPECT_TRUE(reporter_.messages.empty());
}

TEST_F(MessageTable, OnlyStarLinesEnterTheTable) {
  WriteLanguage("English", "MSG_A=component line\r\n*MSG_B=Message B\r\n*msg_a=Message A\r\n");
  LoadMessages(LanguageFilePath("English"));
  EXPECT_EQ(Translate("MSG_A", "a"), "Message A");
  EXPECT_EQ(Translate("msg_b", "b"), "Message B");
  FreeMessages();
  EXPECT_EQ(Translate("MSG_B", "b"), "b");
}

TEST_F(MessageTable, MissingFileFallsBackToEnglish) {
  WriteLanguage("English", "*MSG_RECBUSY=Recording...\r\n");
  LoadMessages(LanguageFilePath("Deutsch"));
  EXPECT_EQ(Translate("MSG_RECBUSY", "x"), "Recording...");
  EXPECT_TRUE(reporter_.messages.empty());
}

TEST_F(MessageTable, NoFileAtAllShowsOneErrorAndEmptiesTheTable) {
  WriteLanguage("Italiano", "*MSG_RECBUSY=old\r\n");
  LoadMessages(LanguageFilePath("Italiano"));
  ASSERT_EQ(Translate("MSG_RECBUSY", "x"), "old");
  LoadMessages(LanguageFilePath("Deutsch"));
  EXPECT_EQ(Translate("MSG_RECBUSY", "x"), "x");
  ASSERT_EQ(reporter_.messages.size(), 1u);
  EXPECT_EQ(reporter_.messages[0].text, "Language file not found.\nUsing default language.");
  EXPECT_EQ(reporter_.messages[0].caption, "Error!");
  EXPECT_EQ(reporter_.messages[0].flags, unsigned(MB_ICONERROR | MB_OK));
}

TEST_F(MessageTable, TranslatedErrorUsesBothKeys) {
  WriteLanguage("English", "*TTL_ERRORE=Error\r\n");
  LoadMessages(LanguageFilePath("English"));
  EXPECT_EQ(
      ShowTranslatedError("MSG_CANT_LOAD_PLAYER", "Impossibile caricare il modulo del player", "TTL_ERRORE", "Errore"),
      IDOK);
  ASSERT_EQ(reporter_.messages.size(), 1u);
  EXPECT_EQ(reporter_.messages[0].text, "Impossibile caricare il modulo del player");
  EXPECT_EQ(reporter_.messages[0].caption, "Error");
}

TEST_F(MessageTable, CurrentLanguageIsHeldAsSet) {
  SetCurrentLanguage("");
  EXPECT_EQ(CurrentLanguage(), "");
  SetCurrentLanguage("Deutsch");
  EXPECT_EQ(CurrentLanguage(), "Deutsch");
  EXPECT_EQ(LanguageFilePath(CurrentLanguage()), root_.string() + "/Langs/Deutsch.lng");
  SetCurrentLanguage("");
}

TEST_F(MessageTable, ListedNamesOpenTheListedFile) {
  // The listing matches "*.lng" without regard to case; the name it gives must open the
  // very file it listed.
  std::ofstream(root_ / "Langs" / "Deutsch.LNG", std::ios::binary) << "*MSG=deutsch\r\n";
  std::ofstream(root_ / "Langs" / "Francais.Lng", std::ios::binary) << "*MSG=francais\r\n";
  WriteLanguage("English", "*MSG=english\r\n");
  struct Case {
    const char* name;
    const char* file;
    const char* message;
  };
  const Case cases[] = {
      {"Deutsch", "Deutsch.LNG", "deutsch"},
      {"Francais", "Francais.Lng", "francais"},
      {"English", "English.lng", "english"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LanguageFilePath(c.name), (root_ / "Langs" / c.file).string());
    LoadMessages(LanguageFilePath(c.name));
    EXPECT_EQ(Translate("MSG", "x"), c.message);
  }
  StringList listed;
  for (const std::string& path : ListFiles(AppSubDir("Langs") + "*.lng")) listed.push_back(FileBaseName(path));
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (StringList{"Deutsch", "English", "Francais"}));
  EXPECT_TRUE(reporter_.messages.empty());
}

TEST_F(MessageTable, SpecialFilesCountAsMissing) {
  WriteLanguage("English", "*MSG=english\r\n");
  ASSERT_EQ(mkfifo((root_ / "Langs" / "Pipe.lng").c_str(), 0666), 0);
  fs::create_symlink("/dev/zero", root_ / "Langs" / "Zero.lng");
  for (const char* name : {"Pipe", "Zero"}) {
    SCOPED_TRACE(name);
    LoadMessages(LanguageFilePath(name));  // neither blocks nor reads for ever
    EXPECT_EQ(Translate("MSG", "x"), "english");
  }
}

TEST_F(MessageTable, UnreadableFileCountsAsMissing) {
  if (geteuid() == 0) {
    // Root reads any file: make the path a folder instead, which cannot be read as a file.
    fs::create_directories(root_ / "Langs" / "Locked.lng");
  } else {
    WriteLanguage("Locked", "*MSG=locked\r\n");
    chmod((root_ / "Langs" / "Locked.lng").c_str(), 0);
  }
  WriteLanguage("English", "*MSG=english\r\n");
  LoadMessages(LanguageFilePath("Locked"));
  EXPECT_EQ(Translate("MSG", "x"), "english");
}

}  // namespace
