// The extension dialog "Estensione": one new extension for the options window's
// association list. Conferma hands the text over exactly as typed and closes; Annulla
// only closes. Threads: user-interface thread only. Ownership: deletes itself when it
// closes.
#pragma once

#include <QDialog>
#include <functional>

#include "toolkit/Flatcontrols.h"
#include "toolkit/Flatlists.h"
#include "toolkit/Formplacement.h"

namespace vombrel {

class TFormNomeEstensione : public QDialog {
  Q_OBJECT

 public:
  // `confirmed` receives the typed text when Conferma is pressed.
  TFormNomeEstensione(QWidget* parent, std::function<void(const QString&)> confirmed);

  void FormShow();
  void ButtonConfermaClick();
  void ButtonAnnullaClick();

  TLabel* LabelEstensione = nullptr;
  TEdit* EditEstensione = nullptr;
  TBitBtn* ButtonConferma = nullptr;
  TBitBtn* ButtonAnnulla = nullptr;
  TFormPlacement* FormPlacement = nullptr;

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::function<void(const QString&)> confirmed_;
};

}  // namespace vombrel
