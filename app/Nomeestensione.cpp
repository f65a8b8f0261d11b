#include "app/Nomeestensione.h"

#include "support/Configurazione.h"
#include "support/Supportlanguage.h"
#include "toolkit/Components.h"
#include "toolkit/Translation.h"

namespace vombrel {

TFormNomeEstensione::TFormNomeEstensione(QWidget* parent, std::function<void(const QString&)> confirmed)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), confirmed_(std::move(confirmed)) {
  setObjectName("FormNomeEstensione");
  setWindowTitle("Estensione");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(183, 83);
  LabelEstensione = MakeComponent<TLabel>(this, "LabelEstensione");
  LabelEstensione->SetCaption("Estensione");
  LabelEstensione->setGeometry(8, 8, 167, 16);
  EditEstensione = MakeComponent<TEdit>(this, "EditEstensione");
  EditEstensione->setGeometry(8, 26, 167, 21);
  ButtonConferma = MakeComponent<TBitBtn>(this, "ButtonConferma");
  ButtonConferma->SetCaption("Conferma");
  ButtonConferma->setGeometry(8, 54, 80, 23);
  ButtonAnnulla = MakeComponent<TBitBtn>(this, "ButtonAnnulla");
  ButtonAnnulla->SetCaption("Annulla");
  ButtonAnnulla->setGeometry(95, 54, 80, 23);
  connect(ButtonConferma, &FlatControl::Click, this, &TFormNomeEstensione::ButtonConfermaClick);
  connect(ButtonAnnulla, &FlatControl::Click, this, &TFormNomeEstensione::ButtonAnnullaClick);
  connect(EditEstensione, &QLineEdit::returnPressed, this, &TFormNomeEstensione::ButtonConfermaClick);
  FormPlacement = MakeComponent<TFormPlacement>(this, "FormPlacement");
  BindFormPlacement(UserConfig(), FormPlacement, this);
}

void TFormNomeEstensione::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TFormNomeEstensione::FormShow() {
  if (!CurrentLanguage().empty()) ApplyLanguage(this, CurrentLanguage());
}

void TFormNomeEstensione::ButtonConfermaClick() {
  if (confirmed_) confirmed_(EditEstensione->text());
  accept();
}

void TFormNomeEstensione::ButtonAnnullaClick() { reject(); }

void TFormNomeEstensione::done(int result) {
  // Closing with Esc sends the window no close event: the position is stored here.
  try {
    FormPlacement->SavePlacement();
  } catch (const IniWriteError&) {
  }
  QDialog::done(result);
}

}  // namespace vombrel
