// Start-up of the program (the entry point's work), kept out of main.cpp so that the
// steps read in order.
#pragma once

namespace vombrel {

// The program's work once the launcher (main.cpp) has taken the single-instance lock, or
// for the shell client mode, which needs none: the whole life of the process from there;
// returns its exit status. lockDescriptor is the held lock's descriptor, -1 without it
// (Programmodule.h); the launcher keeps the lock until this returns.
int RunVombrel(int argc, char** argv, int lockDescriptor);

}  // namespace vombrel
