// The shell command component "ShellCmd" of the main window, and the execute strings
// it takes.
//
// Commands reach the main window from two sides: the program's command line, and
// execute strings sent by the desktop's "Enqueue in Vombrel" action through the shell
// command server (platform/Shellcmdserver.h). Both end in Dispatch. Qt-free; used on the
// user-interface thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "support/Supportstring.h"

namespace vombrel {

// The topic the component serves; also its name.
inline constexpr std::string_view kShellCommandTopic = "ShellCmd";

// One command of an execute string: item 1, item 2 (empty when absent), items 3 and
// later joined with single blanks.
struct ShellExecuteCommand {
  std::string command;
  std::string file;
  std::string option;
  bool operator==(const ShellExecuteCommand&) const = default;
};

// The lines of an execute string, split at CR LF, LF or CR.
StringList ExecuteStringLines(std::string_view text);

// A line longer than two characters that starts with "[" and ends with "]": its inside
// split by the comma-text rule into command, file and option. nullopt for any other line
// and for a bracketed line without items.
std::optional<ShellExecuteCommand> ParseExecuteLine(std::string_view line);

// True when the line is bracketed as above (with or without items).
bool IsBracketedExecuteLine(std::string_view line);

class TShellCommandInterface {
 public:
  using FileEvent = std::function<void(const std::string& file, const std::string& option)>;
  using CustomEvent =
      std::function<void(const std::string& command, const std::string& file, const std::string& option)>;

  FileEvent OnCmdOpenFile;
  FileEvent OnCmdNewFile;
  FileEvent OnCmdPrintFile;
  FileEvent OnCmdPrintFileTo;
  CustomEvent OnCmdCustom;
  std::function<void(const std::string& switchText)> OnCommandSwitch;
  // Lines of an execute string that no handler took; unset in this program, so they
  // are dropped.
  std::function<void(const std::string& line)> OnExecute;

  // Present for the component's users; the program uses none of these.
  bool AutoProcessCommandLine = true;
  StringList FileAssociations;
  std::string BlankStartOption;

  // "Open" to OnCmdOpenFile; "New", "Print", "PrintTo" to their events; anything not
  // taken so far to OnCmdCustom. Command names compare without regard to case. True
  // when a handler took it; an exception thrown by a handler is swallowed and the
  // command counts as not handled.
  bool Dispatch(const std::string& command, const std::string& file, const std::string& option);

  // Runs every command line of an execute string in order; unbracketed lines and lines
  // no handler took go to OnExecute. Returns how many commands a handler took.
  int Execute(std::string_view executeString);
};

}  // namespace vombrel
