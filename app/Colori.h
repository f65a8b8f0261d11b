// The colour scheme editor "Colori": pick a stored scheme, change any of the eleven
// colour roles by red, green and blue numbers or with the colour dialog, generate a
// random scheme, watch it on a small copy of the main window, save it under a name
// (the naming dialog) and confirm it as the scheme in force.
//
// The editor keeps no colours of its own: every change of a role goes into
// WorkingColors() at once, and stays there when the editor is cancelled.
// Threads: user-interface thread only. Ownership: a new editor is made for every opening
// (shown modally) and deletes itself when it closes; it owns its components.
#pragma once

#include <QColor>
#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "support/Supportaspetto.h"
#include "toolkit/Flatcontrols.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Formplacement.h"
#include "toolkit/Menuitems.h"

class QMenu;

namespace vombrel {

// Writes WorkingColors(), each resolved to red-green-blue, to the scheme file at `path`
// in the given order, replacing the file atomically. When the file cannot be written the
// file-creation error goes to the general error display, the old file stays as it was,
// and the answer is false.
bool WriteWorkingColors(const std::string& path, SchemeFileOrder order);

class TFormColori : public QDialog {
  Q_OBJECT

 public:
  // `mainWindow` is repainted on confirmation (and parents the editor).
  explicit TFormColori(QWidget* mainWindow);

  // Event handlers.
  void ListaCombinazioniChange();
  void ListaComponentiChange();
  void EditRedChange();
  void ButtonSceltaColoreClick();
  void BtnAutoColorClick();
  // Inverts the mark of the clicked random menu item; marking one clears the other.
  void PopRandomClick(QAction* item);
  void PannelloClick();
  void ButtonPlayClick();
  void TitlebarClick();
  void PosizioneFintoClick();
  void ThumbFintoClick();
  void PannelloInfoClick();
  void ButtonConfermaClick();
  void ButtonSalvaClick();
  void ButtonAnnullaClick();

  // Stores the colour in WorkingColors()[role] and repaints the preview parts of the role.
  void SetRoleColor(int role, TColor color);
  void FullRandomScheme();
  void GuidedRandomScheme();

  // For tests: the random source (RandomBelow by default) and the colour dialog (a
  // function given the dialog's starting colour, answering the chosen colour or nothing
  // when cancelled).
  void SetRandomSource(RandomBelowSource random) { random_ = std::move(random); }
  void SetColorChooserForTesting(std::function<std::optional<QColor>(const QColor&)> chooser) {
    colorChooserForTesting_ = std::move(chooser);
  }
  QMenu* RandomMenu() const { return MenuRandom; }

  // Components, named as the window's design names them (objectName is the same).
  TPanel* PannelloAnteprima = nullptr;
  TPanel* Titlebar = nullptr;
  TFlatPanel* PannelloFlat = nullptr;
  TPanel* Pannello = nullptr;
  TFlatPanel* PannelloInfo = nullptr;
  TLabel* LabelRiproduzione = nullptr;
  TLabel* Tempo = nullptr;
  TLabel* SeparatoreTempo = nullptr;
  TLabel* Durata = nullptr;
  TPanel* PannelloScorrimento = nullptr;
  TFlatPanel* PosizioneFinto = nullptr;
  TPanel* ThumbFinto = nullptr;
  TPanel* PannelloPulsanti = nullptr;
  TFlatButton* ButtonPlay = nullptr;
  TFlatButton* ButtonPrev = nullptr;
  TFlatButton* ButtonNext = nullptr;
  TFlatButton* ButtonPause = nullptr;
  TFlatButton* ButtonStop = nullptr;
  TFlatButton* ButtonSplash = nullptr;
  TPanel* PnlCombinazione = nullptr;
  TComboBox* ListaCombinazioni = nullptr;
  TSpeedButton* BtnAutoColor = nullptr;
  TSpeedButton* RxSpeedButton1 = nullptr;
  QMenu* MenuRandom = nullptr;
  TMenuItem* PopFullRandom = nullptr;
  TMenuItem* PopGuidedRandom = nullptr;
  TGroupBox* GroupComponenti = nullptr;
  TComboBox* ListaComponenti = nullptr;
  TLabel* LabelR = nullptr;
  TLabel* LabelG = nullptr;
  TLabel* LabelB = nullptr;
  TEdit* EditRed = nullptr;
  TEdit* EditGreen = nullptr;
  TEdit* EditBlue = nullptr;
  TSpeedButton* ButtonSceltaColore = nullptr;
  TPanel* PnlPulsanti = nullptr;
  TBitBtn* ButtonConferma = nullptr;
  TBitBtn* ButtonAnnulla = nullptr;
  TBitBtn* ButtonSalva = nullptr;
  TFormPlacement* FormPlacement = nullptr;

 public slots:
  // Every way of closing ends here (Annulla, Conferma, Esc, the window's close box).
  void done(int result) override;

 private:
  void BuildPreview();
  void BuildControls();
  void BuildRandomMenu();
  void ConnectHandlers();
  void FormCreate();
  void FormClose();
  // The six preview buttons, in the order the repaint table names them.
  std::array<TFlatButton*, 6> PreviewButtons() const;
  void SelectRole(int role);
  // The selected role, or nullopt when none is selected.
  std::optional<int> SelectedRole() const;
  // Sets the three fields from an explicit red-green-blue colour, red first.
  void ShowChannels(TColor rgb);
  // The scheme file an entry of the scheme list stands for.
  std::string SchemePathOfEntry(int entry) const;

  QWidget* mainWindow_;
  RandomBelowSource random_ = RandomBelow;
  QColor lastChosenColor_ = Qt::black;
  std::function<std::optional<QColor>(const QColor&)> colorChooserForTesting_;
};

}  // namespace vombrel
