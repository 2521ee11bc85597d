// The graphics window and the log window, the off-screen surface, the origin
// of runtime coordinates, start-up and shut-down.
#include "runtime/window/window.h"

#include "runtime/draw/palette.h"
#include "runtime/log/log_window.h"
#include "runtime/velko.h"
#include "runtime/window/events.h"
#include "runtime/window/run_menu.h"
#include "runtime/window/script.h"

PlatWindow* graphics_window = nullptr;
PlatWindow* log_window = nullptr;
PlatCanvas* window_dc = nullptr;
PlatCanvas* surface_dc = nullptr;
int origin_x = 0;
int origin_y = 0;
int surface_dirty = 1;

namespace {

const char* const draw_class_name = "DrawWndClass";
const char* const text_class_name = "TextWndClass";

// Runs first in VELKO_start; a place for a program to hook into start-up.
void start_hook() {}

void register_classes(void* instance) {
  PlatClass draw_class;
  draw_class.name = draw_class_name;
  draw_class.handler = graphics_window_proc;
  draw_class.redraw_on_resize = true;
  draw_class.background = palette_rgb[WHITE];
  draw_class.instance = instance;
  plat->register_class(&draw_class);

  PlatClass text_class = draw_class;
  text_class.name = text_class_name;
  text_class.handler = log_window_proc;
  plat->register_class(&text_class);
}

void update_origin(PlatWindow* window) {
  int width = 0;
  int height = 0;
  plat->client_size(window, &width, &height);
  origin_x = width / 2;
  origin_y = height / 2;
}

void repaint(PlatWindow* window) {
  plat->begin_paint(window);
  copy_surface();
  plat->end_paint(window);
  surface_dirty = 0;
}

}  // namespace

void copy_surface() {
  plat->draw->blit(window_dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, surface_dc, 0, 0);
  surface_dirty = 0;
}

PlatResult graphics_window_proc(PlatWindow* window, unsigned kind, PlatWParam wparam,
                                PlatLParam lparam) {
  switch (kind) {
    case PLAT_MSG_CREATE:
      build_run_menu(window);
      return 0;
    case PLAT_MSG_SIZE:
      update_origin(window);
      return 0;
    case PLAT_MSG_PAINT:
      repaint(window);
      return 0;
    case PLAT_MSG_DESTROY:
    case PLAT_MSG_QUIT:
      plat->kill_timer(window, TIMER_ID);
      plat->post_quit(0);
      return 0;
    case PLAT_MSG_LBUTTONDOWN:
      capture_click(lparam);
      return 0;
    case PLAT_MSG_CHAR:
      capture_char(wparam);
      return 0;
    case PLAT_MSG_TIMER:
      capture_timer();
      return 0;
    case PLAT_MSG_COMMAND:
      run_menu_command(wparam);
      return 0;
    case PLAT_MSG_KEYDOWN:
      run_menu_key_down(wparam);
      return 0;
    case PLAT_MSG_KEYUP:
      run_menu_key_up(wparam);
      return 0;
    case PLAT_MSG_SCRIPT_REPLACED:
      // The next playback reads the new file from its first line; a
      // recording stops rather than overwrite it.
      close_script();
      return 0;
    default:
      return plat->default_handler(window, kind, wparam, lparam);
  }
}

int VELKO_start(void* instance, void* prev_instance, char*, int show_mode) {
  start_hook();
  // Without its windows the program cannot run at all; it says why and ends
  // rather than waiting for events that can never come.
  if (const char* why = plat_open())
    plat_fail(why);
  if (!prev_instance)
    register_classes(instance);

  int screen_width = 0;
  int screen_height = 0;
  plat->screen_size(&screen_width, &screen_height);

  animate = 0;
  single_step = 0;

  graphics_window = plat->create_window(draw_class_name, "VELKO Graphics", false, 0, 0,
                                        SURFACE_WIDTH, SURFACE_HEIGHT, instance);
  log_window =
      plat->create_window(text_class_name, "VELKO Text", true, 0, 2 * screen_height / 3 + 1,
                          screen_width, screen_height / 3, instance);

  window_dc = plat->get_canvas(graphics_window);
  surface_dc = plat->draw->create_surface(window_dc, SURFACE_WIDTH, SURFACE_HEIGHT);

  plat->show_window(log_window, show_mode);
  plat->show_window(graphics_window, show_mode);
  plat->set_timer(graphics_window, TIMER_ID, TIMER_PERIOD_MS);
  return 1;
}

int VELKO_finish() {
  plat->release_canvas(graphics_window, window_dc);
  close_script();
  plat->close();
  return 1;
}
