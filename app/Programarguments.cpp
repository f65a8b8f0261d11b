#include "app/Programarguments.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "platform/Fileassociations.h"

namespace vombrel {

namespace {

// The toolkit's own options: those that take the next argument as their value, and those
// that stand alone. Either form may be written with one or two dashes and, for the
// first kind, as "-option=value".
constexpr std::string_view kToolkitOptionsWithValue[] = {"platform",
                                                         "platformpluginpath",
                                                         "platformtheme",
                                                         "plugin",
                                                         "qwindowgeometry",
                                                         "geometry",
                                                         "qwindowtitle",
                                                         "title",
                                                         "qwindowicon",
                                                         "icon",
                                                         "style",
                                                         "stylesheet",
                                                         "session",
                                                         "display",
                                                         "name",
                                                         "visual",
                                                         "ncols",
                                                         "fontengine",
                                                         "dialogs",
                                                         "qmljsdebugger"};
constexpr std::string_view kToolkitFlags[] = {"reverse",     "nograb",      "dograb", "sync",
                                              "widgetcount", "testability", "cmap"};

}  // namespace

std::string AbsoluteFileArgument(std::string_view file, std::string_view folder) {
  if (file.empty() || file.front() == '/' || folder.empty()) return std::string(file);
  std::string path(folder);
  if (path.back() != '/') path += '/';
  return path + std::string(file);
}

std::string WorkingFolder() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? std::string() : folder.string();
}

bool IsSwitchArgument(std::string_view argument) {
  if (argument.empty()) return false;
  if (argument.front() == '-') return true;
  if (argument.front() != '/') return false;
  const auto colon = argument.find(':');
  return colon != std::string_view::npos && argument.substr(1, colon - 1).find('/') == std::string_view::npos;
}

std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& arguments) {
  auto contains = [](const auto& names, std::string_view name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
  };
  std::vector<std::string> kept;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string_view name = arguments[i];
    if (name.size() < 2 || name.front() != '-') {
      kept.push_back(arguments[i]);
      continue;
    }
    name.remove_prefix(name.substr(0, 2) == "--" ? 2 : 1);
    const auto equals = name.find('=');
    if (equals != std::string_view::npos && contains(kToolkitOptionsWithValue, name.substr(0, equals))) continue;
    if (contains(kToolkitOptionsWithValue, name)) {
      ++i;  // its value goes with it
      continue;
    }
    if (!contains(kToolkitFlags, name)) kept.push_back(arguments[i]);
  }
  return kept;
}

std::vector<std::string> ProgramArguments(int argc, const char* const* argv) {
  const std::string folder = WorkingFolder();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    arguments.push_back(IsSwitchArgument(argument) ? argument : AbsoluteFileArgument(argument, folder));
  }
  return arguments;
}

std::string HandOverArgument(int argc, const char* const* argv) {
  const std::vector<std::string> arguments = WithoutToolkitOptions(ProgramArguments(argc, argv));
  return arguments.empty() ? std::string() : arguments.front();
}

bool AsksForShellClient(int argc, const char* const* argv) {
  return argc >= 2 && std::string_view(argv[1]) == kShellExecuteSwitch;
}

}  // namespace vombrel
