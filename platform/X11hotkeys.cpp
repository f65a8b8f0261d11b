#include "platform/X11hotkeys.h"

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace vombrel {

uint32_t KeysymOfVirtualKey(uint32_t vk) {
  switch (vk) {
    case 8: return XK_BackSpace;
    case 9: return XK_Tab;
    case 13: return XK_Return;
    case 27: return XK_Escape;
    case 32: return XK_space;
    case 33: return XK_Prior;
    case 34: return XK_Next;
    case 35: return XK_End;
    case 36: return XK_Home;
    case 37: return XK_Left;
    case 38: return XK_Up;
    case 39: return XK_Right;
    case 40: return XK_Down;
    case 45: return XK_Insert;
    case 46: return XK_Delete;
    case 106: return XK_KP_Multiply;
    case 107: return XK_KP_Add;
    case 109: return XK_KP_Subtract;
    case 110: return XK_KP_Decimal;
    case 111: return XK_KP_Divide;
    case 186: return XK_semicolon;
    case 187: return XK_equal;
    case 188: return XK_comma;
    case 189: return XK_minus;
    case 190: return XK_period;
    case 191: return XK_slash;
    case 192: return XK_grave;
    case 219: return XK_bracketleft;
    case 220: return XK_backslash;
    case 221: return XK_bracketright;
    case 222: return XK_apostrophe;
    default: break;
  }
  if (vk >= '0' && vk <= '9') return XK_0 + (vk - '0');
  if (vk >= 'A' && vk <= 'Z') return XK_a + (vk - 'A');
  if (vk >= 96 && vk <= 105) return XK_KP_0 + (vk - 96);
  if (vk >= 112 && vk <= 135) return XK_F1 + (vk - 112);
  return 0;
}

namespace {

class X11HotKeyRegistrar : public QObject, public QAbstractNativeEventFilter, public HotKeyRegistrar {
 public:
  // `ownConnection`: the connection is ours to read and close (Qt is not on xcb).
  X11HotKeyRegistrar(xcb_connection_t* connection, xcb_window_t root, bool ownConnection)
      : connection_(connection),
        root_(root),
        ownConnection_(ownConnection),
        symbols_(xcb_key_symbols_alloc(connection)) {
    FindLockModifiers();
    if (ownConnection_) {
      notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
      connect(notifier_, &QSocketNotifier::activated, this, &X11HotKeyRegistrar::ReadOwnConnection);
    } else {
      QCoreApplication::instance()->installNativeEventFilter(this);
    }
  }

  ~X11HotKeyRegistrar() override {
    for (const auto& [number, registration] : registrations_) Ungrab(registration);
    xcb_flush(connection_);
    if (!ownConnection_ && QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
    xcb_key_symbols_free(symbols_);
    if (ownConnection_) {
      delete notifier_;
      xcb_disconnect(connection_);
    }
  }

  int RegisterHotKey(uint32_t modifiers, uint32_t virtualKey, std::function<void()> pressed) override {
    Registration registration;
    registration.modifiers = XModifiers(modifiers);
    registration.keycodes = KeycodesOf(KeysymOfVirtualKey(virtualKey));
    registration.pressed = std::move(pressed);
    if (registration.keycodes.empty() || HeldByUs(registration)) return 0;
    if (!Grab(registration)) return 0;
    const int number = ++lastNumber_;
    registrations_.emplace(number, std::move(registration));
    ScheduleRead();
    return number;
  }

  void UnregisterHotKey(int number) override {
    const auto found = registrations_.find(number);
    if (found == registrations_.end()) return;
    Ungrab(found->second);
    xcb_flush(connection_);
    registrations_.erase(found);
    ScheduleRead();
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "xcb_generic_event_t") return false;
    return HandleEvent(static_cast<xcb_generic_event_t*>(message));
  }

 private:
  struct Registration {
    std::vector<xcb_keycode_t> keycodes;
    uint16_t modifiers = 0;
    std::function<void()> pressed;
  };

  static uint16_t XModifiers(uint32_t modifiers) {
    uint16_t mask = 0;
    if (modifiers & MOD_SHIFT) mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & MOD_CONTROL) mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & MOD_ALT) mask |= XCB_MOD_MASK_1;
    return mask;
  }

  // The lock modifiers a press may carry besides the combination: each grab is taken
  // with and without them, so Num Lock and Caps Lock never stop a hot key.
  std::vector<uint16_t> LockVariants() const {
    return {0, XCB_MOD_MASK_LOCK, numLockMask_, static_cast<uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
  }

  void FindLockModifiers() {
    numLockMask_ = XCB_MOD_MASK_2;  // where the standard keymaps put Num Lock
    const std::vector<xcb_keycode_t> numLock = KeycodesOf(XK_Num_Lock);
    xcb_get_modifier_mapping_reply_t* reply = xcb_get_modifier_mapping_reply(
        connection_, xcb_get_modifier_mapping(connection_), nullptr);
    if (!reply) return;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
      for (int i = 0; i < perModifier; ++i) {
        const xcb_keycode_t code = codes[modifier * perModifier + i];
        if (code != 0 && std::find(numLock.begin(), numLock.end(), code) != numLock.end())
          numLockMask_ = static_cast<uint16_t>(1u << modifier);
      }
    }
    std::free(reply);
  }

  std::vector<xcb_keycode_t> KeycodesOf(uint32_t keysym) const {
    std::vector<xcb_keycode_t> keycodes;
    if (keysym == 0 || !symbols_) return keycodes;
    xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols_, keysym);
    for (xcb_keycode_t* code = found; code && *code != XCB_NO_SYMBOL; ++code) {
      if (std::find(keycodes.begin(), keycodes.end(), *code) == keycodes.end()) keycodes.push_back(*code);
    }
    std::free(found);
    return keycodes;
  }

  // Our own grabs of the same key and modifiers would silently merge on the server; the
  // second registration of a combination is refused instead.
  bool HeldByUs(const Registration& candidate) const {
    for (const auto& [number, held] : registrations_) {
      if (held.modifiers != candidate.modifiers) continue;
      for (const xcb_keycode_t code : candidate.keycodes)
        if (std::find(held.keycodes.begin(), held.keycodes.end(), code) != held.keycodes.end()) return true;
    }
    return false;
  }

  // Presses are reported to the root window even while one of the program's own windows
  // has the focus (owner_events off), so the filter below sees every one of them.
  // Every grab is a checked request: a combination another client holds comes back as
  // an error here, never as an error event that Qt would report, and the grabs taken so
  // far are given back.
  bool Grab(const Registration& registration) {
    std::vector<xcb_void_cookie_t> cookies;
    for (const xcb_keycode_t code : registration.keycodes)
      for (const uint16_t variant : LockVariants())
        cookies.push_back(xcb_grab_key_checked(connection_, 0, root_, registration.modifiers | variant, code,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool taken = true;
    for (const xcb_void_cookie_t cookie : cookies) {
      if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
        taken = false;
        std::free(error);
      }
    }
    if (!taken) {
      Ungrab(registration);
      xcb_flush(connection_);
    }
    return taken;
  }

  // Ungrabbing releases only this client's grabs, so it is safe after a partial grab.
  void Ungrab(const Registration& registration) {
    for (const xcb_keycode_t code : registration.keycodes)
      for (const uint16_t variant : LockVariants())
        xcb_ungrab_key(connection_, code, root_, registration.modifiers | variant);
  }

  bool HandleEvent(xcb_generic_event_t* event) {
    const uint8_t type = event->response_type & 0x7F;
    if (type == XCB_MAPPING_NOTIFY) {
      xcb_refresh_keyboard_mapping(symbols_, reinterpret_cast<xcb_mapping_notify_event_t*>(event));
      return false;
    }
    if (type != XCB_KEY_PRESS) return false;
    const auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
    if (press->event != root_) return false;
    const uint16_t state = press->state & (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    for (const auto& [number, registration] : registrations_) {
      if (registration.modifiers != state) continue;
      if (std::find(registration.keycodes.begin(), registration.keycodes.end(), press->detail) ==
          registration.keycodes.end())
        continue;
      // Run outside the event filter, so a handler may open dialogs; a registration
      // released in the meantime is not called.
      QTimer::singleShot(0, this, [this, number = number] {
        const auto found = registrations_.find(number);
        if (found == registrations_.end()) return;
        const std::function<void()> pressed = found->second.pressed;
        pressed();
      });
      return true;
    }
    return false;
  }

  // Our own connection: a reply we waited for may have brought events along, which the
  // socket notifier will not announce again.
  void ScheduleRead() {
    if (ownConnection_) QTimer::singleShot(0, this, &X11HotKeyRegistrar::ReadOwnConnection);
  }

  void ReadOwnConnection() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
      HandleEvent(event);
      std::free(event);
    }
  }

  xcb_connection_t* connection_;
  xcb_window_t root_;
  bool ownConnection_;
  xcb_key_symbols_t* symbols_;
  QSocketNotifier* notifier_ = nullptr;
  uint16_t numLockMask_ = XCB_MOD_MASK_2;
  std::map<int, Registration> registrations_;
  int lastNumber_ = 0;
};

xcb_window_t RootOf(xcb_connection_t* connection, int screenNumber) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it))
    if (i == screenNumber || it.rem == 1) return it.data->root;
  return XCB_WINDOW_NONE;
}

}  // namespace

std::unique_ptr<HotKeyRegistrar> CreateX11HotKeyRegistrar() {
  if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
    xcb_connection_t* connection = x11->connection();
    if (connection) {
      // The screen number of $DISPLAY, as Qt connected to it.
      int screen = 0;
      if (const char* name = std::getenv("DISPLAY")) {
        char* host = nullptr;
        int number = 0;
        if (xcb_parse_display(name, &host, &number, &screen) == 0) screen = 0;
        std::free(host);
      }
      const xcb_window_t root = RootOf(connection, screen);
      if (root != XCB_WINDOW_NONE) return std::make_unique<X11HotKeyRegistrar>(connection, root, false);
    }
  }
  // Qt is on another platform: the X server of $DISPLAY, when there is one, still serves
  // the hot keys.
  const char* display = std::getenv("DISPLAY");
  if (display && *display) {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    if (!xcb_connection_has_error(connection)) {
      const xcb_window_t root = RootOf(connection, screen);
      if (root != XCB_WINDOW_NONE) return std::make_unique<X11HotKeyRegistrar>(connection, root, true);
    }
    xcb_disconnect(connection);
  }
  std::fputs("vombrel: no X11 display; global hot keys are off\n", stderr);
  return nullptr;
}

}  // namespace vombrel

namespace vombrel {

uint32_t VirtualKeyOfX11Keycode(uint32_t keycode) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection() || keycode == 0 || keycode > 255) return 0;
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(x11->connection());
  if (!symbols) return 0;
  // The unshifted symbol first; then the shifted one, for layouts whose digit keys give
  // punctuation unshifted (the grab finds the key by either symbol).
  uint32_t found = 0;
  for (int column = 0; column < 2 && found == 0; ++column) {
    xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols, static_cast<xcb_keycode_t>(keycode), column);
    if (keysym >= XK_A && keysym <= XK_Z) keysym += XK_a - XK_A;
    if (keysym == XK_KP_Enter) keysym = XK_Return;
    for (uint32_t vk = 1; vk < 256 && found == 0 && keysym != XCB_NO_SYMBOL; ++vk)
      if (KeysymOfVirtualKey(vk) == keysym) found = vk;
  }
  xcb_key_symbols_free(symbols);
  return found;
}

}  // namespace vombrel
