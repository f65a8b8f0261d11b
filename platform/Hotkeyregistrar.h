// Desktop-wide key combinations: the one thing a hot-key object needs from the system.
// The X11 implementation is in X11hotkeys.h; tests replace it with a scripted one. This
// header knows no toolkit.
#pragma once

#include <cstdint>
#include <functional>

namespace vombrel {

// Modifier flags of a registration.
constexpr uint32_t MOD_ALT = 0x1;
constexpr uint32_t MOD_CONTROL = 0x2;
constexpr uint32_t MOD_SHIFT = 0x4;

class HotKeyRegistrar {
 public:
  virtual ~HotKeyRegistrar() = default;

  // Takes the combination of `modifiers` and the virtual key `virtualKey` (the shortcut
  // codes of shell/Shortcut.h) from the whole desktop. `pressed` then runs on the
  // user-interface thread at every press, never inside this call, until the registration
  // is released. Returns the registration's number (> 0), or 0 when the combination
  // cannot be taken: another program or an earlier registration holds it, or the key
  // does not exist on this keyboard. Never throws and never reports anything.
  virtual int RegisterHotKey(uint32_t modifiers, uint32_t virtualKey, std::function<void()> pressed) = 0;

  // Gives the combination back. Unknown numbers are ignored. Once this returns, the
  // registration's `pressed` is never called again.
  virtual void UnregisterHotKey(int registration) = 0;
};

}  // namespace vombrel
