#include "app/Startup.h"

#include <QPointer>
#include <exception>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Commandpanel.h"
#include "app/Mediacontrols.h"
#include "app/Video.h"
#include "app/VombrelMain.h"
#include "platform/Handover.h"
#include "platform/Singleinstance.h"
#include "players/Playerfactory.h"
#include "toolkit/Playerhost.h"

namespace vombrel {

namespace {

std::vector<std::string> ArgumentsOf(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}


// A second start: the running instance is asked to come forward and given the first
// argument; nothing else happens, whether or not anyone listened.
int HandOver(int argc, char** argv, const std::vector<std::string>& arguments) {
  QCoreApplication app(argc, argv);
  ForwardToRunningInstance(arguments.empty() ? std::string_view() : std::string_view(arguments.front()));
  return 0;
}

}  // namespace

int RunVombrel(int argc, char** argv) {
  const std::vector<std::string> arguments = ArgumentsOf(argc, argv);
  // Held for the whole life of the first instance; released when the process ends.
  const SingleInstanceLock lock;
  if (!lock.Acquired()) return HandOver(argc, argv, arguments);

  VombrelApplication app(argc, argv);
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
    mainWindow.ProcessCommandLine();
    TFormVideo videoWindow(&mainWindow);
    video = &videoWindow;
    TFormCommandPanel commandPanel;
    mainWindow.SetVideoWindow(&videoWindow);
    mainWindow.SetCommandPanel(&commandPanel);
    QObject::connect(&mainWindow, &TFormVombrel::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
    HandOverServer handOver;
    QObject::connect(&handOver, &HandOverServer::messageReceived, &mainWindow,
                     [&mainWindow](const QString& name, int, const QByteArray& text) {
                       mainWindow.AppEventsMessage(name.toStdString(), text.toStdString());
                     });
    QObject::connect(&handOver, &HandOverServer::foregroundRequested, &mainWindow,
                     &TFormVombrel::BringToForeground);
    handOver.Listen();
    MediaControls mediaControls(mainWindow);
    mainWindow.show();
    status = VombrelApplication::exec();
    video = nullptr;
  } catch (const std::exception& e) {
    VombrelApplication::ShowException(e.what());
  }
  return status;
}

}  // namespace vombrel
