#include "app/Application.h"

#include <QMessageBox>
#include <exception>

namespace vombrel {

namespace {

QMessageBox::Icon IconOf(unsigned flags) {
  switch (flags & 0xF0u) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

int QtMessageReporter::Show(std::string_view text, std::string_view caption, unsigned flags) {
  QMessageBox box(IconOf(flags), QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                  QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::NoButton, owner_);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  switch (flags & 0x0Fu) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
  }
  switch (box.exec()) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
  }
}

VombrelApplication::VombrelApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The main window's caption stays exactly "Vombrel" (no display name appended); the
  // application title captions the program's message boxes.
  setApplicationName("vombrel");
  setQuitOnLastWindowClosed(false);
  previousReporter_ = SetMessageReporter(&reporter_);
}

VombrelApplication::~VombrelApplication() { SetMessageReporter(previousReporter_); }

bool VombrelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(e.what());
  } catch (...) {
    ShowException("Unknown error");
  }
  return false;
}

void VombrelApplication::ShowException(std::string_view message) {
  ShowMessageBox(message, kApplicationTitle, MB_OK | MB_ICONERROR);
}

}  // namespace vombrel
