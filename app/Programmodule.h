// The program beyond its launcher: everything but the second start's hand-over lives in a
// module that the launcher (main.cpp, Launcher.cpp) loads at run time, so that a second
// start loads no toolkit, media framework or sound-server library.
#pragma once

namespace vombrel {

// The module's file: beside the executable in the build tree, in "../lib/vombrel/"
// relative to the executable's real folder in an installation.
inline constexpr char kProgramModuleFileName[] = "libvombrel-app.so";
inline constexpr char kProgramModuleInstalledFolder[] = "../lib/vombrel/";

// The module's one entry point, called once on the main thread with main's arguments.
// lockDescriptor: the single-instance lock's descriptor, which the launcher holds for the
// whole life of the process (the module must not take the lock again: a second flock by
// this process on a new open of the lock file would fail); -1 in the shell client mode,
// which holds no lock. Returns the process's exit status.
inline constexpr char kProgramModuleEntryName[] = "vombrel_program_main";
using ProgramModuleEntry = int (*)(int argc, char** argv, int lockDescriptor);

}  // namespace vombrel

extern "C" int vombrel_program_main(int argc, char** argv, int lockDescriptor);
