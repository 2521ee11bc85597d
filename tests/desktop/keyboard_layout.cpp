// The keyboard layout of the test's X server: set with setxkbmap, and
// checked as a user would, by what setxkbmap says and by what a key gives.
#include <X11/XKBlib.h>

#include <regex>

#include "tests/desktop/desktop_support.h"

bool use_keyboard_layout(const char* layout, unsigned long symbol_at_us_q) {
  if (run_command({"setxkbmap", "-layout", layout}).status != 0)
    return false;
  const std::string query = run_command({"setxkbmap", "-query"}).out;
  if (!std::regex_search(query, std::regex(std::string("layout: +") + layout + "\n")))
    return false;
  Display* display = XOpenDisplay(nullptr);
  if (!display)
    return false;
  constexpr KeyCode us_q = 24;  // the place of Q on a US keyboard
  const KeySym symbol = XkbKeycodeToKeysym(display, us_q, 0, 0);
  XCloseDisplay(display);
  return symbol == symbol_at_us_q;
}
