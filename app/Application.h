// The application object: its title, the message boxes of the whole program, and the
// standard error box for an exception that escapes an event handler (the program then
// goes on). User-interface thread only.
#pragma once

#include <QApplication>
#include <string_view>

#include "support/Supportmsg.h"

namespace vombrel {

inline constexpr const char* kApplicationTitle = "Vombrel Audio Player";

// Shows message boxes as QMessageBox windows with the flags' icon and buttons.
class QtMessageReporter : public MessageReporter {
 public:
  int Show(std::string_view text, std::string_view caption, unsigned flags) override;
};

class VombrelApplication : public QApplication {
  Q_OBJECT

 public:
  VombrelApplication(int& argc, char** argv);
  ~VombrelApplication() override;

  bool notify(QObject* receiver, QEvent* event) override;

  // The standard error box: the exception's message, the application title as caption.
  static void ShowException(std::string_view message);

 private:
  QtMessageReporter reporter_;
  MessageReporter* previousReporter_ = nullptr;
};

}  // namespace vombrel
