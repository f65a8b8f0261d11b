// The entry point; the start-up steps are in Startup.cpp.
#include "app/Startup.h"

int main(int argc, char** argv) { return vombrel::RunVombrel(argc, argv); }
