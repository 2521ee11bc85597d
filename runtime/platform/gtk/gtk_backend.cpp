// The GTK backend's table: the window system in memory, driven by the
// toolkit's events, clock and widgets from this folder, and our own drawing.
#include "runtime/platform/backend.h"
#include "runtime/platform/gtk/gtk_internal.h"
#include "runtime/platform/render/render.h"
#include "runtime/platform/winsys/winsys.h"

namespace {

constexpr WinsysDriver driver = {
    .now_ms = gb_now_ms,
    .poll = gb_poll,
    .wait = gb_wait,
    .screen_size = gb_screen_size,
    .char_from_key = gb_char_from_key,
    .window_created = gb_window_created,
    .window_sized = gb_window_sized,
    .window_shown = gb_window_shown,
    .window_destroyed = gb_window_destroyed,
    .menu_created = gb_menu_created,
    .menu_item_added = gb_menu_item_added,
    .menu_attached = gb_menu_attached,
    .menu_bar_drawn = gb_menu_bar_drawn,
    .menu_item_checked = gb_menu_item_checked,
};

const char* open_backend() {
  if (const char* why = gb_open_display())
    return why;
  winsys_use(&driver);
  return nullptr;
}

}  // namespace

constinit const PlatBackend gtk_backend =
    winsys_backend("gtk", open_backend, nullptr, &render_draw);

// The shared library holds the backend's table itself (the same window
// system) and loads this folder, as velko/gtk.so, only to open it.
extern "C" __attribute__((visibility("default"))) const char* velko_gtk_open() {
  return open_backend();
}
