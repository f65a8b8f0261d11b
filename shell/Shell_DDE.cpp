#include "shell/Shell_DDE.h"

#include "support/Configurazione.h"

namespace vombrel {

namespace {

// Calls the handler when it is set; false when unset or when it threw.
template <typename Handler, typename... Arguments>
bool Call(const Handler& handler, const Arguments&... arguments) {
  if (!handler) return false;
  try {
    handler(arguments...);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

StringList ExecuteStringLines(std::string_view text) {
  StringList lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

bool IsBracketedExecuteLine(std::string_view line) {
  return line.size() > 2 && line.front() == '[' && line.back() == ']';
}

std::optional<ShellExecuteCommand> ParseExecuteLine(std::string_view line) {
  if (!IsBracketedExecuteLine(line)) return std::nullopt;
  const StringList items = SplitCommaText(line.substr(1, line.size() - 2));
  if (items.empty()) return std::nullopt;
  ShellExecuteCommand result{items[0], items.size() > 1 ? items[1] : std::string(), {}};
  for (std::size_t i = 2; i < items.size(); ++i) {
    if (i > 2) result.option += ' ';
    result.option += items[i];
  }
  return result;
}

bool TShellCommandInterface::Dispatch(const std::string& command, const std::string& file, const std::string& option) {
  // A handler that throws ends the dispatch: the command is then not handled.
  if (SameText(command, "Open") && OnCmdOpenFile) return Call(OnCmdOpenFile, file, option);
  if (SameText(command, "New") && OnCmdNewFile) return Call(OnCmdNewFile, file, option);
  if (SameText(command, "Print") && OnCmdPrintFile) return Call(OnCmdPrintFile, file, option);
  if (SameText(command, "PrintTo") && OnCmdPrintFileTo) return Call(OnCmdPrintFileTo, file, option);
  return Call(OnCmdCustom, command, file, option);
}

int TShellCommandInterface::Execute(std::string_view executeString) {
  int handled = 0;
  for (const std::string& line : ExecuteStringLines(executeString)) {
    const auto command = ParseExecuteLine(line);
    if (command && Dispatch(command->command, command->file, command->option)) {
      ++handled;
      continue;
    }
    // A bracketed line without items is skipped; every other line goes on.
    if (!command && IsBracketedExecuteLine(line)) continue;
    Call(OnExecute, line);
  }
  return handled;
}

}  // namespace vombrel
