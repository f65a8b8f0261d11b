// A loadable module that lacks the program module's entry point.
extern "C" int vombrel_not_the_entry() { return 0; }
