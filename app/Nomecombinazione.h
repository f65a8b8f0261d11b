// The naming dialog "Inserisci nome combinazione": saves the colours being edited
// (WorkingColors()) as the named scheme "Colors/<name>.clr", replacing a scheme of that
// name without asking. Not modal; the scheme editor opens it.
// Threads: user-interface thread only. Ownership: deletes itself when it closes.
#pragma once

#include <QDialog>

#include "toolkit/Flatcontrols.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Formplacement.h"

namespace vombrel {

class TFormNomeCombinazione : public QDialog {
  Q_OBJECT

 public:
  explicit TFormNomeCombinazione(QWidget* parent);

  void FormShow();
  // Writes the scheme and closes; a name that would lead out of the "Colors" folder, or
  // a file that cannot be written, shows an error and leaves the dialog open.
  void ButtonConfermaClick();
  void ButtonAnnullaClick();

  TLabel* LabelNome = nullptr;
  TEdit* EditNomeCombinazione = nullptr;
  TBitBtn* ButtonConferma = nullptr;
  TBitBtn* ButtonAnnulla = nullptr;
  TFormPlacement* FormPlacement = nullptr;

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace vombrel
