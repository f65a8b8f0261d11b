// The options window "Opzioni": interface language, player engine, three general
// switches, the global hot keys of the playback actions and the file extensions the
// program registers itself for. Nothing is stored until Conferma; then the associations
// are re-registered, every setting is written, the engine is made again and the
// language applied, and the main window reloads its settings (it looks at the result).
//
// The hot-key list writes through to the main window's HotKeyList as soon as a key is
// pressed on an entry; the association list is a working copy until Conferma.
// Threads: user-interface thread only. Ownership: a new window for every opening, shown
// modally; it deletes itself when it closes and owns its components.
#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "support/Supportstring.h"
#include "toolkit/Flatcontrols.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Formplacement.h"

class QKeyEvent;

namespace vombrel {

class TFormVombrel;

// The virtual-key code of a pressed key as the shortcut texts name it: the key's symbol
// on the current X layout when Qt runs on X11 (unshifted, else shifted), so the hot key
// grabs the very key that was pressed; else Qt's key (letters, digits, keypad digits,
// F1-F24, the named keys; 16/17/18 for Shift/Ctrl/Alt alone).
// 0 for a key without a code.
uint8_t VirtualKeyOfKeyEvent(const QKeyEvent& event);

// The known media extensions, in the order the reset button appends them.
QStringList KnownMediaExtensions();

class TFormOpzioni : public QDialog {
  Q_OBJECT

 public:
  explicit TFormOpzioni(TFormVombrel* mainWindow);

  void FormCreate();
  void FormShow();
  // Runs the six steps; the window stays open when a settings write is refused.
  void BtnConfermaClick();
  void BtnAnnullaClick();
  void ButtonCloseClick();
  void BtnAggiungiAssociazioneClick();
  void BtnTogliAssociazioneClick();
  void BtnResetAssociationsClick();
  void ListBoxAssociazioniKeyUp(int keyCode);
  // A key released on the hot-key list: code and the Shift/Ctrl/Alt flags (scShift...).
  void ListBoxScorciatoieKeyUp(uint8_t keyCode, uint16_t modifiers);
  void BtnClearHotkeysClick();
  void LblSuggerimentiClick(TLabel* label);

  // The extension dialog's Conferma: a new unchecked entry at the end of the list.
  void AppendAssociation(const QString& extension);

  // For tests: the extension dialog is replaced by a function giving the typed text, or
  // nothing when it is cancelled.
  void SetExtensionAskerForTesting(std::function<std::optional<QString>()> asker) {
    extensionAskerForTesting_ = std::move(asker);
  }

  TFlatTitlebar* BarraTitolo = nullptr;
  TFlatButton* ButtonClose = nullptr;
  TPanel* PannelloOpzioni = nullptr;
  TLabel* LblAssocia = nullptr;
  TFlatCheckListBox* ListBoxAssociazioni = nullptr;
  TFlatButton* BtnResetAssociations = nullptr;
  TFlatButton* BtnTogliAssociazione = nullptr;
  TFlatButton* BtnAggiungiAssociazione = nullptr;
  TLabel* LblScorciatoie = nullptr;
  TFlatCheckListBox* ListBoxScorciatoie = nullptr;
  TFlatButton* BtnClearHotkeys = nullptr;
  TLabel* LblLingua = nullptr;
  TFlatComboBox* ComboLingue = nullptr;
  TLabel* LblPlayer = nullptr;
  TFlatComboBox* ComboPlayers = nullptr;
  TFlatCheckBox* CheckAiuti = nullptr;
  TLabel* LblSuggerimenti = nullptr;
  TFlatCheckBox* CheckHideOnVideo = nullptr;
  TLabel* LblHideOnVideo = nullptr;
  TFlatCheckBox* CheckTrayCommands = nullptr;
  TLabel* LblTrayCommands = nullptr;
  TBitBtn* BtnAnnulla = nullptr;
  TBitBtn* BtnConferma = nullptr;
  TFormPlacement* FormPlacement = nullptr;

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void ConnectHandlers();
  void ShowHotKeyList();
  void ApplyAssociations();
  void StoreHotKeys();
  void ApplyChosenLanguage();
  void RecreateEngine();
  void StoreSwitches();

  TFormVombrel* main_;
  // The key last pressed on the hot-key list and the modifiers held then.
  uint8_t pressedKey_ = 0;
  uint16_t pressedModifiers_ = 0;
  std::function<std::optional<QString>()> extensionAskerForTesting_;
};

}  // namespace vombrel
