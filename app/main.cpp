// Entry point. For now it opens the empty main window; the windows fill it.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vombrel Audio Player");
  QWidget mainWindow;
  mainWindow.setObjectName("FormVombrel");
  mainWindow.setWindowTitle("Vombrel");
  mainWindow.setWindowFlag(Qt::FramelessWindowHint);
  mainWindow.resize(252, 322);
  mainWindow.show();
  return QApplication::exec();
}
