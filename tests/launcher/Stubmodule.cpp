// Stands in for the program module: prints what the launcher gave it and ends with
// status 7, so a test sees that the module ran, with which arguments and lock.
//
//   lock=held|none|bad args=<argv[1]>|<argv[2]>|...
//
// "held": the descriptor is open and the lock cannot be taken again (the launcher holds it).
#include <fcntl.h>

#include <cstdio>
#include <string>

#include "platform/Singleinstance.h"

extern "C" __attribute__((visibility("default"))) int vombrel_program_main(int argc, char** argv, int lockDescriptor) {
  std::string lock = "none";
  if (lockDescriptor >= 0) {
    const vombrel::SingleInstanceLock again;
    lock = fcntl(lockDescriptor, F_GETFD) != -1 && !again.Acquired() ? "held" : "bad";
  }
  std::string arguments;
  for (int i = 1; i < argc; ++i) arguments += (i > 1 ? "|" : "") + std::string(argv[i]);
  std::printf("lock=%s args=%s\n", lock.c_str(), arguments.c_str());
  return 7;
}
