// Another X client that holds a key combination: grabs <modifier mask> <keysym> on the
// root window (with the Num Lock and Caps Lock variants), prints "grabbed" or "refused",
// then prints "pressed" for every press until it is ended.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const auto modifiers = static_cast<uint16_t>(std::strtoul(argv[1], nullptr, 0));
  const auto keysym = static_cast<xcb_keysym_t>(std::strtoul(argv[2], nullptr, 0));
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(connection)) return 3;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem > 1; ++i) xcb_screen_next(&screens);
  const xcb_window_t root = screens.data->root;
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
  xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym);
  bool grabbed = keycodes && *keycodes != XCB_NO_SYMBOL;
  for (xcb_keycode_t* code = keycodes; code && *code != XCB_NO_SYMBOL; ++code) {
    // None, Lock (Caps Lock), Mod2 (Num Lock), both.
    for (const int lock : {0, 2, 16, 18}) {
      const auto cookie = xcb_grab_key_checked(connection, 1, root, static_cast<uint16_t>(modifiers | lock), *code,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
      if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
        grabbed = false;
        std::free(error);
      }
    }
  }
  std::free(keycodes);
  std::puts(grabbed ? "grabbed" : "refused");
  std::fflush(stdout);
  if (!grabbed) return 1;
  while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
    if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
      std::puts("pressed");
      std::fflush(stdout);
    }
    std::free(event);
  }
  return 0;
}
