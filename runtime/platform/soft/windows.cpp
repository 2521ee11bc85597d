// Window classes and window records in memory.
#include "runtime/platform/soft/windows.h"

#include <algorithm>
#include <map>
#include <memory>

#include "runtime/platform/soft/soft.h"

namespace {

// Kept past exit: a toolkit may still call back while the process exits.
struct Records {
  std::map<std::string, std::unique_ptr<SoftClass>> classes;
  std::vector<PlatWindow*> windows;
};

Records& records() {
  static auto* all = new Records;
  return *all;
}

}  // namespace

void soft_register_class(const PlatClass* window_class) {
  if (!window_class || !window_class->name)
    return;
  auto& slot = records().classes[window_class->name];
  if (slot)
    return;
  slot = std::make_unique<SoftClass>();
  slot->name = window_class->name;
  slot->handler = window_class->handler;
  slot->redraw_on_resize = window_class->redraw_on_resize;
  slot->background = window_class->background;
}

const SoftClass* soft_find_class(const char* name) {
  const auto found = records().classes.find(name ? name : "");
  return found == records().classes.end() ? nullptr : found->second.get();
}

PlatWindow* soft_new_window(const SoftClass* window_class, const char* title, bool resizable, int x,
                            int y, int width, int height) {
  auto* window = new PlatWindow;
  window->window_class = window_class;
  window->title = title ? title : "";
  window->resizable = resizable;
  window->x = x;
  window->y = y;
  window->width = width;
  window->height = height;
  window->canvas = soft_canvas_create(0, 0);
  records().windows.push_back(window);
  return window;
}

const std::vector<PlatWindow*>& soft_windows() {
  return records().windows;
}

bool soft_alive(const PlatWindow* window) {
  return window && !window->destroyed;
}

PlatResult soft_send(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  if (!soft_alive(window) || !window->window_class || !window->window_class->handler)
    return 0;
  return window->window_class->handler(window, kind, wparam, lparam);
}

void soft_client_from_frame(const PlatWindow* window, int* width, int* height) {
  const int frame = window->resizable ? SOFT_SIZING_FRAME : SOFT_FIXED_FRAME;
  *width = std::max(0, window->width - 2 * frame);
  *height =
      std::max(0, window->height - 2 * frame - SOFT_CAPTION - (window->menu ? SOFT_MENU_BAR : 0));
}

PlatWindow* soft_window_to_paint() {
  for (PlatWindow* window : records().windows) {
    if (soft_alive(window) && window->visible && window->invalid)
      return window;
  }
  return nullptr;
}

PlatLParam soft_size_param(int width, int height) {
  return static_cast<PlatLParam>((width & 0xFFFF) | ((height & 0xFFFF) << 16));
}

void soft_forget_windows() {
  for (PlatWindow* window : records().windows) {
    soft_canvas_destroy(window->canvas);
    delete window;
  }
  records().windows.clear();
  records().classes.clear();
}

void soft_client_size(PlatWindow* window, int* width, int* height) {
  *width = 0;
  *height = 0;
  if (!soft_alive(window))
    return;
  *width = window->canvas->width;
  *height = window->canvas->height;
}

void soft_begin_paint(PlatWindow* window) {
  if (!soft_alive(window))
    return;
  if (window->invalid) {
    soft_fill_rect(window->canvas, 0, 0, window->canvas->width, window->canvas->height,
                   window->window_class->background);
  }
  window->invalid = false;
  ++window->paint_count;
}

void soft_end_paint(PlatWindow*) {}

PlatCanvas* soft_get_canvas(PlatWindow* window) {
  return soft_alive(window) ? window->canvas : nullptr;
}

void soft_release_canvas(PlatWindow*, PlatCanvas*) {}
