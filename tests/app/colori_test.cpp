// The colour scheme editor and its naming dialog, offscreen: random schemes with a
// scripted random source, the colour fields, the preview's repaint table and clicks, the
// scheme list, both file writers byte for byte, and the failures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMetaProperty>
#include <QPointer>
#include <QSignalBlocker>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>

#include "Privateconfighome.h"
#include "app/Colori.h"
#include "app/Nomecombinazione.h"
#include "support/Configurazione.h"
#include "support/Inifile.h"
#include "support/Supportaspetto.h"
#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "support/Supportmsg.h"
#include "toolkit/Colorscheme.h"
#include "toolkit/Components.h"

namespace fs = std::filesystem;

namespace vombrel {
namespace {

std::string ReadAll(const fs::path& path) { return ReadFileBytes(path.string()).value_or(""); }

void WriteAll(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

QColor Q(TColor color) { return ColorToQColor(color); }

constexpr TColor kGrey40 = MakeRgb(40, 40, 40);

// A random source that answers from a script and records what was asked.
struct ScriptedRandom {
  std::deque<int32_t> answers;
  std::vector<int32_t> asked;
  RandomBelowSource Source() {
    return [this](int32_t n) {
      asked.push_back(n);
      if (answers.empty()) return n > 0 ? n - 1 : 0;
      const int32_t answer = answers.front();
      answers.pop_front();
      return answer;
    };
  }
};

// The guided example: base (40, 40, 40), a = 10, b = 45, c = 20, and the two dark flags.
struct GuidedCase {
  bool dark1, dark2;
  TColor face, buttonFocus, textFont;
};

SchemeColors GuidedExpectation(const GuidedCase& c) {
  SchemeColors expected{};
  expected[crFace] = c.face;
  expected[crBorder] = MakeRgb(0, 0, 0);
  expected[crButtonFace] = kGrey40;
  expected[crButtonFocus] = c.buttonFocus;
  expected[crButtonBorder] = MakeRgb(0, 0, 0);
  expected[crScroll] = kGrey40;
  expected[crThumb] = MakeRgb(0, 0, 0);
  expected[crTitle] = MakeRgb(0, 0, 0);
  expected[crTextFont] = c.textFont;
  expected[crTitleFont] = MakeRgb(85, 85, 85);
  expected[crTextBox] = kGrey40;
  return expected;
}

const std::vector<GuidedCase> kGuidedCases{
    {false, false, MakeRgb(50, 50, 50), MakeRgb(60, 60, 60), MakeRgb(85, 85, 85)},
    {true, false, MakeRgb(30, 30, 30), MakeRgb(60, 60, 60), MakeRgb(0, 0, 0)},
    {false, true, MakeRgb(50, 50, 50), MakeRgb(20, 20, 20), MakeRgb(85, 85, 85)},
    {true, true, MakeRgb(30, 30, 30), MakeRgb(20, 20, 20), MakeRgb(0, 0, 0)},
};

// The draws that give the example: RandomBelow(2) answering 0 sets a dark flag.
std::deque<int32_t> GuidedAnswers(const GuidedCase& c) { return {kGrey40, 0, 25, 0, c.dark1 ? 0 : 1, c.dark2 ? 0 : 1}; }

TEST(RandomSchemes, GuidedExampleAndItsDarkVariants) {
  for (const GuidedCase& c : kGuidedCases) {
    SCOPED_TRACE(::testing::Message() << "dark1 " << c.dark1 << " dark2 " << c.dark2);
    ScriptedRandom random{GuidedAnswers(c), {}};
    const GuidedDraws draws = DrawGuidedScheme(random.Source());
    EXPECT_EQ(random.asked, (std::vector<int32_t>{16777215, 30, 30, 20, 2, 2}));
    EXPECT_EQ(draws.base, kGrey40);
    EXPECT_EQ(draws.a, 10);
    EXPECT_EQ(draws.b, 45);
    EXPECT_EQ(draws.c, 20);
    EXPECT_EQ(draws.dark1, c.dark1);
    EXPECT_EQ(draws.dark2, c.dark2);
    EXPECT_EQ(MakeGuidedScheme(draws), GuidedExpectation(c));
  }
}

TEST(RandomSchemes, DrawsStayInTheirRanges) {
  ScriptedRandom lowest{{0, 0, 0, 0, 0, 0}, {}};
  const GuidedDraws low = DrawGuidedScheme(lowest.Source());
  EXPECT_EQ((std::vector<int>{low.a, low.b, low.c}), (std::vector<int>{10, 20, 20}));
  ScriptedRandom highest{{16777214, 29, 29, 19, 1, 1}, {}};
  const GuidedDraws high = DrawGuidedScheme(highest.Source());
  EXPECT_EQ((std::vector<int>{high.a, high.b, high.c}), (std::vector<int>{39, 78, 39}));
  EXPECT_FALSE(high.dark1);
  for (int i = 0; i < 2000; ++i) {
    const int32_t r = RandomBelow(3);
    ASSERT_TRUE(r >= 0 && r < 3) << r;
  }
  EXPECT_EQ(RandomBelow(0), 0);
  EXPECT_EQ(RandomBelow(1), 0);
  ScriptedRandom full;
  const SchemeColors colors = MakeFullRandomScheme(full.Source());
  EXPECT_EQ(full.asked, std::vector<int32_t>(kColorRoleCount, 16777215));
  for (TColor color : colors) EXPECT_EQ(color, 16777214);
}

TEST(SchemeNames, OnlyNamesThatStayInTheFolder) {
  for (const char* name : {"", "Blu", "..", ".hidden", "a b", "à è", "a\\b"})
    EXPECT_TRUE(IsSchemeNameInsideFolder(name)) << name;
  for (const char* name : {"../x", "a/b", "/", "/etc/passwd"}) EXPECT_FALSE(IsSchemeNameInsideFolder(name)) << name;
  EXPECT_FALSE(IsSchemeNameInsideFolder(std::string_view("a\0b", 3)));
}

// ---------------------------------------------------------------------------------------
// The editor window.

class Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::MakePrivateConfigHome("colori");
    InitSharedConfig("Kelvatro/Vombrel");
    SetCurrentLanguage("");
    WorkingColors() = SchemeColors{};
    main_ = std::make_unique<QWidget>();
    mainButton_ = new TFlatButton(main_.get());
    mainButton_->setObjectName("ButtonPlay");
  }
  void TearDown() override {
    delete editor_.data();
    main_.reset();
    FreeMessages();
    FreeSharedConfig();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path UserFolder() const { return fs::path(UserDir()); }
  fs::path ColorsFolder() const { return fs::path(UserSubDir("Colors")); }

  TFormColori& Open() {
    editor_ = new TFormColori(main_.get());
    editor_->show();
    QCoreApplication::processEvents();
    return *editor_;
  }

  // Sets the three fields without running the change handler.
  void SetFieldsQuietly(TFormColori& e, const QString& red, const QString& green, const QString& blue) {
    const QSignalBlocker r(e.EditRed), g(e.EditGreen), b(e.EditBlue);
    e.EditRed->setText(red);
    e.EditGreen->setText(green);
    e.EditBlue->setText(blue);
  }

  static SchemeColors Numbered() {
    SchemeColors colors{};
    for (int role = 0; role < kColorRoleCount; ++role)
      colors[static_cast<std::size_t>(role)] = MakeRgb(10 + role, 100 + role, 200 + role);
    return colors;
  }

  fs::path root_;
  std::unique_ptr<QWidget> main_;
  TFlatButton* mainButton_ = nullptr;
  QPointer<TFormColori> editor_;
};

TEST_F(Editor, CreationListsSchemesAndSelectsTheFirstRole) {
  fs::create_directories(ColorsFolder());
  for (const char* name : {"Blu.clr", ".clr", "Rosso.CLR", "notes.txt", "a.b.clr"}) WriteAll(ColorsFolder() / name, "");
  TFormColori& e = Open();
  EXPECT_EQ(e.windowTitle(), "Colori");
  EXPECT_EQ(e.objectName(), "FormColori");
  QStringList listed;
  for (int i = 1; i < e.ListaCombinazioni->count(); ++i) listed << e.ListaCombinazioni->itemText(i);
  listed.sort();
  EXPECT_EQ(e.ListaCombinazioni->itemText(0), "<<Attuale>>");
  EXPECT_EQ(listed, (QStringList{"", "Blu", "Rosso", "a.b"}));
  EXPECT_EQ(e.ListaCombinazioni->currentIndex(), 0);
  EXPECT_EQ(e.ListaComponenti->currentIndex(), 0);
  ASSERT_EQ(e.ListaComponenti->count(), kColorRoleCount);
  for (int role = 0; role < kColorRoleCount; ++role)
    EXPECT_EQ(e.ListaComponenti->itemText(role).toStdString(), ColorRoleLabel(role));
  EXPECT_TRUE(e.PopFullRandom->isChecked());
  EXPECT_FALSE(e.PopGuidedRandom->isChecked());
  EXPECT_EQ(e.BtnAutoColor->Hint(), "Generazione casuale tema");
  EXPECT_EQ(e.ButtonSceltaColore->Hint(), "Mostra la palette dei colori");
  EXPECT_EQ(e.ButtonConferma->Hint(), "Applica le modifiche alla combinazione predefinita");
  EXPECT_EQ(e.ButtonAnnulla->Hint(), "Annulla le modifiche apportate");
  EXPECT_EQ(e.ButtonSalva->Hint(), "Permette di salvare la combinazione");
}

TEST_F(Editor, CurrentSchemeIsLoadedAndShownInTheFields) {
  const SchemeColors colors = Numbered();
  ASSERT_TRUE(WriteSchemeFile(CurrentSchemePath(), colors, SchemeFileOrder::Current));
  TFormColori& e = Open();
  EXPECT_EQ(WorkingColors(), colors);
  EXPECT_EQ(e.EditRed->text(), "10");
  EXPECT_EQ(e.EditGreen->text(), "100");
  EXPECT_EQ(e.EditBlue->text(), "200");
  EXPECT_EQ(e.Pannello->Color(), Q(colors[crFace]));
  EXPECT_EQ(e.Titlebar->Color(), Q(colors[crTitle]));
  EXPECT_EQ(e.PannelloInfo->Color(), Q(colors[crTextBox]));
  EXPECT_EQ(e.ThumbFinto->Color(), Q(colors[crThumb]));
  EXPECT_EQ(e.PosizioneFinto->Color(), Q(colors[crScroll]));
  // Tag 2 keeps the designed look.
  EXPECT_NE(e.PannelloAnteprima->Color(), Q(colors[crFace]));
  e.ListaComponenti->setCurrentIndex(crTextFont);
  e.ListaComponentiChange();
  EXPECT_EQ(e.EditRed->text(), "18");
  EXPECT_EQ(e.EditBlue->text(), "208");
}

// Without a scheme in force the editor starts from the built-in colours it shows, not from
// the all-black start-up set, so confirming at once keeps the look the user sees.
TEST_F(Editor, WithoutASchemeInForceTheEditorStartsFromTheBuiltInColours) {
  TFormColori& e = Open();
  for (int role = 0; role < kColorRoleCount; ++role)
    EXPECT_EQ(WorkingColors()[static_cast<std::size_t>(role)], ColorToRGB(DefaultRoleColor(role))) << role;
  EXPECT_EQ(e.Pannello->Color(), ColorToQColor(DefaultRoleColor(crFace)));
  const TColor face = ColorToRGB(DefaultRoleColor(crFace));
  EXPECT_EQ(e.EditRed->text().toInt(), RedOf(face));
}

TEST_F(Editor, RedAbove255CarriesIntoGreen) {
  TFormColori& e = Open();
  SetFieldsQuietly(e, "0", "0", "0");
  e.EditRed->setText("256");
  EXPECT_EQ(WorkingColors()[crFace], MakeRgb(0, 1, 0));
  EXPECT_EQ(e.Pannello->Color(), QColor(0, 1, 0));
  // Red, green and blue as typed.
  e.EditGreen->setText("2");
  e.EditRed->setText("7");
  e.EditBlue->setText("255");
  EXPECT_EQ(WorkingColors()[crFace], MakeRgb(7, 2, 255));
}

TEST_F(Editor, BadFieldTextNamesTheFirstBadFieldAndKeepsTheColour) {
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  TFormColori& e = Open();
  SetFieldsQuietly(e, "1", "2", "3");
  e.EditRed->setText("4");
  const TColor kept = WorkingColors()[crFace];
  ASSERT_EQ(kept, MakeRgb(4, 2, 3));
  struct Case {
    QString red, green, blue;
    std::string named;
  };
  const std::vector<Case> cases{
      {"abc", "2", "3", "abc"},   {"", "2", "3", ""},
      {"1", " 2 ", "3", " 2 "},   {"1", "2", "99999999999", "99999999999"},
      {"r!", "g!", "4", "g!"},    {"r!", "g!", "b!", "b!"},
      {"1", "0x1G", "3", "0x1G"}, {"1e3", "2", "3", "1e3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    reporter.messages.clear();
    SetFieldsQuietly(e, c.red, c.green, c.blue);
    e.EditRedChange();
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, "'" + c.named + "' is not a valid integer value");
    EXPECT_EQ(reporter.messages[0].flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(WorkingColors()[crFace], kept);
  }
  // "-1" is an integer: the 32-bit sum takes it as it comes, and the written file holds
  // the colour the screen shows.
  reporter.messages.clear();
  SetFieldsQuietly(e, "-1", "0", "0");
  e.EditRedChange();
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_EQ(static_cast<uint32_t>(WorkingColors()[crFace]), 0xFFFFFFFFu);
  EXPECT_EQ(ColorToRGB(WorkingColors()[crFace]), MakeRgb(255, 255, 255));
  // Hexadecimal and blanks before the digits are integers too.
  SetFieldsQuietly(e, "$10", "  0x20", "x30");
  e.EditRedChange();
  EXPECT_EQ(WorkingColors()[crFace], MakeRgb(16, 32, 48));
}

TEST_F(Editor, SelectingARoleResolvesItsColourThroughTheFields) {
  TFormColori& e = Open();
  WorkingColors()[crBorder] = SystemColor(COLOR_BTNSHADOW);
  e.ListaComponenti->setCurrentIndex(crBorder);
  e.ListaComponentiChange();
  const TColor rgb = ColorToRGB(SystemColor(COLOR_BTNSHADOW));
  EXPECT_EQ(e.EditRed->text().toInt(), RedOf(rgb));
  EXPECT_EQ(e.EditGreen->text().toInt(), GreenOf(rgb));
  EXPECT_EQ(e.EditBlue->text().toInt(), BlueOf(rgb));
  EXPECT_EQ(WorkingColors()[crBorder], rgb);
}

// Every colour attribute of every preview part, to see which ones a repaint changed.
std::map<std::string, QColor> PreviewAttributes(const TFormColori& e) {
  std::map<std::string, QColor> attributes;
  for (QObject* part : OwnedComponents(e.PannelloAnteprima)) {
    const QMetaObject* meta = part->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
      const QMetaProperty property = meta->property(i);
      if (property.metaType().id() != QMetaType::QColor) continue;
      attributes[part->objectName().toStdString() + "." + property.name()] = property.read(part).value<QColor>();
    }
  }
  return attributes;
}

TEST_F(Editor, SetRoleColorRepaintsExactlyThePartsOfTheRole) {
  const std::vector<std::string> buttons{"ButtonPlay",  "ButtonPrev", "ButtonNext",
                                         "ButtonPause", "ButtonStop", "ButtonSplash"};
  auto onButtons = [&](std::vector<std::string> attributes) {
    std::vector<std::string> all;
    for (const auto& b : buttons)
      for (const auto& a : attributes) all.push_back(b + "." + a);
    return all;
  };
  const std::map<int, std::vector<std::string>> table{
      {crFace, {"Pannello.Color", "PannelloPulsanti.Color", "PannelloScorrimento.Color"}},
      {crBorder,
       {"PannelloFlat.ColorShadow", "PannelloFlat.ColorHighLight", "PannelloInfo.ColorShadow",
        "PannelloInfo.ColorHighLight"}},
      {crButtonFace, onButtons({"Color"})},
      {crButtonFocus, onButtons({"ColorFocused"})},
      {crButtonBorder, onButtons({"ColorBorder", "ColorHighLight", "ColorShadow"})},
      {crScroll, {"PosizioneFinto.Color"}},
      {crThumb, {"ThumbFinto.Color"}},
      {crTitle, {"Titlebar.Color"}},
      {crTextFont, {"Tempo.FontColor", "Durata.FontColor", "SeparatoreTempo.FontColor", "LabelRiproduzione.FontColor"}},
      {crTitleFont, {"Titlebar.FontColor"}},
      {crTextBox, {"PannelloInfo.Color"}},
  };
  TFormColori& e = Open();
  for (const auto& [role, parts] : table) {
    SCOPED_TRACE(role);
    const TColor color = MakeRgb(1 + role, 201 - role, 77 + 3 * role);
    const auto before = PreviewAttributes(e);
    e.SetRoleColor(role, color);
    EXPECT_EQ(WorkingColors()[static_cast<std::size_t>(role)], color);
    const auto after = PreviewAttributes(e);
    std::vector<std::string> changed;
    for (const auto& [name, value] : after) {
      if (value != before.at(name)) changed.push_back(name);
    }
    std::vector<std::string> expected = parts;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(changed, expected);
    for (const std::string& name : parts) EXPECT_EQ(after.at(name), Q(color)) << name;
  }
}

TEST_F(Editor, PreviewClicksPickTheirRoles) {
  TFormColori& e = Open();
  const std::vector<std::pair<QWidget*, int>> clicks{
      {e.Titlebar, crTitle},           {e.Pannello, crFace},         {e.ButtonPlay, crButtonFace},
      {e.PannelloScorrimento, crFace}, {e.PosizioneFinto, crScroll}, {e.ButtonSplash, crButtonFace},
      {e.ThumbFinto, crThumb},         {e.PannelloPulsanti, crFace}, {e.PannelloInfo, crTextBox},
      {e.ButtonStop, crButtonFace},    {e.Tempo, crTextBox},         {e.LabelRiproduzione, crTextBox},
  };
  for (const auto& [part, role] : clicks) {
    SCOPED_TRACE(part->objectName().toStdString());
    e.ListaComponenti->setCurrentIndex(crTitleFont);
    // A corner of the part: away from any part inside it.
    const QPoint corner = part == e.PosizioneFinto ? QPoint(2, 2) : QPoint(2, part->height() - 2);
    QTest::mouseClick(part, Qt::LeftButton, {}, corner);
    EXPECT_EQ(e.ListaComponenti->currentIndex(), role);
  }
  // The fields follow the picked role.
  e.SetRoleColor(crThumb, MakeRgb(9, 8, 7));
  QTest::mouseClick(e.ThumbFinto, Qt::LeftButton);
  EXPECT_EQ(e.EditRed->text(), "9");
  EXPECT_EQ(e.EditBlue->text(), "7");
}

TEST_F(Editor, RandomMenuIsOneRadioGroupThatCanBeCleared) {
  TFormColori& e = Open();
  ScriptedRandom random;
  e.SetRandomSource(random.Source());
  e.BtnAutoColorClick();
  EXPECT_EQ(random.asked, std::vector<int32_t>(kColorRoleCount, 16777215));

  e.PopRandomClick(e.PopGuidedRandom);
  EXPECT_TRUE(e.PopGuidedRandom->isChecked());
  EXPECT_FALSE(e.PopFullRandom->isChecked());
  random.asked.clear();
  random.answers = GuidedAnswers(kGuidedCases[1]);
  const QString redBefore = e.EditRed->text();
  e.BtnAutoColorClick();
  EXPECT_EQ(random.asked, (std::vector<int32_t>{16777215, 30, 30, 20, 2, 2}));
  EXPECT_EQ(WorkingColors(), GuidedExpectation(kGuidedCases[1]));
  EXPECT_EQ(e.Pannello->Color(), QColor(30, 30, 30));
  EXPECT_EQ(e.Tempo->FontColor(), QColor(0, 0, 0));
  EXPECT_EQ(e.EditRed->text(), redBefore);  // the fields are not refreshed

  e.PopRandomClick(e.PopGuidedRandom);  // clearing the marked item leaves both clear
  EXPECT_FALSE(e.PopGuidedRandom->isChecked());
  EXPECT_FALSE(e.PopFullRandom->isChecked());
  random.asked.clear();
  e.BtnAutoColorClick();
  EXPECT_EQ(random.asked, std::vector<int32_t>(kColorRoleCount, 16777215));

  e.PopRandomClick(e.PopFullRandom);
  EXPECT_TRUE(e.PopFullRandom->isChecked());
  e.PopRandomClick(e.PopGuidedRandom);
  EXPECT_TRUE(e.PopGuidedRandom->isChecked());
  EXPECT_FALSE(e.PopFullRandom->isChecked());
  // The menu holds exactly the two items.
  ASSERT_EQ(e.RandomMenu()->actions().size(), 2);
  EXPECT_EQ(e.RandomMenu()->actions()[0]->text(), "Schema completamente casuale");
  EXPECT_EQ(e.RandomMenu()->actions()[1]->text(), "Schema colori guidato");
}

TEST_F(Editor, ColourDialogStartsBlackThenAtItsLastAnswer) {
  TFormColori& e = Open();
  std::vector<QColor> offered;
  std::optional<QColor> answer = QColor(12, 34, 56);
  e.SetColorChooserForTesting([&](const QColor& start) {
    offered.push_back(start);
    return answer;
  });
  e.ListaComponenti->setCurrentIndex(crScroll);
  e.ButtonSceltaColoreClick();
  EXPECT_EQ(WorkingColors()[crScroll], MakeRgb(12, 34, 56));
  EXPECT_EQ(e.EditGreen->text(), "34");
  EXPECT_EQ(e.PosizioneFinto->Color(), QColor(12, 34, 56));
  answer.reset();  // cancelled: nothing changes
  e.ButtonSceltaColoreClick();
  EXPECT_EQ(WorkingColors()[crScroll], MakeRgb(12, 34, 56));
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[0], QColor(Qt::black));
  EXPECT_EQ(offered[1], QColor(12, 34, 56));
}

TEST_F(Editor, StoredSchemesLoadAndBadOnesChangeNothing) {
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  fs::create_directories(ColorsFolder());
  const SchemeColors stored = Numbered();
  ASSERT_TRUE(WriteSchemeFile((ColorsFolder() / "Buono.clr").string(), stored, SchemeFileOrder::Named));
  std::string missingKey = FormatSchemeFile(stored, SchemeFileOrder::Named);
  missingKey.erase(missingKey.find("Thumb="),
                   missingKey.find("\r\n", missingKey.find("Thumb=")) + 2 - missingKey.find("Thumb="));
  WriteAll(ColorsFolder() / "SenzaChiave.clr", missingKey);
  WriteAll(ColorsFolder() / "Testo.clr", "Face=grigio\r\n");
  TFormColori& e = Open();
  auto select = [&](const QString& name) {
    e.ListaCombinazioni->setCurrentIndex(e.ListaCombinazioni->findText(name));
    e.ListaCombinazioniChange();
  };
  select("Buono");
  EXPECT_EQ(WorkingColors(), stored);
  EXPECT_EQ(e.Titlebar->Color(), Q(stored[crTitle]));
  for (const QString name : {"SenzaChiave", "Testo"}) {
    SCOPED_TRACE(name.toStdString());
    reporter.messages.clear();
    select(name);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text,
              "Combinazione di colori non disponibile o inesatta. Verrà utilizzata la combinazione precedente.");
    EXPECT_EQ(WorkingColors(), stored);
    EXPECT_EQ(e.Titlebar->Color(), Q(stored[crTitle]));
  }
}

std::string ExpectedFile(const SchemeColors& c, const std::vector<int>& order) {
  std::string text;
  for (int role : order)
    text += std::string(ColorRoleKey(role)) + "=" + std::to_string(c[static_cast<std::size_t>(role)]) + "\r\n";
  return text;
}

TEST_F(Editor, ConfermaWritesTheCurrentOrderAndRepaintsTheOpenWindows) {
  // Another open window of the program, painted from the scheme like every window.
  QWidget other;
  auto* otherPanel = new TFlatPanel(&other);
  otherPanel->setObjectName("FlatPanel1");
  other.show();
  QWidget hidden;
  auto* hiddenPanel = new TFlatPanel(&hidden);
  const QColor hiddenBefore = hiddenPanel->Color();

  TFormColori& e = Open();
  SchemeColors colors = Numbered();
  colors[crThumb] = SystemColor(COLOR_BTNFACE);  // resolved to red-green-blue when written
  for (int role = 0; role < kColorRoleCount; ++role) e.SetRoleColor(role, colors[static_cast<std::size_t>(role)]);
  e.ButtonConfermaClick();
  SchemeColors written = colors;
  written[crThumb] = ColorToRGB(SystemColor(COLOR_BTNFACE));
  EXPECT_EQ(ReadAll(CurrentSchemePath()), ExpectedFile(written, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(mainButton_->Color(), Q(written[crButtonFace]));
  EXPECT_EQ(otherPanel->Color(), Q(written[crFace]));
  EXPECT_EQ(hiddenPanel->Color(), hiddenBefore);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(editor_.isNull());  // closed and freed
}

TEST_F(Editor, AnnullaWritesNothingAndKeepsTheEdits) {
  ASSERT_TRUE(WriteSchemeFile(CurrentSchemePath(), Numbered(), SchemeFileOrder::Current));
  const std::string before = ReadAll(CurrentSchemePath());
  const QColor mainBefore = mainButton_->Color();
  TFormColori& e = Open();
  e.SetRoleColor(crTitle, MakeRgb(1, 2, 3));
  e.ButtonAnnullaClick();
  EXPECT_EQ(ReadAll(CurrentSchemePath()), before);
  EXPECT_EQ(WorkingColors()[crTitle], MakeRgb(1, 2, 3));
  EXPECT_EQ(mainButton_->Color(), mainBefore);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(editor_.isNull());
  EXPECT_FALSE(fs::exists(ColorsFolder()) && !fs::is_empty(ColorsFolder()));
}

TEST_F(Editor, UnwritableSchemeInForceKeepsTheWindowOpen) {
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  fs::create_directories(CurrentSchemePath());  // a folder where the file would go
  const QColor mainBefore = mainButton_->Color();
  TFormColori& e = Open();
  e.SetRoleColor(crButtonFace, MakeRgb(5, 6, 7));
  e.ButtonConfermaClick();
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text.rfind("Cannot create file \"" + CurrentSchemePath() + "\". ", 0), 0u)
      << reporter.messages[0].text;
  EXPECT_TRUE(e.isVisible());
  EXPECT_EQ(mainButton_->Color(), mainBefore);
  EXPECT_TRUE(fs::is_directory(CurrentSchemePath()));
  for (const auto& entry : fs::directory_iterator(UserFolder()))
    EXPECT_EQ(entry.path().filename().string().find("CurrentColor.clr."), std::string::npos) << entry.path();
}

// ---------------------------------------------------------------------------------------
// The naming dialog.

class Naming : public Editor {
 protected:
  TFormNomeCombinazione* Dialog(TFormColori& e) {
    e.ButtonSalvaClick();
    auto dialogs = e.findChildren<TFormNomeCombinazione*>();
    return dialogs.isEmpty() ? nullptr : dialogs.back();
  }
};

TEST_F(Naming, SavesTheNamedOrderAndReplacesWithoutAsking) {
  TFormColori& e = Open();
  SchemeColors colors = Numbered();
  colors[crTextBox] = SystemColor(COLOR_BTNTEXT);
  for (int role = 0; role < kColorRoleCount; ++role) e.SetRoleColor(role, colors[static_cast<std::size_t>(role)]);
  TFormNomeCombinazione* dialog = Dialog(e);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->windowTitle(), "Inserisci nome combinazione");
  EXPECT_EQ(dialog->ButtonConferma->Hint(), "Conferma l'inserimento della nuova combinazione");
  EXPECT_EQ(dialog->ButtonAnnulla->Hint(), "Annulla l'inserimento della nuova combinazione");
  WriteAll(ColorsFolder() / "Mio schema.clr", "old");
  dialog->EditNomeCombinazione->setText("Mio schema");
  QPointer<TFormNomeCombinazione> guard(dialog);
  dialog->ButtonConfermaClick();
  SchemeColors written = colors;
  written[crTextBox] = ColorToRGB(SystemColor(COLOR_BTNTEXT));
  EXPECT_EQ(ReadAll(ColorsFolder() / "Mio schema.clr"), ExpectedFile(written, {0, 1, 2, 4, 3, 5, 6, 8, 7, 9, 10}));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(guard.isNull());
  // The editor's list is not refreshed by a save.
  EXPECT_EQ(e.ListaCombinazioni->findText("Mio schema"), -1);
}

TEST_F(Naming, EmptyNameWritesDotClrAndTheNextEditorListsIt) {
  TFormColori& e = Open();
  TFormNomeCombinazione* dialog = Dialog(e);
  ASSERT_NE(dialog, nullptr);
  dialog->ButtonConfermaClick();
  EXPECT_TRUE(fs::exists(ColorsFolder() / ".clr"));
  e.close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  TFormColori& next = Open();
  ASSERT_EQ(next.ListaCombinazioni->count(), 2);
  EXPECT_EQ(next.ListaCombinazioni->itemText(1), "");
}

TEST_F(Naming, NamesLeavingTheFolderAndUnwritableFoldersAreRefused) {
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  TFormColori& e = Open();
  TFormNomeCombinazione* dialog = Dialog(e);
  ASSERT_NE(dialog, nullptr);
  for (const char* name : {"../fuori", "a/b", "/tmp/x"}) {
    SCOPED_TRACE(name);
    reporter.messages.clear();
    dialog->EditNomeCombinazione->setText(name);
    dialog->ButtonConfermaClick();
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, "Il nome della combinazione non può contenere il carattere \"/\".");
    EXPECT_TRUE(dialog->isVisible());
  }
  EXPECT_FALSE(fs::exists(UserFolder() / "fuori.clr"));
  // A name too long for the file system: its file-creation error, the dialog stays.
  reporter.messages.clear();
  dialog->EditNomeCombinazione->setText(QString(300, 'n'));
  dialog->ButtonConfermaClick();
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text.rfind("Cannot create file ", 0), 0u);
  EXPECT_TRUE(dialog->isVisible());
  // "Colors" that is a file, not a folder.
  fs::remove_all(ColorsFolder());
  WriteAll(UserFolder() / "Colors", "not a folder");
  reporter.messages.clear();
  dialog->EditNomeCombinazione->setText("x");
  dialog->ButtonConfermaClick();
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text.rfind("Cannot create file ", 0), 0u);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(ReadAll(UserFolder() / "Colors"), "not a folder");
}

TEST_F(Naming, OutlivesTheEditorThatOpenedIt) {
  TFormColori& e = Open();
  QPointer<TFormNomeCombinazione> dialog = Dialog(e);
  ASSERT_FALSE(dialog.isNull());
  e.ButtonAnnullaClick();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(editor_.isNull());
  ASSERT_FALSE(dialog.isNull());
  EXPECT_TRUE(dialog->isVisible());
  dialog->EditNomeCombinazione->setText("dopo");
  dialog->ButtonConfermaClick();
  EXPECT_TRUE(fs::exists(ColorsFolder() / "dopo.clr"));
}

TEST_F(Naming, BothWindowsRememberTheirPositions) {
  TFormColori& e = Open();
  e.move(123, 45);
  TFormNomeCombinazione* dialog = Dialog(e);
  ASSERT_NE(dialog, nullptr);
  dialog->move(210, 220);
  dialog->ButtonAnnullaClick();
  e.reject();  // Esc: no close event reaches the window
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  const IniFile file(UserConfig().IniFileName());
  const std::string editorPlace = file.Read("FormColori", "NormPos").value_or("");
  const std::string namingPlace = file.Read("FormNomeCombinazione", "NormPos").value_or("");
  EXPECT_EQ(editorPlace.rfind("123,45,", 0), 0u) << editorPlace << "\n" << ReadAll(UserConfig().IniFileName());
  EXPECT_EQ(namingPlace.rfind("210,220,", 0), 0u) << namingPlace;
  TFormColori& again = Open();
  EXPECT_EQ(again.pos(), QPoint(123, 45));
}

// ---------------------------------------------------------------------------------------
// Languages.

TEST_F(Editor, LanguageFilesCarryEveryTextOfBothWindows) {
  for (const char* language : {"English", "Italiano"}) {
    SCOPED_TRACE(language);
    const auto file = LanguageFile::Load(LanguageFilePath(language));
    ASSERT_TRUE(file);
    TFormColori editor(main_.get());
    TFormNomeCombinazione naming(&editor);
    for (QWidget* window : std::initializer_list<QWidget*>{&editor, &naming}) {
      const std::string form = window->objectName().toStdString();
      EXPECT_TRUE(file->Find(LanguageFile::ComponentKey(form, form, "Caption")).has_value()) << form;
      for (QObject* component : OwnedComponents(window)) {
        const std::string name = component->objectName().toStdString();
        if (name.empty() || name == "Titlebar" || name == "Tempo" || name == "Durata" || name == "SeparatoreTempo" ||
            name == "ButtonSplash")
          continue;  // the preview's fixed texts
        for (const char* property : {"Caption", "Hint"}) {
          const QVariant value = component->property(property);
          if (!value.isValid() || value.toString().isEmpty()) continue;
          EXPECT_TRUE(file->Find(LanguageFile::ComponentKey(form, name, property)).has_value())
              << form << "." << name << "." << property;
        }
      }
    }
    EXPECT_TRUE(file->Find(LanguageFile::ComponentKey("FormColori", "ListaComponenti", "Items")).has_value());
    EXPECT_TRUE(file->Find(LanguageFile::ComponentKey("FormVombrel", "PopupCambiaColori", "Caption")).has_value());
    EXPECT_TRUE(file->Find(LanguageFile::ComponentKey("FormVombrel", "PopupCambiaColori", "Hint")).has_value());
    EXPECT_FALSE(file->Text("*MSG_WRONGSCHEMENAME", "").empty());
  }
}

TEST_F(Editor, TranslatedRoleListKeepsTheSelectedRole) {
  SetCurrentLanguage("English");
  TFormColori& e = Open();
  EXPECT_EQ(e.windowTitle(), "Colours");
  EXPECT_EQ(e.ListaComponenti->count(), kColorRoleCount);
  EXPECT_EQ(e.ListaComponenti->currentIndex(), crFace);
  EXPECT_EQ(e.ListaComponenti->itemText(crTextBox), "Text panel");
  EXPECT_EQ(e.ButtonConferma->Caption(), "Confirm");
  e.ListaComponenti->setCurrentIndex(crTitle);
  e.ListaComponentiChange();
  e.EditRed->setText("77");
  EXPECT_EQ(RedOf(WorkingColors()[crTitle]), 77);
  TFormNomeCombinazione* naming = new TFormNomeCombinazione(&e);
  naming->show();
  EXPECT_EQ(naming->windowTitle(), "Enter the scheme name");
  EXPECT_EQ(naming->LabelNome->Caption(), "Scheme name");
  naming->close();
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
