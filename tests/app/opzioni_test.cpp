// The options window and the extension dialog, offscreen, over the real main window with a
// scripted engine: opening, the hot-key list and its keys, the association list and its
// registration in private XDG folders, the six confirm steps, cancel, and a settings
// file that cannot be written.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Scriptedengine.h"
#include "app/Nomeestensione.h"
#include "app/Opzioni.h"
#include "app/VombrelMain.h"
#include "platform/Fileassociations.h"
#include "support/Configurazione.h"
#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "support/Supportmsg.h"
#include "toolkit/Flathint.h"

namespace fs = std::filesystem;

namespace vombrel {
namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

QStringList Rows(const TFlatCheckListBox* list) { return list->Items(); }

std::vector<bool> Checks(const TFlatCheckListBox* list) {
  std::vector<bool> checks;
  for (int row = 0; row < list->Count(); ++row) checks.push_back(list->Checked(row));
  return checks;
}

class Options : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vombrel-options-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "config");
    fs::create_directories(root_ / "data");
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    fs::create_directories(UserFolder());
  }
  void TearDown() override {
    delete options_.data();
    window_.reset();
    FreeMessages();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path UserFolder() const { return root_ / "config" / "app_options_tests"; }
  fs::path IniPath() const { return UserFolder() / "Config" / "Kelvatro" / "Vombrel.ini"; }

  // The user store's file before the main window makes it.
  void Settings(const std::string& text) {
    fs::create_directories(IniPath().parent_path());
    std::ofstream(IniPath(), std::ios::binary) << text;
  }

  TFormVombrel& Main() {
    EngineFactory factory = [this](const std::string& name, NotifyHandler notify) {
      engineNames_.push_back(name);
      auto engine = std::make_unique<testing::ScriptedEngine>(dispatcher_);
      engine->InitPlayer(nullptr, std::move(notify));
      engine_ = engine.get();
      return engine;
    };
    OutputVolume volume{[]() -> std::optional<int32_t> { return 65535; }, [](int32_t) {}};
    window_ = std::make_unique<TFormVombrel>(std::vector<std::string>{}, factory, volume);
    window_->show();
    QCoreApplication::processEvents();
    return *window_;
  }

  // The options window opened as the main window opens it (modal), without a nested loop.
  TFormOpzioni& Open() {
    if (!window_) Main();
    options_ = new TFormOpzioni(window_.get());
    options_->open();
    QCoreApplication::processEvents();
    return *options_;
  }

  // Confirms; true when the window closed confirmed.
  bool Confirm() {
    QPointer<TFormOpzioni> options = options_;
    options->BtnConfermaClick();
    const bool closed = options && options->result() == QDialog::Accepted && !options->isVisible();
    if (closed) {
      window_->LoadSettings();  // what the main window does after a confirmed close
      QCoreApplication::processEvents();
    }
    return closed;
  }

  void KeyUp(int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(options_->ListBoxScorciatoie, &release);
  }

  void Select(TFlatCheckListBox* list, int row) { list->setCurrentIndex(list->model()->index(row, 0)); }

  std::string Ini() const { return ReadAll(IniPath()); }
  bool Registered(const std::string& extension) const {
    return fs::exists(root_ / "data" / "applications" / DesktopIdOfProgId(ProgIdOf(extension)));
  }

  fs::path root_;
  testing::NullDispatcher dispatcher_;
  testing::ScriptedEngine* engine_ = nullptr;
  std::vector<std::string> engineNames_;
  std::unique_ptr<TFormVombrel> window_;
  QPointer<TFormOpzioni> options_;
};

TEST_F(Options, OpeningFillsTheListsFromTheSettings) {
  Settings("[General]\r\nLanguage=italiano\r\nPlayer=Gone\r\nHints=False\r\nHideOnVideo=True\r\n");
  RecordingReporter reporter;  // no file "italiano.lng": the main window says so
  ScopedReporter scope(&reporter);
  TFormOpzioni& o = Open();
  EXPECT_EQ(o.size(), QSize(492, 453));
  EXPECT_EQ(o.BarraTitolo->Caption(), "Opzioni");
  EXPECT_TRUE(o.ComboLingue->Items().contains("English"));
  EXPECT_EQ(o.ComboLingue->currentText(), "Italiano");  // matched without regard to case
  EXPECT_EQ(o.ComboPlayers->Items().first(), "Default");
  EXPECT_EQ(o.ComboPlayers->currentText(), "Default");  // the named plug-in is gone
  EXPECT_FALSE(o.CheckAiuti->Checked());
  EXPECT_TRUE(o.CheckHideOnVideo->Checked());
  EXPECT_TRUE(o.CheckTrayCommands->Checked());
  o.LblHideOnVideo->Click();
  EXPECT_FALSE(o.CheckHideOnVideo->Checked());
  o.LblSuggerimenti->Click();
  EXPECT_TRUE(o.CheckAiuti->Checked());
}

TEST_F(Options, DesignedCaptionsAndHints) {
  for (const char* language : {"Italiano", "English"}) {
    SCOPED_TRACE(language);
    Settings(std::string("[General]\r\nLanguage=") + language + "\r\n");
    window_.reset();
    TFormOpzioni& o = Open();
    const bool italian = std::string(language) == "Italiano";
    const struct {
      const char* name;
      const char* property;
      const char* italiano;
      const char* english;
    } texts[] = {
        {"BarraTitolo", "Caption", "Opzioni", "Options"},
        {"LblAssocia", "Caption", "Associa a", "Associate with"},
        {"ListBoxAssociazioni", "Hint", "Lista delle associazioni disponibili. ",
         "Lista delle associazioni disponibili. "},  // the check list is not among the translated classes
        {"BtnTogliAssociazione", "Hint", "Elimina le associazioni a file correntemente selezionate",
         "Remove the ticked file associations"},
        {"BtnAggiungiAssociazione", "Hint", "Aggiunge una nuova associazione a file", "Add a new file association"},
        {"LblScorciatoie", "Caption", "Scorciatoie", "Hot keys"},
        {"BtnClearHotkeys", "Hint", "Ripristina le scorciatoie di default", "Restore the default hot keys"},
        {"LblLingua", "Caption", "Lingua", "Language"},
        {"LblPlayer", "Caption", "Player", "Player"},
        {"LblSuggerimenti", "Caption", "Abilita suggerimenti", "Show hints"},
        {"LblHideOnVideo", "Caption", "Nascondi finestra principale con video", "Hide the main window during video"},
        {"LblTrayCommands", "Caption", "Mostra mini-comandi nella tray", "Show mini controls in the tray"},
        {"BtnAnnulla", "Caption", "Annulla", "Cancel"},
        {"BtnConferma", "Caption", "Conferma", "Confirm"},
    };
    for (const auto& t : texts) {
      QObject* component = o.findChild<QObject*>(t.name);
      ASSERT_NE(component, nullptr) << t.name;
      EXPECT_EQ(component->property(t.property).toString().toStdString(), italian ? t.italiano : t.english) << t.name;
    }
    EXPECT_EQ(o.windowTitle().toStdString(), italian ? "Opzioni" : "Options");
    o.BtnAnnullaClick();
  }
}

TEST_F(Options, FirstStartHasNoHotKeysAndStoresTheDefaultsOff) {
  TFormOpzioni& o = Open();
  EXPECT_EQ(o.ListBoxScorciatoie->Count(), 0);
  o.BtnClearHotkeysClick();
  EXPECT_EQ(Rows(o.ListBoxScorciatoie),
            (QStringList{"Play=", "Pause=", "Stop=", "Next=", "Previous=", "VolumeInc=", "VolumeDec="}));
  EXPECT_EQ(Checks(o.ListBoxScorciatoie), std::vector<bool>(7, false));
  EXPECT_TRUE(window_->HotKeyList().empty());  // restoring the list does not touch it
  ASSERT_TRUE(Confirm());
  EXPECT_NE(Ini().find("[HotKeys]\r\nPlay=;OFF\r\nPause=;OFF\r\nStop=;OFF\r\nNext=;OFF\r\nPrevious=;OFF\r\n"
                       "VolumeInc=;OFF\r\nVolumeDec=;OFF\r\n"),
            std::string::npos)
      << Ini();
}

TEST_F(Options, CtrlShiftF5OnPauseIsAssignedAndStored) {
  TFormOpzioni& o = Open();
  o.BtnClearHotkeysClick();
  Select(o.ListBoxScorciatoie, 1);
  KeyUp(Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(window_->HotKeyList(), StringList{"Pause=Shift+Ctrl+F5;ON"});
  // Only the actions of HotKeyList are shown after an assignment.
  EXPECT_EQ(Rows(o.ListBoxScorciatoie), QStringList{"Pause=Shift+Ctrl+F5"});
  EXPECT_EQ(Checks(o.ListBoxScorciatoie), std::vector<bool>{true});
  ASSERT_TRUE(Confirm());
  EXPECT_EQ(UserConfig().ReadString("HotKeys", "Pause", ""), "Shift+Ctrl+F5;ON");
  EXPECT_EQ(UserConfig().ReadSection("HotKeys"), StringList{"Pause"});
  EXPECT_EQ(window_->HotKeyList(), StringList{"Pause=Shift+Ctrl+F5;ON"});
}

TEST_F(Options, ModifiersLetGoBeforeTheKeyStillCount) {
  TFormOpzioni& o = Open();
  o.BtnClearHotkeysClick();
  Select(o.ListBoxScorciatoie, 0);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
  QCoreApplication::sendEvent(o.ListBoxScorciatoie, &press);
  KeyUp(Qt::Key_Control, Qt::AltModifier);  // the modifiers go up first
  KeyUp(Qt::Key_Alt, Qt::NoModifier);
  KeyUp(Qt::Key_P, Qt::NoModifier);
  EXPECT_EQ(window_->HotKeyList(), StringList{"Play=Ctrl+Alt+P;ON"});
  // A release without its press takes only the modifiers held at the release.
  KeyUp(Qt::Key_S, Qt::ShiftModifier);
  EXPECT_EQ(window_->HotKeyList(), StringList{"Play=Shift+S;ON"});
}

TEST_F(Options, EscapeAndModifiersAloneChangeNothing) {
  Settings("[HotKeys]\r\nPlay=Ctrl+Alt+P;ON\r\nStop=;OFF\r\n");
  TFormOpzioni& o = Open();
  EXPECT_EQ(Rows(o.ListBoxScorciatoie), (QStringList{"Play=Ctrl+Alt+P", "Stop="}));
  EXPECT_EQ(Checks(o.ListBoxScorciatoie), (std::vector<bool>{true, false}));
  Select(o.ListBoxScorciatoie, 0);
  QKeyEvent escapePress(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(o.ListBoxScorciatoie, &escapePress);
  KeyUp(Qt::Key_Escape, Qt::NoModifier);
  KeyUp(Qt::Key_Control, Qt::ControlModifier);
  KeyUp(Qt::Key_Shift, Qt::ShiftModifier);
  KeyUp(Qt::Key_Alt, Qt::AltModifier);
  KeyUp(Qt::Key_Tab, Qt::NoModifier);
  EXPECT_EQ(window_->HotKeyList(), (StringList{"Play=Ctrl+Alt+P;ON", "Stop=;OFF"}));
  EXPECT_TRUE(o.isVisible());  // Escape on the list does not cancel the window
  // Without a selected entry a key changes nothing either.
  o.ListBoxScorciatoie->clearSelection();
  o.ListBoxScorciatoie->setCurrentIndex({});
  KeyUp(Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(window_->HotKeyList(), (StringList{"Play=Ctrl+Alt+P;ON", "Stop=;OFF"}));
}

TEST_F(Options, UncheckedHotKeyIsStoredOffWithItsShortcut) {
  Settings("[HotKeys]\r\nPlay=Ctrl+Alt+P;ON\r\nNext=Ctrl+Alt+N;ON\r\n");
  TFormOpzioni& o = Open();
  o.ListBoxScorciatoie->SetChecked(0, false);
  Select(o.ListBoxScorciatoie, 1);
  KeyUp(Qt::Key_M, Qt::AltModifier);
  EXPECT_EQ(window_->HotKeyList(), (StringList{"Play=Ctrl+Alt+P;ON", "Next=Alt+M;ON"}));
  // The rebuilt list shows HotKeyList again: the unchecked mark is gone with it.
  o.ListBoxScorciatoie->SetChecked(0, false);
  ASSERT_TRUE(Confirm());
  EXPECT_EQ(UserConfig().ReadString("HotKeys", "Play", ""), "Ctrl+Alt+P;OFF");
  EXPECT_EQ(UserConfig().ReadString("HotKeys", "Next", ""), "Alt+M;ON");
  EXPECT_EQ(window_->HotKeys().Find("HK_Play")->Enabled(), false);
}

TEST_F(Options, UncheckedAssociationIsSavedButNotRegistered) {
  std::ofstream(UserFolder() / "Associations.cfg", std::ios::binary) << "ogg\r\nmp3\r\n";
  TFormOpzioni& o = Open();
  EXPECT_EQ(Rows(o.ListBoxAssociazioni), (QStringList{"mp3", "ogg"}));
  EXPECT_EQ(Checks(o.ListBoxAssociazioni), (std::vector<bool>{true, true}));
  o.ListBoxAssociazioni->SetChecked(1, false);
  o.SetExtensionAskerForTesting([] { return std::optional<QString>("flac"); });
  o.BtnAggiungiAssociazioneClick();
  EXPECT_EQ(Rows(o.ListBoxAssociazioni), (QStringList{"mp3", "ogg", "flac"}));
  EXPECT_EQ(Checks(o.ListBoxAssociazioni), (std::vector<bool>{true, false, false}));
  ASSERT_TRUE(Confirm());
  EXPECT_EQ(ReadAll(UserFolder() / "Associations.cfg"), "flac\r\nmp3\r\nogg\r\n");
  EXPECT_TRUE(Registered("mp3"));
  EXPECT_FALSE(Registered("ogg"));
  EXPECT_FALSE(Registered("flac"));
  EXPECT_EQ(window_->Associations(), (StringList{"flac", "mp3", "ogg"}));

  // The next opening shows every entry checked; confirming registers them all.
  TFormOpzioni& again = Open();
  EXPECT_EQ(Checks(again.ListBoxAssociazioni), std::vector<bool>(3, true));
  ASSERT_TRUE(Confirm());
  EXPECT_TRUE(Registered("ogg"));
  EXPECT_TRUE(Registered("flac"));

  // Removing every checked entry and confirming unregisters what was there.
  TFormOpzioni& third = Open();
  third.BtnTogliAssociazioneClick();
  EXPECT_EQ(third.ListBoxAssociazioni->Count(), 0);
  ASSERT_TRUE(Confirm());
  EXPECT_FALSE(Registered("mp3"));
  EXPECT_EQ(ReadAll(UserFolder() / "Associations.cfg"), "");
}

TEST_F(Options, OddExtensionsAreKeptAsTypedAndRegisterNothingOutside) {
  TFormOpzioni& o = Open();
  const QStringList typed{"../../escape", ".mp3", "a b", "", "x/y"};
  for (const QString& text : typed) {
    o.SetExtensionAskerForTesting([text] { return std::optional<QString>(text); });
    o.BtnAggiungiAssociazioneClick();
  }
  EXPECT_EQ(Rows(o.ListBoxAssociazioni), typed);
  for (int row = 0; row < o.ListBoxAssociazioni->Count(); ++row) o.ListBoxAssociazioni->SetChecked(row, true);
  ASSERT_TRUE(Confirm());
  EXPECT_EQ(ReadAll(UserFolder() / "Associations.cfg"), "\r\n../../escape\r\n.mp3\r\na b\r\nx/y\r\n");
  for (const auto& entry : fs::recursive_directory_iterator(root_)) {
    const std::string path = entry.path().string();
    EXPECT_TRUE(path.rfind((root_ / "data").string(), 0) == 0 || path.rfind((root_ / "config").string(), 0) == 0)
        << path;
  }
}

TEST_F(Options, EmptyLanguageFolderKeepsTheCurrentLanguage) {
  Settings("[General]\r\nLanguage=Italiano\r\n");
  Main();
  fs::create_directories(root_ / "program" / "Langs");
  SetAppDirForTesting((root_ / "program").string() + "/");
  TFormOpzioni& o = Open();
  EXPECT_EQ(o.ComboLingue->count(), 0);
  ASSERT_TRUE(Confirm());
  SetAppDirForTesting(std::nullopt);
  EXPECT_EQ(CurrentLanguage(), "Italiano");
  EXPECT_EQ(UserConfig().ReadString("General", "Language", ""), "Italiano");
}

TEST_F(Options, ResetAndRemoveAssociations) {
  std::ofstream(UserFolder() / "Associations.cfg", std::ios::binary) << "wav\r\n";
  TFormOpzioni& o = Open();
  o.BtnResetAssociationsClick();
  EXPECT_EQ(Rows(o.ListBoxAssociazioni), KnownMediaExtensions());
  EXPECT_EQ(Checks(o.ListBoxAssociazioni), std::vector<bool>(9, false));
  o.ListBoxAssociazioni->SetChecked(0, true);
  o.ListBoxAssociazioni->SetChecked(8, true);
  o.ListBoxAssociazioniKeyUp(45);  // Ins removes nothing
  EXPECT_EQ(o.ListBoxAssociazioni->Count(), 9);
  o.ListBoxAssociazioniKeyUp(46);  // Del removes the checked entries
  EXPECT_EQ(Rows(o.ListBoxAssociazioni), (QStringList{"MP2", "MP3", "MPEG", "MPG", "OGG", "VOB", "WAV"}));
}

TEST_F(Options, ConfirmRecreatesTheEngineEveryTime) {
  Main();
  ASSERT_EQ(engineNames_, StringList{"Default"});
  engine_->mode = PlayerMode::Playing;
  testing::ScriptedEngine* first = engine_;
  Open();
  ASSERT_TRUE(Confirm());
  EXPECT_EQ(engineNames_, (StringList{"Default", "Default"}));
  EXPECT_NE(engine_, first);
  Open();
  ASSERT_TRUE(Confirm());
  EXPECT_EQ(engineNames_, (StringList{"Default", "Default", "Default"}));
  EXPECT_EQ(UserConfig().ReadString("General", "Player", ""), "Default");
}

TEST_F(Options, ConfirmAppliesLanguageAndSwitchesAtOnce) {
  Settings("[General]\r\nLanguage=Italiano\r\n");
  TFormVombrel& w = Main();
  EXPECT_EQ(w.ConfigMenu()->actions().at(1)->text(), "Opzioni");
  TFormOpzioni& o = Open();
  EXPECT_EQ(o.LblLingua->Caption(), "Lingua");
  o.ComboLingue->setCurrentIndex(static_cast<int>(o.ComboLingue->Items().indexOf("English")));
  o.CheckAiuti->SetChecked(false);
  o.CheckTrayCommands->SetChecked(false);
  o.CheckHideOnVideo->SetChecked(true);
  ASSERT_TRUE(Confirm());
  EXPECT_EQ(CurrentLanguage(), "English");
  EXPECT_EQ(w.ConfigMenu()->actions().at(1)->text(), "Options");
  EXPECT_FALSE(HintsEnabled());
  EXPECT_FALSE(w.TrayCommands());
  EXPECT_TRUE(w.HideOnVideo());
  EXPECT_EQ(UserConfig().ReadString("General", "Language", ""), "English");
  EXPECT_EQ(TFormOpzioni(&w).LblLingua->Caption(), "Language");
  SetHintsEnabled(true);
}

TEST_F(Options, CancelAndCloseStoreNothing) {
  Settings("[General]\r\nLanguage=Italiano\r\n");
  Main();
  const std::string before = Ini();
  for (bool titleBar : {false, true}) {
    TFormOpzioni& o = Open();
    o.ComboLingue->setCurrentIndex(static_cast<int>(o.ComboLingue->Items().indexOf("English")));
    o.CheckAiuti->SetChecked(false);
    o.BtnClearHotkeysClick();
    o.BtnResetAssociationsClick();
    if (titleBar)
      o.ButtonCloseClick();
    else
      o.BtnAnnullaClick();
    EXPECT_EQ(o.result(), QDialog::Rejected);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(options_.isNull());  // a closed window destroys itself
  }
  const std::string after = Ini();
  // Only the window's position is kept.
  EXPECT_EQ(after.find("[HotKeys]"), std::string::npos);
  EXPECT_EQ(after.find("Language=English"), std::string::npos);
  EXPECT_EQ(after.find("Hints="), std::string::npos);
  EXPECT_EQ(engineNames_.size(), 1u);
  EXPECT_FALSE(fs::exists(UserFolder() / "Associations.cfg"));
  EXPECT_EQ(CurrentLanguage(), "Italiano");
}

TEST_F(Options, SettingsThatCannotBeWrittenKeepTheWindowOpen) {
  Settings("[General]\r\nLanguage=English\r\n");
  Main();
  TFormOpzioni& o = Open();
  o.BtnClearHotkeysClick();
  // A file whose mode grants nobody write access is refused to every user.
  fs::permissions(IniPath(), fs::perms::owner_read);
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  o.BtnConfermaClick();
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text.rfind("Unable to write to ", 0), 0u) << reporter.messages[0].text;
  EXPECT_TRUE(o.isVisible());
  EXPECT_EQ(o.result(), 0);
  EXPECT_EQ(engineNames_.size(), 1u);  // the steps after the refused write were not done
  fs::permissions(IniPath(), fs::perms::owner_read | fs::perms::owner_write);
  o.BtnAnnullaClick();
}

TEST_F(Options, ExtensionDialogHandsOverTheTextAsTyped) {
  Main();
  for (const QString& typed : {QString(" .a/b "), QString("")}) {
    QString received = "untouched";
    QPointer<TFormNomeEstensione> dialog = new TFormNomeEstensione(window_.get(),
                                                                   [&](const QString& text) { received = text; });
    dialog->open();
    EXPECT_EQ(dialog->size(), QSize(183, 83));
    EXPECT_EQ(dialog->windowTitle(), "Extension");  // the current language, applied on show
    dialog->EditEstensione->setText(typed);
    dialog->ButtonConfermaClick();
    EXPECT_EQ(received, typed);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
  }
  QString received = "untouched";
  auto* dialog = new TFormNomeEstensione(window_.get(), [&](const QString& text) { received = text; });
  dialog->open();
  dialog->EditEstensione->setText("mp4");
  dialog->ButtonAnnullaClick();
  EXPECT_EQ(received, "untouched");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(VirtualKeyOfKeyEvent, QtKeysGiveTheShortcutCodes) {
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    int code;
  } cases[] = {
      {Qt::Key_A, Qt::NoModifier, 65},          {Qt::Key_Z, Qt::ShiftModifier, 90},
      {Qt::Key_0, Qt::NoModifier, 48},          {Qt::Key_7, Qt::KeypadModifier, 103},
      {Qt::Key_Exclam, Qt::ShiftModifier, '1'}, {Qt::Key_F1, Qt::NoModifier, 112},
      {Qt::Key_F15, Qt::NoModifier, 126},       {Qt::Key_F24, Qt::NoModifier, 135},
      {Qt::Key_Escape, Qt::NoModifier, 27},     {Qt::Key_Control, Qt::ControlModifier, 17},
      {Qt::Key_Space, Qt::NoModifier, 32},      {Qt::Key_Delete, Qt::NoModifier, 46},
      {Qt::Key_PageUp, Qt::NoModifier, 33},     {Qt::Key_Enter, Qt::KeypadModifier, 13},
      {Qt::Key_Eacute, Qt::NoModifier, 0},
  };
  for (const auto& c : cases) {
    QKeyEvent event(QEvent::KeyRelease, c.key, c.modifiers);
    EXPECT_EQ(VirtualKeyOfKeyEvent(event), c.code) << std::hex << c.key;
  }
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
