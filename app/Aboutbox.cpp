#include "app/Aboutbox.h"

#include <QGuiApplication>
#include <QScreen>

#include "support/Supportlanguage.h"
#include "toolkit/Translation.h"

namespace vombrel {

TFormAboutBox::TFormAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("FormAboutBox");
  setWindowTitle("Autore");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(260, 120);
  Credits = new TSecretPanel(this);
  Credits->setObjectName("Credits");
  Credits->setGeometry(10, 10, 240, 60);
  BtnOK = new TFlatButton(this);
  BtnOK->setObjectName("BtnOK");
  BtnOK->SetCaption("OK");
  BtnOK->setGeometry(95, 82, 70, 24);
  connect(BtnOK, &FlatControl::Click, this, &QDialog::accept);
}

void TFormAboutBox::showEvent(QShowEvent* event) {
  if (!CurrentLanguage().empty()) ApplyLanguage(this, CurrentLanguage());
  Credits->SetLines({"Vombrel Audio Player", QString("Versione ") + kVombrelVersion});
  Credits->SetActive(true);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) move(screen->geometry().center() - rect().center());
  QDialog::showEvent(event);
}

}  // namespace vombrel
