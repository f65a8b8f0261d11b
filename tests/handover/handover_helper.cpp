// Behaves like the program's entry point for the lock and the hand-over, with a playlist
// model in place of the main window, so tests and the benchmark can run two real
// processes.
//
//   vombrel_handover_helper [argument]   first start: listens and prints what it receives;
//                                         second start: forwards the argument and ends.
//   vombrel_handover_helper --send NAME WPARAM TEXT   sends one raw message.
//
// The first instance prints "ready <socket path>", then for every request
// "foreground" or "message <name> wparam=<n> autoplay=<0|1> index=<i> entries=<a|b|...>".
// The user data folder is $VOMBREL_TEST_USER_DIR when set.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Handover.h"
#include "playlist/Playlistfiles.h"
#include "playlist/Playlisthandover.h"
#include "playlist/Playlistmodel.h"
#include "support/Supportfiles.h"

using namespace vombrel;

namespace {

void PrintLine(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string Joined(const StringList& entries) {
  std::string joined;
  for (const auto& entry : entries) joined += (joined.empty() ? "" : "|") + entry;
  return joined;
}

int RunFirstInstance(int argc, char** argv, const std::string& argument) {
  QCoreApplication app(argc, argv);
  if (const char* userDir = std::getenv("VOMBREL_TEST_USER_DIR")) SetUserDirChoice(userDir);
  PlaylistModel playlist;
  if (!argument.empty()) {
    if (IsPlaylistFile(argument))
      playlist.LoadPlaylistFile(argument);
    else
      playlist.Entries = {argument};
  }
  HandOverServer server;
  QObject::connect(&server, &HandOverServer::foregroundRequested, [] { PrintLine("foreground"); });
  QObject::connect(
      &server, &HandOverServer::messageReceived, [&](const QString& name, int wParam, const QByteArray& text) {
        const auto message = HandOverMessageFromName(name.toStdString());
        const bool autoplay = message && ApplyHandOverMessage(playlist, *message, text.toStdString()).autoplay;
        PrintLine("message " + name.toStdString() + " wparam=" + std::to_string(wParam) +
                  " autoplay=" + (autoplay ? "1" : "0") + " index=" + std::to_string(playlist.CurrentIndex) +
                  " entries=" + Joined(playlist.Entries));
      });
  if (!server.Listen()) {
    PrintLine("listen-failed");
    return 1;
  }
  PrintLine("ready " + server.ServerPath());
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--send") {
    const bool sent = HandOverToRunningInstance(argv[2], std::atoi(argv[3]), argv[4]);
    PrintLine(sent ? "sent" : "no-instance");
    return 0;
  }
  const std::string argument = argc > 1 ? argv[1] : "";
  SingleInstanceLock lock;
  if (!lock.Acquired()) {
    PrintLine(ForwardToRunningInstance(argument) ? "forwarded" : "no-instance");
    return 0;
  }
  return RunFirstInstance(argc, argv, argument);
}
