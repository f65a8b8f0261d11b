// Global hot keys on X11: passive key grabs on the root window. With Qt on its xcb
// platform the grabs use Qt's own connection and the presses come through Qt's native
// event filter; on any other Qt platform (Wayland with XWayland, offscreen) the program
// opens its own connection to $DISPLAY and reads it on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Hotkeyregistrar.h"

namespace vombrel {

// The X11 keysym of a virtual-key code (the key of the same name on the standard layout),
// 0 for codes without one.
uint32_t KeysymOfVirtualKey(uint32_t virtualKey);

// The registrar of the X display; needs the Qt application. Without an X11 connection it
// returns null after saying so once on standard error, and the program runs without
// global hot keys.
std::unique_ptr<HotKeyRegistrar> CreateX11HotKeyRegistrar();

}  // namespace vombrel

namespace vombrel {

// The virtual-key code of the key with X keycode `keycode` on the current layout, read
// from the key's unshifted symbol, so that the code names the same key that
// KeysymOfVirtualKey later grabs. 0 when Qt is not on xcb or the symbol has no code.
uint32_t VirtualKeyOfX11Keycode(uint32_t keycode);

}  // namespace vombrel
