#include "app/Nomecombinazione.h"

#include "app/Colori.h"
#include "app/Colorilayout.h"
#include "support/Configurazione.h"
#include "support/Supportaspetto.h"
#include "support/Supportfiles.h"
#include "support/Supportlanguage.h"
#include "toolkit/Components.h"
#include "toolkit/Translation.h"

namespace vombrel {

namespace cl = colorilayout;

TFormNomeCombinazione::TFormNomeCombinazione(QWidget* parent) : QDialog(parent) {
  setObjectName("FormNomeCombinazione");
  setWindowTitle("Inserisci nome combinazione");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(cl::kNomeWidth, cl::kNomeHeight);
  LabelNome = MakeComponent<TLabel>(this, "LabelNome");
  LabelNome->SetCaption("Nome combinazione");
  LabelNome->setGeometry(cl::kLabelNome);
  EditNomeCombinazione = MakeComponent<TEdit>(this, "EditNomeCombinazione");
  EditNomeCombinazione->setGeometry(cl::kEditNomeCombinazione);
  auto button = [this](TBitBtn*& target, const char* name, const char* caption, const char* hint, QRect geometry) {
    target = MakeComponent<TBitBtn>(this, name);
    target->SetCaption(QString::fromUtf8(caption));
    target->SetHint(QString::fromUtf8(hint));
    target->setGeometry(geometry);
  };
  button(ButtonConferma, "ButtonConferma", "Conferma", "Conferma l'inserimento della nuova combinazione",
         cl::kNomeButtonConferma);
  button(ButtonAnnulla, "ButtonAnnulla", "Annulla", "Annulla l'inserimento della nuova combinazione",
         cl::kNomeButtonAnnulla);
  connect(ButtonConferma, &FlatControl::Click, this, &TFormNomeCombinazione::ButtonConfermaClick);
  connect(ButtonAnnulla, &FlatControl::Click, this, &TFormNomeCombinazione::ButtonAnnullaClick);
  connect(EditNomeCombinazione, &QLineEdit::returnPressed, this, &TFormNomeCombinazione::ButtonConfermaClick);
  FormPlacement = MakeComponent<TFormPlacement>(this, "FormPlacement");
  BindFormPlacement(UserConfig(), FormPlacement, this);
}

void TFormNomeCombinazione::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TFormNomeCombinazione::FormShow() {
  if (!CurrentLanguage().empty()) ApplyLanguage(this, CurrentLanguage());
}

void TFormNomeCombinazione::ButtonConfermaClick() {
  const std::string name = EditNomeCombinazione->text().toStdString();
  if (!IsSchemeNameInsideFolder(name)) {
    ShowTranslatedError("MSG_WRONGSCHEMENAME", "Il nome della combinazione non può contenere il carattere \"/\".",
                        "TTL_ERRORE", "Errore");
    return;
  }
  if (!WriteWorkingColors(UserSubDir("Colors") + name + ".clr", SchemeFileOrder::Named)) return;
  close();
}

void TFormNomeCombinazione::ButtonAnnullaClick() { close(); }

void TFormNomeCombinazione::done(int result) {
  // Closing with Esc sends the window no close event: the position is stored here.
  try {
    FormPlacement->SavePlacement();
  } catch (const IniWriteError&) {
  }
  QDialog::done(result);
}

}  // namespace vombrel
