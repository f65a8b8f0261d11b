#include "app/Shellintegration.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "app/Programarguments.h"
#include "app/VombrelMain.h"
#include "platform/Fileassociations.h"
#include "platform/Shellcmdserver.h"
#include "support/Supportfiles.h"

namespace vombrel {

MainShellCommands::MainShellCommands(TFormVombrel& window, ShellCommandServer& server) : server_(server) {
  ShellCmd.OnCmdOpenFile = [&window](const std::string& file, const std::string& option) {
    window.ShellCmdCmdOpenFile(file, option);
  };
  ShellCmd.OnCmdCustom = [&window](const std::string& command, const std::string& file, const std::string& option) {
    window.ShellCmdCmdCustom(command, file, option);
  };
  server_.SetTopic(&ShellCmd);
}

MainShellCommands::~MainShellCommands() { server_.SetTopic(nullptr); }

namespace {

// The running instance has another working folder: a relative file is sent as the
// absolute path it names here.
std::string AbsoluteFile(const std::string& file) {
  if (file.empty() || file.front() == '/') return file;
  std::error_code error;
  const auto absolute = std::filesystem::absolute(file, error);
  return error ? file : absolute.string();
}

}  // namespace

std::optional<int> RunShellClientIfAsked(int argc, char** argv) {
  if (!AsksForShellClient(argc, argv)) return std::nullopt;
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: %s %s <service> <command> [<file>]\n", argv[0], argv[1]);
    return 2;
  }
  return RunShellExecuteClient(ExecutablePath(), argv[2], argv[3], argc == 5 ? AbsoluteFile(argv[4]) : "");
}

}  // namespace vombrel
