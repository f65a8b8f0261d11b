// The about box: caption "Autore", centred on the screen, an "OK" button and a scrolling
// credits panel whose first lines name the program and its version. Shown modally; it
// frees itself when closed.
#pragma once

#include <QDialog>

#include "toolkit/Flatcontrols.h"

namespace vombrel {

inline constexpr const char* kVombrelVersion = "0.8.3";

class TFormAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAboutBox(QWidget* parent = nullptr);

  TSecretPanel* Credits = nullptr;
  TFlatButton* BtnOK = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace vombrel
