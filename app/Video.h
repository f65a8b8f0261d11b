// The video window, as far as playback needs it now: a borderless window holding the
// display panel the engines draw into, shown for files with a picture and closed for
// audio files. Closing it stops the engine and brings the main window back.
// User-interface thread only; created at start-up and kept (hidden) until the end.
#pragma once

#include <QWidget>

#include "toolkit/Flatcontrols.h"

namespace vombrel {

class TFormVombrel;

class TFormVideo : public QWidget {
  Q_OBJECT

 public:
  explicit TFormVideo(TFormVombrel* main);

  // The display area handed to the engine.
  TPanel* Panel = nullptr;

  // The video window's position bar; follows the main window's.
  void SetPosition(int percent) { position_ = percent; }
  int Position() const { return position_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  TFormVombrel* main_;
  int position_ = 0;
};

}  // namespace vombrel
