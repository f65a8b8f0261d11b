#include "app/Commandpanel.h"

#include "app/VombrelMain.h"
#include "toolkit/Colorscheme.h"

namespace vombrel {

TFormCommandPanel::TFormCommandPanel(TFormVombrel* main)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool), main_(main) {
  setObjectName("FormCommandPanel");
  setWindowTitle("Command Panel");
  setFixedSize(347, 27);
  PnlComandi = new TPanel(this);
  PnlComandi->setObjectName("PnlComandi");
  PnlComandi->setGeometry(rect());
  Panel1 = new TPanel(PnlComandi);
  Panel1->setObjectName("Panel1");
  struct ButtonPlan {
    TFlatButton** button;
    const char* name;
    TGlyph glyph;
  };
  const ButtonPlan buttons[] = {
      {&BtnPlay, "BtnPlay", TGlyph::Play}, {&BtnPrev, "BtnPrev", TGlyph::Previous},
      {&BtnNext, "BtnNext", TGlyph::Next}, {&BtnPause, "BtnPause", TGlyph::Pause},
      {&BtnStop, "BtnStop", TGlyph::Stop}, {&BtnFullScreen, "BtnFullScreen", TGlyph::FullScreen}};
  int left = 2;
  for (const ButtonPlan& plan : buttons) {
    *plan.button = new TFlatButton(Panel1);
    (*plan.button)->setObjectName(QString::fromLatin1(plan.name));
    (*plan.button)->SetGlyph(plan.glyph);
    (*plan.button)->setGeometry(left, 4, 20, 19);
    left += 21;
  }
  Panel1->setGeometry(0, 0, left + 2, height());
  PnlTimeLine = new TPanel(PnlComandi);
  PnlTimeLine->setObjectName("PnlTimeLine");
  PnlTimeLine->setGeometry(Panel1->width(), 0, width() - Panel1->width(), height());
  PannelloPosizione = new TFlatPanel(PnlTimeLine);
  PannelloPosizione->setObjectName("PannelloPosizione");
  PannelloPosizione->setGeometry(4, 8, PnlTimeLine->width() - 8, 11);
  // A bar that shows nothing moving: the panel is up only for a moment.
  Posizione = new TFlatScrollbar(PannelloPosizione);
  Posizione->setObjectName("Posizione");
  Posizione->SetRange(0, 100);
  Posizione->SetHint("Indica la posizione all'interno della traccia");
  Posizione->setGeometry(-16, 0, PannelloPosizione->width() + 32, PannelloPosizione->height());

  connect(BtnPlay, &FlatControl::Click, this, [this] { Forward(&TFormVombrel::ButtonPlayClick); });
  connect(BtnPrev, &FlatControl::Click, this, [this] { Forward(&TFormVombrel::ButtonPrevClick); });
  connect(BtnNext, &FlatControl::Click, this, [this] { Forward(&TFormVombrel::ButtonNextClick); });
  connect(BtnStop, &FlatControl::Click, this, [this] { Forward(&TFormVombrel::ButtonStopClick); });
  connect(BtnPause, &FlatControl::Click, this, &TFormCommandPanel::BtnPauseClick);
  connect(BtnFullScreen, &FlatControl::Click, this, [this] { Forward(&TFormVombrel::ToggleFullScreen); });
}

void TFormCommandPanel::showEvent(QShowEvent* event) {
  LoadColorScheme(this, CurrentSchemePath());
  QWidget::showEvent(event);
}

void TFormCommandPanel::Forward(void (TFormVombrel::*action)()) {
  if (main_ != nullptr) (main_->*action)();
  hide();
}

// Pausing or resuming from the panel keeps the picture on the whole screen.
void TFormCommandPanel::BtnPauseClick() {
  Forward(&TFormVombrel::ButtonPauseClick);
  if (main_ == nullptr || main_->Engine() == nullptr) return;
  try {
    main_->Engine()->SetFullScreen(true);
  } catch (...) {
  }
}

}  // namespace vombrel
