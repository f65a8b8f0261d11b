// How the program meets the desktop session: the windowing platform it asks the toolkit
// for, and the requests to end that come from outside the program (termination signals).
//
// Threads: ChooseWindowingPlatform runs before the application object exists; the
// termination requests are delivered on the user-interface thread.
#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace vombrel {

enum class PlatformChoice {
  UserChoice,  // QT_QPA_PLATFORM is set: the user's choice stands
  X11,         // an X display is named: the toolkit is asked for its X11 platform
  NoXServer,   // none is: the toolkit chooses, and the program says so once
};

// The decision alone, from the values of QT_QPA_PLATFORM and DISPLAY (null when unset).
PlatformChoice DecideWindowingPlatform(const char* userPlatform, const char* display);

// Window placement, docking, the global hot keys, the tray icon's quarters and the video
// picture all need X11 (on Wayland desktops through XWayland, which names its display in
// DISPLAY). Before the application object is made: sets QT_QPA_PLATFORM to "xcb" unless
// the user set it, and writes one line to standard error when there is no X display. No
// connection is tried here: the toolkit makes the one the program uses.
PlatformChoice ChooseWindowingPlatform();

// SIGTERM, SIGINT and SIGHUP become a signal on the user-interface thread, so the program
// ends through its normal close sequence instead of dying. One object at a time; the
// default handling comes back when it is destroyed.
class TerminationRequests : public QObject {
  Q_OBJECT

 public:
  explicit TerminationRequests(QObject* parent = nullptr);
  ~TerminationRequests() override;

 signals:
  void terminationRequested(int signalNumber);

 private:
  void ReadPending();

  int fds_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vombrel
