// Window classes and window records in memory, and the seam's window
// operations on them: creation, showing, sizes, painting, destruction and
// the default handler.
#include "runtime/platform/winsys/windows.h"

#include <algorithm>
#include <map>
#include <memory>

#include "runtime/platform/render/render.h"
#include "runtime/platform/winsys/winsys.h"

namespace {

// Kept past exit: a toolkit may still call back while the process exits.
struct Records {
  std::map<std::string, std::unique_ptr<WinsysClass>> classes;
  std::vector<PlatWindow*> windows;
};

Records& records() {
  static auto* all = new Records;
  return *all;
}

}  // namespace

void winsys_register_class(const PlatClass* window_class) {
  if (!window_class || !window_class->name)
    return;
  auto& slot = records().classes[window_class->name];
  if (slot)
    return;
  slot = std::make_unique<WinsysClass>();
  slot->name = window_class->name;
  slot->handler = window_class->handler;
  slot->redraw_on_resize = window_class->redraw_on_resize;
  slot->background = window_class->background;
}

const WinsysClass* winsys_find_class(const char* name) {
  const auto found = records().classes.find(name ? name : "");
  return found == records().classes.end() ? nullptr : found->second.get();
}

PlatWindow* winsys_new_window(const WinsysClass* window_class, const char* title, bool resizable,
                              int x, int y, int width, int height) {
  auto* window = new PlatWindow;
  window->window_class = window_class;
  window->title = title ? title : "";
  window->resizable = resizable;
  window->x = x;
  window->y = y;
  window->width = width;
  window->height = height;
  window->canvas = render_canvas_create(0, 0);
  records().windows.push_back(window);
  return window;
}

const std::vector<PlatWindow*>& winsys_windows() {
  return records().windows;
}

bool winsys_alive(const PlatWindow* window) {
  return window && !window->destroyed;
}

PlatResult winsys_send(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  if (!winsys_alive(window) || !window->window_class || !window->window_class->handler)
    return 0;
  return window->window_class->handler(window, kind, wparam, lparam);
}

void winsys_client_from_frame(const PlatWindow* window, int* width, int* height) {
  const int frame = window->resizable ? WINSYS_SIZING_FRAME : WINSYS_FIXED_FRAME;
  *width = std::max(0, window->width - 2 * frame);
  *height = std::max(
      0, window->height - 2 * frame - WINSYS_CAPTION - (window->menu ? WINSYS_MENU_BAR : 0));
}

PlatWindow* winsys_window_to_paint() {
  for (PlatWindow* window : records().windows) {
    if (winsys_alive(window) && window->visible && window->invalid)
      return window;
  }
  return nullptr;
}

PlatLParam winsys_size_param(int width, int height) {
  return static_cast<PlatLParam>((width & 0xFFFF) | ((height & 0xFFFF) << 16));
}

void winsys_forget_windows() {
  for (PlatWindow* window : records().windows) {
    render_canvas_destroy(window->canvas);
    delete window;
  }
  records().windows.clear();
  records().classes.clear();
}

void winsys_client_size(PlatWindow* window, int* width, int* height) {
  *width = 0;
  *height = 0;
  if (!winsys_alive(window))
    return;
  *width = window->canvas->width;
  *height = window->canvas->height;
}

void winsys_begin_paint(PlatWindow* window) {
  if (!winsys_alive(window))
    return;
  if (window->invalid) {
    render_fill_rect(window->canvas, 0, 0, window->canvas->width, window->canvas->height,
                     window->window_class->background);
  }
  window->invalid = false;
  ++window->paint_count;
}

void winsys_end_paint(PlatWindow*) {}

PlatCanvas* winsys_get_canvas(PlatWindow* window) {
  return winsys_alive(window) ? window->canvas : nullptr;
}

void winsys_release_canvas(PlatWindow*, PlatCanvas*) {}

// ---------------------------------------------------------------------------
// The seam's window operations

namespace {

// Gives the canvas a new size. A class that repaints on resize is erased and
// marked for the runtime's repaint, as a visible window is whose size changed.
bool resize_canvas(PlatWindow* window, int width, int height) {
  if (width == window->canvas->width && height == window->canvas->height)
    return false;
  render_canvas_resize(window->canvas, width, height);
  if (window->window_class->redraw_on_resize) {
    render_fill_rect(window->canvas, 0, 0, width, height, window->window_class->background);
  }
  if (window->window_class->redraw_on_resize || window->visible)
    window->invalid = true;
  return true;
}

// The client area the outer frame leaves; the window hears of a new size at
// once, or always when asked to.
void fit_client(PlatWindow* window, bool always_tell) {
  int width = 0, height = 0;
  winsys_client_from_frame(window, &width, &height);
  if (winsys_driver().window_sized)
    winsys_driver().window_sized(window, width, height);
  if (resize_canvas(window, width, height) || always_tell)
    winsys_send(window, PLAT_MSG_SIZE, 0, winsys_size_param(width, height));
}

}  // namespace

PlatWindow* winsys_create_window(const char* class_name, const char* title, bool resizable, int x,
                                 int y, int width, int height, void*) {
  const WinsysClass* window_class = winsys_find_class(class_name);
  if (!window_class)
    return nullptr;
  PlatWindow* window = winsys_new_window(window_class, title, resizable, x, y, width, height);
  if (winsys_driver().window_created)
    winsys_driver().window_created(window);
  winsys_send(window, PLAT_MSG_CREATE, 0, 0);
  if (winsys_alive(window))
    fit_client(window, true);
  return window;
}

void winsys_frame_changed(PlatWindow* window) {
  if (winsys_alive(window))
    fit_client(window, false);
}

void winsys_client_resized(PlatWindow* window, int width, int height) {
  if (winsys_alive(window) && resize_canvas(window, width, height))
    winsys_post_message(window, PLAT_MSG_SIZE, 0, winsys_size_param(width, height));
}

bool winsys_show_window(PlatWindow* window, int show_mode) {
  if (!winsys_alive(window))
    return false;
  const bool was_visible = window->visible;
  window->visible = show_mode != PLAT_SW_HIDE;
  if (window->visible && !was_visible)
    window->invalid = true;
  if (winsys_driver().window_shown)
    winsys_driver().window_shown(window, window->visible, was_visible);
  return was_visible;
}

void winsys_screen_size(int* width, int* height) {
  *width = 1024;
  *height = 768;
  if (winsys_driver().screen_size)
    winsys_driver().screen_size(width, height);
}

void winsys_destroy_window(PlatWindow* window) {
  if (!winsys_alive(window))
    return;
  winsys_forget_timers(window);
  winsys_send(window, PLAT_MSG_DESTROY, 0, 0);
  window->destroyed = true;
  window->visible = false;
  window->invalid = false;
  window->canvas->changed = nullptr;  // the runtime may keep drawing into it
  if (winsys_driver().window_destroyed)
    winsys_driver().window_destroyed(window);
}

PlatResult winsys_default_handler(PlatWindow* window, unsigned kind, PlatWParam, PlatLParam) {
  switch (kind) {
    case PLAT_MSG_CLOSE:
      winsys_destroy_window(window);
      return 0;
    case PLAT_MSG_PAINT:
      winsys_begin_paint(window);
      winsys_end_paint(window);
      return 0;
    default:
      return 0;
  }
}
