// The floating command panel of full-screen playback: borderless, on top, a row of six
// buttons and a position bar that nothing moves. The main window shows and places it
// while the pointer is at the bottom of the screen; every button acts on the main window
// and then hides the panel. User-interface thread only; made hidden at start-up.
#pragma once

#include <QWidget>

#include "toolkit/Flatcontrols.h"
#include "toolkit/Flatscrollbar.h"

namespace vombrel {

class TFormVombrel;

class TFormCommandPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TFormCommandPanel(TFormVombrel* main = nullptr);
  void SetMainWindow(TFormVombrel* main) { main_ = main; }

  TPanel* PnlComandi = nullptr;
  TPanel* Panel1 = nullptr;
  TFlatButton* BtnPlay = nullptr;
  TFlatButton* BtnPrev = nullptr;
  TFlatButton* BtnNext = nullptr;
  TFlatButton* BtnPause = nullptr;
  TFlatButton* BtnStop = nullptr;
  TFlatButton* BtnFullScreen = nullptr;
  TPanel* PnlTimeLine = nullptr;
  TFlatPanel* PannelloPosizione = nullptr;
  TFlatScrollbar* Posizione = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Runs the main window's action, then hides the panel.
  void Forward(void (TFormVombrel::*action)());
  void BtnPauseClick();

  TFormVombrel* main_;
};

}  // namespace vombrel
