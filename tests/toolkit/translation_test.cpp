// Translating windows: each class kind, the "§" rules, first-match and case rules,
// list-view columns, and what stays untouched.
#include <gtest/gtest.h>

#include <QWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "support/Supportfiles.h"
#include "support/Supportmsg.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Flatscrollbar.h"
#include "toolkit/Menuitems.h"
#include "toolkit/Translation.h"

class TDerivedEdit : public TEdit {
  Q_OBJECT
 public:
  using TEdit::TEdit;
};
class TDerivedListView : public TListView {
  Q_OBJECT
 public:
  using TListView::TListView;
};
class TDerivedPanel : public TPanel {
  Q_OBJECT
 public:
  using TPanel::TPanel;
};

namespace vombrel {
namespace {

const std::string kSection = "\xC2\xA7";  // "§"

template <typename T>
T* Add(QObject* owner, const char* name) {
  T* component = new T(qobject_cast<QWidget*>(owner));
  component->setObjectName(name);
  return component;
}

class TranslationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<QWidget>();
    form_->setObjectName("FormTest");
    form_->setWindowTitle("Prova");
  }
  void Translate(const StringList& lines) { TranslateComponents(form_.get(), LanguageFile(lines)); }
  std::unique_ptr<QWidget> form_;
};

TEST_F(TranslationTest, CaptionAndHintClassesAndTheWindowItself) {
  const std::vector<std::pair<std::string, std::function<QObject*(QObject*, const char*)>>> kinds{
      {"TBitBtn", [](QObject* o, const char* n) -> QObject* { return Add<TBitBtn>(o, n); }},
      {"TSpeedButton", [](QObject* o, const char* n) -> QObject* { return Add<TSpeedButton>(o, n); }},
      {"TGroupBox", [](QObject* o, const char* n) -> QObject* { return Add<TGroupBox>(o, n); }},
      {"TFlatGroupBox", [](QObject* o, const char* n) -> QObject* { return Add<TFlatGroupBox>(o, n); }},
      {"TPanel", [](QObject* o, const char* n) -> QObject* { return Add<TPanel>(o, n); }},
      {"TCheckBox", [](QObject* o, const char* n) -> QObject* { return Add<TCheckBox>(o, n); }},
      {"TFlatCheckBox", [](QObject* o, const char* n) -> QObject* { return Add<TFlatCheckBox>(o, n); }},
      {"TFlatButton", [](QObject* o, const char* n) -> QObject* { return Add<TFlatButton>(o, n); }},
      {"TFlatSpeedButton", [](QObject* o, const char* n) -> QObject* { return Add<TFlatSpeedButton>(o, n); }},
      {"TFlatPanel", [](QObject* o, const char* n) -> QObject* { return Add<TFlatPanel>(o, n); }},
      {"TFlatTitlebar", [](QObject* o, const char* n) -> QObject* { return Add<TFlatTitlebar>(o, n); }},
      {"TMenuItem",
       [](QObject* o, const char* n) -> QObject* {
         auto* i = new TMenuItem(o);
         i->setObjectName(n);
         return i;
       }},
      {"TSpeedItem",
       [](QObject* o, const char* n) -> QObject* {
         auto* i = new TSpeedItem(o);
         i->setObjectName(n);
         return i;
       }},
  };
  StringList lines{"FormTest.FormTest.Caption=Test", "FormTest.FormTest.Hint=Window hint"};
  std::vector<QObject*> components;
  for (const auto& [kind, make] : kinds) {
    const std::string name = "C" + kind;
    components.push_back(make(form_.get(), name.c_str()));
    components.back()->setProperty("Caption", "vecchio");
    components.back()->setProperty("Hint", "suggerimento");
    lines.push_back("FormTest." + name + ".Caption=" + kind + " caption");
    lines.push_back("FormTest." + name + ".Hint=" + kind + " hint");
  }
  Translate(lines);
  EXPECT_EQ(form_->windowTitle(), "Test");
  EXPECT_EQ(form_->toolTip(), "Window hint");
  for (std::size_t index = 0; index < kinds.size(); ++index) {
    EXPECT_EQ(components[index]->property("Caption").toString().toStdString(), kinds[index].first + " caption");
    EXPECT_EQ(components[index]->property("Hint").toString().toStdString(), kinds[index].first + " hint");
  }
}

TEST_F(TranslationTest, LabelCaptionsBreakAtTheSectionSign) {
  auto* label = Add<TLabel>(form_.get(), "Label1");
  label->SetCaption("vecchio");
  auto* untranslated = Add<TLabel>(form_.get(), "Label2");
  untranslated->SetCaption("resta");
  Translate({"FormTest.Label1.Caption=Prima riga" + kSection + "Seconda riga", "FormTest.Label1.Hint=h",
             "FormTest.Label2.Caption="});
  EXPECT_EQ(label->Caption(), "Prima riga\r\nSeconda riga");
  EXPECT_EQ(label->CaptionLines(), QStringList({"Prima riga", "Seconda riga"}));
  EXPECT_EQ(label->Hint(), "h");
  EXPECT_EQ(untranslated->Caption(), "resta") << "an empty value keeps the text";
}

TEST_F(TranslationTest, LinesAndItemsFollowTheSplittingRules) {
  auto* secret = Add<TSecretPanel>(form_.get(), "Scorre");
  secret->SetLines({"old"});
  auto* combo = Add<TFlatComboBox>(form_.get(), "Combo1");
  combo->SetItems({"x", "y"});
  combo->setCurrentIndex(1);
  auto* plainCombo = Add<TComboBox>(form_.get(), "Combo2");
  auto* keep = Add<TComboBox>(form_.get(), "Combo3");
  keep->SetItems({"keep"});
  keep->setCurrentIndex(0);
  Translate({"FormTest.Scorre.Lines=  a " + kSection + "  b  ",
             "FormTest.Combo1.Items=Uno" + kSection + "Due" + kSection,
             "FormTest.Combo2.Items=Uno" + kSection + kSection + "Tre", "FormTest.Combo2.Hint=scegli",
             "FormTest.Combo3.Items="});
  EXPECT_EQ(secret->Lines(), QStringList({"  a ", "b"}));
  EXPECT_EQ(combo->Items(), QStringList({"Uno", "Due"}));
  EXPECT_EQ(combo->currentIndex(), -1) << "a refilled combo box has no selection";
  EXPECT_EQ(plainCombo->Items(), QStringList({"Uno", "", "Tre"}));
  EXPECT_EQ(plainCombo->toolTip(), "scegli");
  EXPECT_EQ(keep->Items(), QStringList({"keep"}));
  EXPECT_EQ(keep->currentIndex(), 0);
}

TEST_F(TranslationTest, EditsAndListViewsMatchDerivedClassesToo) {
  auto* edit = Add<TEdit>(form_.get(), "Edit1");
  auto* derivedEdit = Add<TDerivedEdit>(form_.get(), "Edit2");
  auto* view = Add<TListView>(form_.get(), "Vista");
  view->SetColumns({"Nome", "Percorso", "Durata"});
  auto* derivedView = Add<TDerivedListView>(form_.get(), "Vista2");
  derivedView->SetColumns({"Uno"});
  Translate({"FormTest.Edit1.Caption=testo", "FormTest.Edit1.Hint=suggerimento", "FormTest.Edit2.Caption=altro",
             "FormTest.Vista.Col_0.Caption=Name", "FormTest.Vista.Col_2.Caption=Length", "FormTest.Vista.Hint=no",
             "FormTest.Vista2.Col_0.Caption=One"});
  EXPECT_EQ(edit->text(), "testo");
  EXPECT_EQ(edit->toolTip(), "suggerimento");
  EXPECT_EQ(derivedEdit->text(), "altro");
  EXPECT_EQ(view->ColumnCaption(0), "Name");
  EXPECT_EQ(view->ColumnCaption(1), "Percorso");
  EXPECT_EQ(view->ColumnCaption(2), "Length");
  EXPECT_EQ(view->toolTip(), "") << "list views take no hint";
  EXPECT_EQ(derivedView->ColumnCaption(0), "One");
}

TEST_F(TranslationTest, FirstMatchCaseAndBlanksDecide) {
  auto* button = Add<TFlatButton>(form_.get(), "Button1");
  auto* other = Add<TFlatButton>(form_.get(), "Button2");
  other->SetCaption("originale");
  Translate({"formtest.BUTTON1.caption=primo", "FormTest.Button1.Caption=secondo", "FormTest.Button2.Caption =no",
             "FormTest.Button2 .Caption=no"});
  EXPECT_EQ(button->Caption(), "primo");
  EXPECT_EQ(other->Caption(), "originale");
}

TEST_F(TranslationTest, UnknownClassesDerivedExactClassesAndMissingComponentsStay) {
  auto* derivedPanel = Add<TDerivedPanel>(form_.get(), "Derived");
  derivedPanel->SetCaption("resta");
  auto* list = Add<TFlatListBox>(form_.get(), "Lista");
  list->SetItems({"a"});
  auto* bar = Add<TFlatScrollbar>(form_.get(), "Barra");
  bar->SetHint("posizione");
  auto* unnamed = new TFlatButton(form_.get());
  unnamed->SetCaption("senza nome");
  Translate({"FormTest.Derived.Caption=no", "FormTest.Lista.Items=b", "FormTest.Barra.Hint=no",
             "FormTest.Ghost.Caption=no", "FormTest..Caption=no", "OtherForm.Derived.Caption=no"});
  EXPECT_EQ(derivedPanel->Caption(), "resta");
  EXPECT_EQ(list->Items(), QStringList({"a"}));
  EXPECT_EQ(bar->Hint(), "posizione");
  EXPECT_EQ(unnamed->Caption(), "senza nome");
  EXPECT_EQ(form_->windowTitle(), "Prova");
}

class LanguageFolder : public TranslationTest {
 protected:
  void SetUp() override {
    TranslationTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("vombrel-lang-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_ / "Langs");
    SetAppDirForTesting(folder_.string() + "/");
  }
  void TearDown() override {
    FreeMessages();
    SetAppDirForTesting(std::nullopt);
    std::filesystem::remove_all(folder_);
  }
  std::filesystem::path folder_;
};

TEST_F(LanguageFolder, ApplyLanguageTranslatesTheWindowAndLoadsItsMessages) {
  auto* button = Add<TFlatButton>(form_.get(), "ButtonPlay");
  std::ofstream(folder_ / "Langs" / "English.lng", std::ios::binary)
      << "FormTest.ButtonPlay.Hint=Play the current track\r\n*MSG_RECBUSY=Recording...\r\n";
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  ApplyLanguage(form_.get(), "English");
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_EQ(button->Hint(), "Play the current track");
  EXPECT_EQ(vombrel::Translate("MSG_RECBUSY", "Registrazione in corso..."), "Recording...");

  // A missing language: English messages, the window unchanged, one error box.
  button->SetHint("x");
  ApplyLanguage(form_.get(), "Deutsch");
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, "Language file not found.\nUsing default language.");
  EXPECT_EQ(reporter.messages[0].caption, "Error!");
  EXPECT_EQ(button->Hint(), "x");
  EXPECT_EQ(vombrel::Translate("MSG_RECBUSY", "Registrazione in corso..."), "Recording...");
  EXPECT_FALSE(ApplyLanguageFile(form_.get(), (folder_ / "none.lng").string()));
  EXPECT_EQ(reporter.messages.size(), 2u);
}

}  // namespace
}  // namespace vombrel

#include "translation_test.moc"
