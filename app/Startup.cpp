#include "app/Startup.h"

#include <QGuiApplication>
#include <QPointer>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Commandpanel.h"
#include "app/Mainlogic.h"
#include "app/Mediacontrols.h"
#include "app/Shellintegration.h"
#include "app/Video.h"
#include "app/VombrelMain.h"
#include "platform/Handover.h"
#include "platform/Session.h"
#include "platform/Shellcmdserver.h"
#include "platform/Singleinstance.h"
#include "platform/X11hotkeys.h"
#include "players/Gstreamerstartup.h"
#include "players/Playerfactory.h"
#include "toolkit/Playerhost.h"

namespace vombrel {

namespace {

// The arguments as the program works with them: a file named relative to the working
// folder becomes an absolute path (switches keep theirs; the command-line walk resolves
// their files).
std::vector<std::string> ArgumentsOf(int argc, char** argv) {
  const std::string folder = WorkingFolder();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    arguments.push_back(IsSwitchArgument(argument) ? argument : AbsoluteFileArgument(argument, folder));
  }
  return arguments;
}

// A second start: the running instance is asked to come forward and given the first
// argument; nothing else happens, whether or not anyone listened. No application object
// with a user interface is made here, so the toolkit's own options are left out by hand.
int HandOver(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::vector<std::string> arguments = WithoutToolkitOptions(ArgumentsOf(argc, argv));
  ForwardToRunningInstance(arguments.empty() ? std::string_view() : std::string_view(arguments.front()));
  return 0;
}

}  // namespace

int RunVombrel(int argc, char** argv) {
  if (const auto status = RunShellClientIfAsked(argc, argv)) return *status;
  // Held for the whole life of the first instance; released when the process ends.
  const SingleInstanceLock lock;
  if (!lock.Acquired()) return HandOver(argc, argv);
  // The media framework comes up while the windows are built; the engine waits for it.
  PrepareGStreamerInBackground();

  ChooseWindowingPlatform();
  VombrelApplication app(argc, argv);
  // Taken after the application object has removed the toolkit's own options.
  const std::vector<std::string> arguments = ArgumentsOf(argc, argv);
  // Outlives the main window, whose hot keys give their combinations back through it.
  const std::unique_ptr<HotKeyRegistrar> hotKeys = CreateX11HotKeyRegistrar();
  SetHotKeyRegistrar(hotKeys.get());
  // The shell command service exists before any window; its topic from the main window on.
  ShellCommandServer shellCommands;
  shellCommands.Listen(ShellCommandServiceName(ExecutableFileName()));
  QtUiDispatcher dispatcher;
  QPointer<TFormVideo> video;
  // The video window is made after the main window; the engine asks for its panel at use.
  QtDisplayControl display([&video]() -> QWidget* { return video ? video->Panel : nullptr; });
  int status = 0;
  try {
    EngineFactory factory = [&](const std::string& name, NotifyHandler notify) {
      return CreatePlayerEngine(name, &display, dispatcher, std::move(notify));
    };
    TFormVombrel mainWindow(arguments, factory);
    app.SetMessageOwner(&mainWindow);
    MainShellCommands shellCmd(mainWindow, shellCommands);
    mainWindow.ProcessCommandLine();
    TFormVideo videoWindow(&mainWindow);
    video = &videoWindow;
    TFormCommandPanel commandPanel(&mainWindow);
    mainWindow.SetVideoWindow(&videoWindow);
    mainWindow.SetCommandPanel(&commandPanel);
    display.SetFullScreenClosedHandler([main = QPointer<TFormVombrel>(&mainWindow)] {
      if (main) main->FullScreenWindowClosed();
    });
    QObject::connect(&mainWindow, &TFormVombrel::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
    // A request to end from outside (a signal, the desktop session ending) closes the
    // main window as its close button does: settings written, playback stopped.
    TerminationRequests termination;
    QObject::connect(&termination, &TerminationRequests::terminationRequested, &mainWindow, &QWidget::close);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainWindow, &QWidget::close);
    HandOverServer handOver;
    QObject::connect(&handOver, &HandOverServer::messageReceived, &mainWindow,
                     [&mainWindow](const QString& name, int, const QByteArray& text) {
                       mainWindow.AppEventsMessage(name.toStdString(), text.toStdString());
                     });
    QObject::connect(&handOver, &HandOverServer::foregroundRequested, &mainWindow, &TFormVombrel::BringToForeground);
    handOver.Listen();
    MediaControls mediaControls(mainWindow);
    mainWindow.show();
    status = VombrelApplication::exec();
    video = nullptr;
  } catch (const std::exception& e) {
    VombrelApplication::ShowException(e.what());
  }
  SetHotKeyRegistrar(nullptr);
  return status;
}

}  // namespace vombrel
