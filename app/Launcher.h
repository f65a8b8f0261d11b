// The launcher's side of the program module (Programmodule.h): where it looks for the
// module and how it runs it. Qt-free; links nothing but the standard library and libc.
#pragma once

#include <string>
#include <vector>

namespace vombrel {

// The places of the program module for an executable's real path, in the order they are
// tried: beside the executable, then in "../lib/vombrel/" relative to its folder. Never a
// place named by the environment or the working folder.
std::vector<std::string> ProgramModuleCandidates(const std::string& executablePath);

// Loads the program module and runs its entry point with main's arguments and the lock's
// descriptor (-1 when none is held); returns its exit status. A module that is missing,
// cannot be loaded or lacks the entry point: one line on stderr naming the path and the
// loader's reason, status 1.
int RunProgramModule(int argc, char** argv, int lockDescriptor);

}  // namespace vombrel
