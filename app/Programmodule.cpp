// The module's entry point (Programmodule.h): the only symbol the module exports.
#include "app/Programmodule.h"

#include "app/Startup.h"

extern "C" __attribute__((visibility("default"))) int vombrel_program_main(int argc, char** argv, int lockDescriptor) {
  return vombrel::RunVombrel(argc, argv, lockDescriptor);
}
