// The sanitizer build reports one-time allocations that GLib, GStreamer, its plug-ins and
// the X, D-Bus and sound-server client libraries keep for the life of the process; they
// are not this program's leaks. Linked into every test binary of this folder.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libglib-2.0.so\nleak:libgobject-2.0.so\nleak:libgst\nleak:libpulse\nleak:libX11\nleak:libxcb\n"
         "leak:libdbus-1.so\nleak:libfontconfig\nleak:libGLX\nleak:libEGL\nleak:libgallium\nleak:libQt6\n";
}
