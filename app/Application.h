// The application object: its title, the message boxes of the whole program, and the
// standard error box for an exception that escapes an event handler (the program then
// goes on). User-interface thread only.
#pragma once

#include <QApplication>
#include <QPointer>
#include <string_view>

#include "support/Supportmsg.h"

namespace vombrel {

inline constexpr const char* kApplicationTitle = "Vombrel Audio Player";

// Shows message boxes as QMessageBox windows with the flags' icon and buttons. The boxes
// belong to the owner window (the main window once it exists) and stay on top, so they
// open over the player, not behind a full-screen picture or a window kept on top.
class QtMessageReporter : public MessageReporter {
 public:
  int Show(std::string_view text, std::string_view caption, unsigned flags) override;
  void SetOwner(QWidget* owner) { owner_ = owner; }

 private:
  QPointer<QWidget> owner_;
};

class VombrelApplication : public QApplication {
  Q_OBJECT

 public:
  VombrelApplication(int& argc, char** argv);
  ~VombrelApplication() override;

  bool notify(QObject* receiver, QEvent* event) override;

  // The standard error box: the exception's message, the application title as caption.
  static void ShowException(std::string_view message);
  // The window that owns the program's message boxes.
  void SetMessageOwner(QWidget* owner) { reporter_.SetOwner(owner); }

 private:
  QtMessageReporter reporter_;
  MessageReporter* previousReporter_ = nullptr;
};

}  // namespace vombrel
