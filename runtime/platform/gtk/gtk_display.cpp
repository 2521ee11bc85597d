// Opening the display, the backend's first step: without one the program
// cannot run, and the answer says why in words a user can act on.
#include <cstdlib>
#include <string>

#include "runtime/platform/gtk/gtk_internal.h"
#include "runtime/platform/gtk/gtk_timing.h"

namespace {

const char* environment(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

// A display without a keyboard (a kiosk, a headless compositor) has a seat
// with none, or no seat at all; the toolkit then asks that seat for its
// keyboard while it sets itself up, and complains each time. The program
// needs no keyboard to run, so that one complaint is dropped; every other
// message goes where it would have gone.
void drop_missing_keyboard(const gchar* domain, GLogLevelFlags level, const gchar* message,
                           gpointer) {
  if (message && g_str_has_prefix(message, "gdk_seat_get_keyboard: assertion"))
    return;
  g_log_default_handler(domain, level, message, nullptr);
}

}  // namespace

const char* gb_open_display() {
  static bool open = false;
  static std::string why;
  if (open)
    return nullptr;
  gb_timing_start();
  const char* x_display = environment("DISPLAY");
  const char* wayland_display = environment("WAYLAND_DISPLAY");
  if (!x_display && !wayland_display) {
    why = "cannot open a display: DISPLAY is not set";
    return why.c_str();
  }
  // Nothing here draws with OpenGL, but the first GTK program on an X
  // display loads the OpenGL driver to choose its visuals: on Mesa that maps
  // about 55 MB and takes some 25 ms. A user's own GDK_GL is left alone.
  g_setenv("GDK_GL", "disable", FALSE);
  g_log_set_handler("Gdk", G_LOG_LEVEL_CRITICAL, drop_missing_keyboard, nullptr);
  if (!gtk_init_check(nullptr, nullptr)) {
    std::string tried;
    if (wayland_display)
      tried += std::string("\"") + wayland_display + "\"";
    if (x_display)
      tried += std::string(tried.empty() ? "" : " or ") + "\"" + x_display + "\"";
    why = "cannot open a display: no display server answers at " + tried;
    return why.c_str();
  }
  open = true;
  gb_timing_mark("toolkit");
  return nullptr;
}
