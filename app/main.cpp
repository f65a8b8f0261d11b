// The entry point: a launcher that links no toolkit. A second start hands its argument
// over and ends without loading the rest of the program; the first instance and the
// shell client mode run it from the program module (Programmodule.h, Startup.cpp).
#include "app/Launcher.h"
#include "app/Programarguments.h"
#include "platform/Handoverclient.h"
#include "platform/Singleinstance.h"

int main(int argc, char** argv) {
  using namespace vombrel;
  if (AsksForShellClient(argc, argv)) return RunProgramModule(argc, argv, -1);
  // Held for the whole life of the first instance; released when the process ends.
  const SingleInstanceLock lock;
  if (!lock.Acquired()) {
    // The running instance comes forward and gets the argument, whether or not anyone
    // listened; nothing else happens.
    ForwardToRunningInstance(HandOverArgument(argc, argv));
    return 0;
  }
  return RunProgramModule(argc, argv, lock.Descriptor());
}
