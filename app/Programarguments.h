// The program's arguments as it works with them, and the one a second start hands over.
// Qt-free: the launcher hands over with these rules before, and without, loading the
// toolkit; the first instance uses the same rules after its application object has taken
// the toolkit's own options.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vombrel {

// A file named on the command line as an absolute path: a path starting with "/" stays as
// it is, any other non-empty text is taken relative to `folder` (the working folder of the
// process that received it). A running instance, the shell command server and the
// autosave all work in folders of their own, so a relative name must not travel.
std::string AbsoluteFileArgument(std::string_view file, std::string_view folder);

// The process's working folder ("" when it cannot be told, e.g. after it was removed).
std::string WorkingFolder();

// Whether an argument is a switch: "-..." always, "/..." only in the "/cmd:..." form whose
// command holds no "/" (every other argument starting with "/" is an absolute path).
bool IsSwitchArgument(std::string_view argument);

// The arguments without the options the toolkit takes for itself ("-style fusion",
// "-platform=xcb", "--reverse", ...). The first instance leaves this to the toolkit's
// application object; a second start, which makes no such object, uses this list.
std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& arguments);

// The arguments (argv[1] on) as the program works with them: a file named relative to
// the working folder becomes an absolute path; switches keep theirs (the command-line walk
// resolves their files).
std::vector<std::string> ProgramArguments(int argc, const char* const* argv);

// What a second start hands over: the first of its arguments once the toolkit's own
// options are left out; "" when none is left. A second start makes no application
// object, so nothing else takes those options away.
std::string HandOverArgument(int argc, const char* const* argv);

// Whether the command line asks for the shell client mode: "--dde-execute" as the first
// argument (Shellintegration.h runs it).
bool AsksForShellClient(int argc, const char* const* argv);

}  // namespace vombrel
