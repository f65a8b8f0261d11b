#include "app/Commandpanel.h"

namespace vombrel {

TFormCommandPanel::TFormCommandPanel()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool) {
  setObjectName("FormCommandPanel");
  setWindowTitle("Command Panel");
  resize(347, 27);
}

}  // namespace vombrel
