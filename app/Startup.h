// Start-up of the program (the entry point's work), kept out of main.cpp so that the
// steps read in order.
#pragma once

namespace vombrel {

// The whole life of the process; returns its exit status.
int RunVombrel(int argc, char** argv);

}  // namespace vombrel
