// The close box of a window manager, which Xvfb does not have: a
// WM_DELETE_WINDOW request to the window.
#include <X11/Xlib.h>

#include "tests/desktop/desktop_support.h"

bool send_close_request(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display)
    return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
  XCloseDisplay(display);
  return true;
}
