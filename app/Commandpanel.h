// The floating command panel of full-screen playback. It is created hidden at start-up
// and stays empty until the full-screen controls are built on it.
#pragma once

#include <QWidget>

namespace vombrel {

class TFormCommandPanel : public QWidget {
  Q_OBJECT

 public:
  TFormCommandPanel();
};

}  // namespace vombrel
