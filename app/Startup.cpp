#include "app/Startup.h"

#include <QGuiApplication>
#include <QPointer>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Commandpanel.h"
#include "app/Mediacontrols.h"
#include "app/Programarguments.h"
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

int RunVombrel(int argc, char** argv, int lockDescriptor) {
  if (const auto status = RunShellClientIfAsked(argc, argv)) return *status;
  // The first instance; a second start has handed over in the launcher already.
  if (lockDescriptor < 0) {
    std::fprintf(stderr, "%s: the single-instance lock is not held\n", argc > 0 ? argv[0] : "vombrel");
    return 1;
  }
  // The media framework comes up while the windows are built; the engine waits for it.
  PrepareGStreamerInBackground();

  ChooseWindowingPlatform();
  VombrelApplication app(argc, argv);
  // Taken after the application object has removed the toolkit's own options.
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
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
