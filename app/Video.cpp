#include "app/Video.h"

#include <QCloseEvent>

#include "app/VombrelMain.h"
#include "support/Supportlanguage.h"
#include "toolkit/Translation.h"

namespace vombrel {

TFormVideo::TFormVideo(TFormVombrel* main) : QWidget(nullptr, Qt::FramelessWindowHint), main_(main) {
  setObjectName("FormVideo");
  setWindowTitle("Video");
  resize(688, 316);
  Panel = new TPanel(this);
  Panel->setObjectName("Panel");
  Panel->setGeometry(rect());
  Panel->SetColor(Qt::black);
  // The engine draws into the panel's own native window.
  Panel->setAttribute(Qt::WA_NativeWindow);
}

void TFormVideo::showEvent(QShowEvent* event) {
  if (!CurrentLanguage().empty()) ApplyLanguage(this, CurrentLanguage());
  QWidget::showEvent(event);
}

void TFormVideo::closeEvent(QCloseEvent* event) {
  // The window is hidden, not destroyed; playback of the picture ends with it.
  event->accept();
  if (TBasePlayer* engine = main_->Engine()) {
    try {
      engine->Stop();
    } catch (...) {
    }
  }
  main_->ShowMainIfHidden();
}

}  // namespace vombrel
