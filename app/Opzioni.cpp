#include "app/Opzioni.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QShowEvent>
#include <algorithm>
#include <stdexcept>

#include "app/Application.h"
#include "app/Nomeestensione.h"
#include "app/Video.h"
#include "app/VombrelMain.h"
#include "platform/Fileassociations.h"
#include "platform/X11hotkeys.h"
#include "players/Playerfactory.h"
#include "shell/Shortcut.h"
#include "support/Configurazione.h"
#include "support/Supportaspetto.h"
#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "support/Textcodec.h"
#include "toolkit/Colorscheme.h"
#include "toolkit/Components.h"
#include "toolkit/Flathint.h"
#include "toolkit/Translation.h"

namespace vombrel {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string S(const QString& text) { return text.toStdString(); }

constexpr int kWidth = 492;
constexpr int kHeight = 453;
constexpr int kTitleHeight = 16;
constexpr int kLeft = 8;
constexpr int kLeftWidth = 230;
constexpr int kRight = 252;
constexpr int kRightWidth = 232;

const QStringList kDefaultHotKeys{"Play=", "Pause=", "Stop=", "Next=", "Previous=", "VolumeInc=", "VolumeDec="};

uint8_t VirtualKeyOfQtKey(int key, Qt::KeyboardModifiers modifiers) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint8_t>('A' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9)
    return static_cast<uint8_t>((modifiers & Qt::KeypadModifier) ? vkNumpad0 + (key - Qt::Key_0)
                                                                 : '0' + (key - Qt::Key_0));
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<uint8_t>(vkF1 + (key - Qt::Key_F1));
  switch (key) {
    case Qt::Key_Backspace: return vkBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vkReturn;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return 18;
    case Qt::Key_Escape: return vkEscape;
    case Qt::Key_Space: return vkSpace;
    case Qt::Key_PageUp: return vkPrior;
    case Qt::Key_PageDown: return vkNext;
    case Qt::Key_End: return vkEnd;
    case Qt::Key_Home: return vkHome;
    case Qt::Key_Left: return vkLeft;
    case Qt::Key_Up: return vkUp;
    case Qt::Key_Right: return vkRight;
    case Qt::Key_Down: return vkDown;
    case Qt::Key_Insert: return vkInsert;
    case Qt::Key_Delete: return vkDelete;
    // The digits' shifted symbols of the standard layout name their digit key.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return (modifiers & Qt::KeypadModifier) ? 106 : '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: return 0;
  }
}

uint16_t FlagsOf(Qt::KeyboardModifiers modifiers) {
  uint16_t flags = 0;
  if (modifiers & Qt::ShiftModifier) flags |= scShift;
  if (modifiers & Qt::ControlModifier) flags |= scCtrl;
  if (modifiers & Qt::AltModifier) flags |= scAlt;
  return flags;
}

// The text after the first ";" of a hot-key value, in any case, is "ON".
bool HotKeyOn(std::string_view line) { return SameText(RightOf(line, ";"), "ON"); }

// The line up to, not including, its last ";" (empty when it has none).
std::string BeforeLastSemicolon(std::string_view line) {
  const auto last = line.rfind(';');
  return last == std::string_view::npos ? std::string() : std::string(line.substr(0, last));
}

}  // namespace

uint8_t VirtualKeyOfKeyEvent(const QKeyEvent& event) {
  // The X layout's unshifted symbol names the key as the hot key will grab it; keys whose
  // symbol has no code (keypad, modifiers, layouts without latin letters) fall back to Qt.
  if (event.nativeScanCode() != 0)
    if (const uint32_t vk = VirtualKeyOfX11Keycode(event.nativeScanCode()); vk != 0 && vk < 256)
      return static_cast<uint8_t>(vk);
  return VirtualKeyOfQtKey(event.key(), event.modifiers());
}

QStringList KnownMediaExtensions() { return {"AVI", "MP2", "MP3", "MPEG", "MPG", "OGG", "VOB", "WAV", "WMA"}; }

TFormOpzioni::TFormOpzioni(TFormVombrel* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint), main_(mainWindow) {
  setObjectName("FormOpzioni");
  setWindowTitle("Opzioni");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kWidth, kHeight);
  BuildWindow();
  ConnectHandlers();
  FormCreate();
}

void TFormOpzioni::BuildWindow() {
  BarraTitolo = MakeComponent<TFlatTitlebar>(this, "BarraTitolo");
  BarraTitolo->setGeometry(0, 0, kWidth, kTitleHeight);
  BarraTitolo->SetCaption("Opzioni");
  ButtonClose = MakeComponent<TFlatButton>(BarraTitolo, "ButtonClose");
  ButtonClose->setGeometry(kWidth - 17, 2, 14, 12);
  ButtonClose->SetGlyph(TGlyph::Close);
  PannelloOpzioni = MakeComponent<TPanel>(this, "PannelloOpzioni");
  PannelloOpzioni->setGeometry(0, kTitleHeight, kWidth, kHeight - kTitleHeight);
  QWidget* p = PannelloOpzioni;

  auto label = [p](TLabel*& target, const char* name, const char* caption, QRect geometry) {
    target = MakeComponent<TLabel>(p, name);
    target->SetCaption(QString::fromUtf8(caption));
    target->setGeometry(geometry);
  };
  auto smallButton = [p](TFlatButton*& target, const char* name, TGlyph glyph, const char* hint, QRect geometry) {
    target = MakeComponent<TFlatButton>(p, name);
    target->SetGlyph(glyph);
    target->SetHint(QString::fromUtf8(hint));
    target->setGeometry(geometry);
  };

  label(LblAssocia, "LblAssocia", "Associa a", QRect(kLeft, 6, kLeftWidth, 16));
  ListBoxAssociazioni = MakeComponent<TFlatCheckListBox>(p, "ListBoxAssociazioni");
  ListBoxAssociazioni->setGeometry(kLeft, 24, kLeftWidth, 160);
  ListBoxAssociazioni->setToolTip(QString::fromUtf8("Lista delle associazioni disponibili. "));
  smallButton(BtnResetAssociations, "BtnResetAssociations", TGlyph::Repeat, "", QRect(kLeft, 188, 24, 20));
  smallButton(BtnTogliAssociazione, "BtnTogliAssociazione", TGlyph::Remove,
              "Elimina le associazioni a file correntemente selezionate", QRect(kLeft + kLeftWidth - 52, 188, 24, 20));
  smallButton(BtnAggiungiAssociazione, "BtnAggiungiAssociazione", TGlyph::Add, "Aggiunge una nuova associazione a file",
              QRect(kLeft + kLeftWidth - 24, 188, 24, 20));

  label(LblScorciatoie, "LblScorciatoie", "Scorciatoie", QRect(kLeft, 220, kLeftWidth, 16));
  ListBoxScorciatoie = MakeComponent<TFlatCheckListBox>(p, "ListBoxScorciatoie");
  ListBoxScorciatoie->setGeometry(kLeft, 238, kLeftWidth, 160);
  ListBoxScorciatoie->SetItems(kDefaultHotKeys);
  ListBoxScorciatoie->installEventFilter(this);
  ListBoxAssociazioni->installEventFilter(this);
  smallButton(BtnClearHotkeys, "BtnClearHotkeys", TGlyph::Repeat, "Ripristina le scorciatoie di default",
              QRect(kLeft, 402, 24, 20));

  label(LblLingua, "LblLingua", "Lingua", QRect(kRight, 6, kRightWidth, 16));
  ComboLingue = MakeComponent<TFlatComboBox>(p, "ComboLingue");
  ComboLingue->setGeometry(kRight, 24, kRightWidth, 21);
  label(LblPlayer, "LblPlayer", "Player", QRect(kRight, 56, kRightWidth, 16));
  ComboPlayers = MakeComponent<TFlatComboBox>(p, "ComboPlayers");
  ComboPlayers->setGeometry(kRight, 74, kRightWidth, 21);

  const struct {
    TFlatCheckBox** box;
    const char* boxName;
    TLabel** label;
    const char* labelName;
    const char* caption;
  } switches[] = {
      {&CheckAiuti, "CheckAiuti", &LblSuggerimenti, "LblSuggerimenti", "Abilita suggerimenti"},
      {&CheckHideOnVideo, "CheckHideOnVideo", &LblHideOnVideo, "LblHideOnVideo",
       "Nascondi finestra principale con video"},
      {&CheckTrayCommands, "CheckTrayCommands", &LblTrayCommands, "LblTrayCommands", "Mostra mini-comandi nella tray"},
  };
  int top = 112;
  for (const auto& row : switches) {
    *row.box = MakeComponent<TFlatCheckBox>(p, row.boxName);
    (*row.box)->setGeometry(kRight, top + 1, 14, 14);
    label(*row.label, row.labelName, row.caption, QRect(kRight + 20, top, kRightWidth - 20, 32));
    (*row.label)->SetWordWrap(true);
    (*row.label)->SetAlignmentFlags(Qt::AlignLeft | Qt::AlignTop);
    top += 36;
  }

  BtnAnnulla = MakeComponent<TBitBtn>(p, "BtnAnnulla");
  BtnAnnulla->SetCaption("Annulla");
  BtnAnnulla->setGeometry(kWidth - 8 - 2 * 84 - 6, kHeight - kTitleHeight - 33, 84, 25);
  BtnConferma = MakeComponent<TBitBtn>(p, "BtnConferma");
  BtnConferma->SetCaption("Conferma");
  BtnConferma->setGeometry(kWidth - 8 - 84, kHeight - kTitleHeight - 33, 84, 25);
}

void TFormOpzioni::ConnectHandlers() {
  connect(ButtonClose, &FlatControl::Click, this, &TFormOpzioni::ButtonCloseClick);
  connect(BtnConferma, &FlatControl::Click, this, &TFormOpzioni::BtnConfermaClick);
  connect(BtnAnnulla, &FlatControl::Click, this, &TFormOpzioni::BtnAnnullaClick);
  connect(BtnAggiungiAssociazione, &FlatControl::Click, this, &TFormOpzioni::BtnAggiungiAssociazioneClick);
  connect(BtnTogliAssociazione, &FlatControl::Click, this, &TFormOpzioni::BtnTogliAssociazioneClick);
  connect(BtnResetAssociations, &FlatControl::Click, this, &TFormOpzioni::BtnResetAssociationsClick);
  connect(BtnClearHotkeys, &FlatControl::Click, this, &TFormOpzioni::BtnClearHotkeysClick);
  for (TLabel* label : {LblSuggerimenti, LblHideOnVideo, LblTrayCommands})
    connect(label, &FlatControl::Click, this, [this, label] { LblSuggerimentiClick(label); });
}

void TFormOpzioni::FormCreate() {
  FormPlacement = MakeComponent<TFormPlacement>(this, "FormPlacement");
  BindFormPlacement(UserConfig(), FormPlacement, this);
  if (!CurrentLanguage().empty()) ApplyLanguage(this, CurrentLanguage());

  QStringList languages;
  for (const std::string& file : ListFiles(AppSubDir("Langs") + "*.lng")) languages << Q(FileBaseName(file));
  ComboLingue->SetItems(languages);
  const auto language = std::find_if(languages.begin(), languages.end(),
                                     [](const QString& name) { return SameText(S(name), CurrentLanguage()); });
  ComboLingue->setCurrentIndex(language != languages.end() ? static_cast<int>(language - languages.begin())
                                                           : (languages.isEmpty() ? -1 : 0));

  TConfigurazione& config = UserConfig();
  CheckAiuti->SetChecked(config.ReadBool("General", "Hints", true));
  CheckHideOnVideo->SetChecked(config.ReadBool("General", "HideOnVideo", false));
  CheckTrayCommands->SetChecked(config.ReadBool("General", "TrayCommands", true));

  QStringList players;
  for (const std::string& name : PlayerEngineNames()) players << Q(name);
  ComboPlayers->SetItems(players);
  const std::string chosen = config.ReadString("General", "Player", "Default");
  const auto player = std::find_if(players.begin(), players.end(),
                                   [&](const QString& name) { return SameText(S(name), chosen); });
  ComboPlayers->setCurrentIndex(player != players.end() ? static_cast<int>(player - players.begin()) : 0);

  LoadColorScheme(this, CurrentSchemePath());
}

void TFormOpzioni::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TFormOpzioni::FormShow() {
  QStringList associations;
  for (const std::string& extension : main_->Associations()) associations << Q(extension);
  ListBoxAssociazioni->SetItems(associations);
  for (int row = 0; row < ListBoxAssociazioni->Count(); ++row) ListBoxAssociazioni->SetChecked(row, true);
  ShowHotKeyList();
}

void TFormOpzioni::ShowHotKeyList() {
  const StringList& lines = main_->HotKeyList();
  QStringList entries;
  for (const std::string& line : lines) entries << Q(BeforeLastSemicolon(line));
  ListBoxScorciatoie->SetItems(entries);
  for (int row = 0; row < static_cast<int>(lines.size()); ++row)
    ListBoxScorciatoie->SetChecked(row, HotKeyOn(lines[static_cast<size_t>(row)]));
}

bool TFormOpzioni::eventFilter(QObject* watched, QEvent* event) {
  // Escape on the hot-key list is a key like any other there (ignored), not the
  // window's cancel.
  if (watched == ListBoxScorciatoie && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
    return true;
  if (watched == ListBoxScorciatoie && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    pressedKey_ = VirtualKeyOfKeyEvent(*key);
    pressedModifiers_ = FlagsOf(key->modifiers());
  }
  if (event->type() == QEvent::KeyRelease) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!key->isAutoRepeat()) {
      if (watched == ListBoxScorciatoie) {
        // A modifier let go a moment before the key still counts: the combination is
        // the one held while the key went down and up.
        const uint8_t code = VirtualKeyOfKeyEvent(*key);
        uint16_t modifiers = FlagsOf(key->modifiers());
        if (code == pressedKey_) {
          modifiers |= pressedModifiers_;
          pressedKey_ = 0;
        }
        ListBoxScorciatoieKeyUp(code, modifiers);
      }
      if (watched == ListBoxAssociazioni) ListBoxAssociazioniKeyUp(VirtualKeyOfKeyEvent(*key));
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormOpzioni::ListBoxScorciatoieKeyUp(uint8_t keyCode, uint16_t modifiers) {
  const int row = ListBoxScorciatoie->ItemIndex();
  if (keyCode < 32 || keyCode > 126 || row < 0) return;
  const std::string entry = S(ListBoxScorciatoie->Rows()->Text(row));
  const std::string action = LeftOf(entry, "=");
  const std::string value = ShortCutToText(static_cast<TShortCut>(keyCode | modifiers)) + ";ON";
  StringList& lines = main_->HotKeyList();
  const auto line = std::find_if(lines.begin(), lines.end(),
                                 [&](const std::string& text) { return SameText(LeftOf(text, "=", true), action); });
  if (line == lines.end())
    lines.push_back(action + "=" + value);
  else
    *line = LeftOf(*line, "=", true) + "=" + value;
  ShowHotKeyList();
  // The entry just assigned stays selected, so the next key goes to the same action.
  for (int i = 0; i < ListBoxScorciatoie->Count(); ++i)
    if (SameText(LeftOf(S(ListBoxScorciatoie->Rows()->Text(i)), "="), action))
      ListBoxScorciatoie->setCurrentIndex(ListBoxScorciatoie->model()->index(i, 0));
}

void TFormOpzioni::BtnClearHotkeysClick() { ListBoxScorciatoie->SetItems(kDefaultHotKeys); }

void TFormOpzioni::BtnAggiungiAssociazioneClick() {
  if (extensionAskerForTesting_) {
    if (const auto text = extensionAskerForTesting_()) AppendAssociation(*text);
    return;
  }
  auto* dialog = new TFormNomeEstensione(this, [this](const QString& text) { AppendAssociation(text); });
  dialog->exec();
}

void TFormOpzioni::AppendAssociation(const QString& extension) { ListBoxAssociazioni->AddItem(extension); }

void TFormOpzioni::BtnTogliAssociazioneClick() {
  const std::vector<int> checked = ListBoxAssociazioni->Rows()->CheckedRows();
  QStringList kept;
  for (int row = 0; row < ListBoxAssociazioni->Count(); ++row)
    if (!std::binary_search(checked.begin(), checked.end(), row)) kept << ListBoxAssociazioni->Rows()->Text(row);
  ListBoxAssociazioni->SetItems(kept);  // the rows left were all unchecked
}

void TFormOpzioni::ListBoxAssociazioniKeyUp(int keyCode) {
  if (keyCode == vkDelete) BtnTogliAssociazioneClick();
}

void TFormOpzioni::BtnResetAssociationsClick() { ListBoxAssociazioni->SetItems(KnownMediaExtensions()); }

void TFormOpzioni::LblSuggerimentiClick(TLabel* label) {
  TFlatCheckBox* box = label == LblSuggerimenti  ? CheckAiuti
                       : label == LblHideOnVideo ? CheckHideOnVideo
                                                 : CheckTrayCommands;
  box->SetChecked(!box->Checked());
}

// ---------------------------------------------------------------------------------------
// Confirm, in its fixed order. A settings write that is refused throws IniWriteError: the
// steps after it are not done, the window stays open and the error box says why.

void TFormOpzioni::BtnConfermaClick() {
  try {
    ApplyAssociations();
    StoreHotKeys();
    ApplyChosenLanguage();
    RecreateEngine();
    StoreSwitches();
  } catch (const IniWriteError& error) {
    VombrelApplication::ShowException(error.what());
    return;
  }
  done(QDialog::Accepted);
}

void TFormOpzioni::ApplyAssociations() {
  try {
    const StringList previous = main_->Associations();
    for (const std::string& extension : previous) {
      UnregisterOpenAssociation(extension, ProgIdOf(extension));
      UnregisterEnqueueVerb(extension, ProgIdOf(extension), kEnqueueVerb);
    }
    StringList associations;
    const std::string exePath = ExecutablePath();
    for (int row = 0; row < ListBoxAssociazioni->Count(); ++row) {
      const std::string extension = S(ListBoxAssociazioni->Rows()->Text(row));
      associations.push_back(extension);
      if (!ListBoxAssociazioni->Checked(row)) continue;
      RegisterOpenAssociation(extension, ProgIdOf(extension), exePath);
      RegisterEnqueueVerb(extension, ProgIdOf(extension), exePath, kShellCommandApplication, kEnqueueVerb);
    }
    main_->SetAssociations(associations);
    if (ListBoxAssociazioni->Count() > 0) ClearExplorerOverrides(main_->Associations());
    std::string error;
    if (!WriteFileAtomically(UserDir() + "Associations.cfg", JoinLinesCrLf(main_->Associations()), &error))
      throw std::runtime_error(error);
  } catch (const std::exception&) {
    ShowTranslatedError("MSG_CANNOT_FILE_ASSOCIATIONS",
                        "Non è stato possibile impostare le associazioni file. L'utente potrebbe essere privo "
                        "delle autorizzazioni necessarie.",
                        "TTL_ERROR", "Errore");
  }
}

void TFormOpzioni::StoreHotKeys() {
  TConfigurazione& config = UserConfig();
  for (int row = 0; row < ListBoxScorciatoie->Count(); ++row) {
    const std::string entry = S(ListBoxScorciatoie->Rows()->Text(row));
    config.WriteString("HotKeys", LeftOf(entry, "=", true),
                       RightOf(entry, "=") + (ListBoxScorciatoie->Checked(row) ? ";ON" : ";OFF"));
  }
}

// The language applies to every open window at once (the main window, the video window
// and whatever else is open), so nothing shows two languages side by side.
void TFormOpzioni::ApplyChosenLanguage() {
  if (ComboLingue->currentIndex() < 0) return;
  SetCurrentLanguage(S(ComboLingue->currentText()));
  const std::string language = CurrentLanguage();
  ApplyLanguage(main_, language);
  if (TFormVideo* video = main_->VideoWindow()) ApplyLanguage(video, language);
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == main_ || window == main_->VideoWindow() || !window->isVisible()) continue;
    if (qobject_cast<QMenu*>(window) != nullptr || !window->objectName().startsWith("Form")) continue;
    // The lists of this window are working copies: translating them would refill them.
    if (window == this) continue;
    ApplyLanguage(window, language);
  }
  UserConfig().WriteString("General", "Language", language);
}

void TFormOpzioni::RecreateEngine() {
  if (TBasePlayer* engine = main_->Engine()) {
    try {
      if (IsActiveMode(engine->GetMode())) engine->Stop();
    } catch (...) {
      // An engine that fails to stop is destroyed all the same.
    }
  }
  if (TFormVideo* video = main_->VideoWindow(); video && video->isVisible()) video->hide();
  main_->DestroyPlayerEngine();
  const std::string name = S(ComboPlayers->currentText().isEmpty() ? QString("Default") : ComboPlayers->currentText());
  main_->CreatePlayerEngine(name);
  UserConfig().WriteString("General", "Player", name);
}

void TFormOpzioni::StoreSwitches() {
  SetHintsEnabled(CheckAiuti->Checked());
  TConfigurazione& config = UserConfig();
  config.WriteBool("General", "Hints", CheckAiuti->Checked());
  config.WriteBool("General", "HideOnVideo", CheckHideOnVideo->Checked());
  config.WriteBool("General", "TrayCommands", CheckTrayCommands->Checked());
}

void TFormOpzioni::BtnAnnullaClick() { done(QDialog::Rejected); }

void TFormOpzioni::ButtonCloseClick() { done(QDialog::Rejected); }

void TFormOpzioni::done(int result) {
  // Closing with Esc sends the window no close event: the position is stored here.
  try {
    FormPlacement->SavePlacement();
  } catch (const IniWriteError&) {
  }
  QDialog::done(result);
}

}  // namespace vombrel
