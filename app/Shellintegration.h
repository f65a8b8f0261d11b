// The main window's shell command component "ShellCmd" on the shell command service, and
// the program's client mode that sends one command to a running instance.
#pragma once

#include <optional>

#include "shell/Shell_DDE.h"

namespace vombrel {

class TFormVombrel;
class ShellCommandServer;

// Lives as long as the main window: "Open" goes to ShellCmdCmdOpenFile, any other
// command to ShellCmdCmdCustom; the server executes its requests on it meanwhile.
class MainShellCommands {
 public:
  MainShellCommands(TFormVombrel& window, ShellCommandServer& server);
  ~MainShellCommands();
  MainShellCommands(const MainShellCommands&) = delete;
  MainShellCommands& operator=(const MainShellCommands&) = delete;

  TShellCommandInterface ShellCmd;

 private:
  ShellCommandServer& server_;
};

// "<program> --dde-execute <service> <command> [<file>]": sends the command and gives the
// exit status. nullopt for any other command line (the program starts as usual).
std::optional<int> RunShellClientIfAsked(int argc, char** argv);

}  // namespace vombrel
