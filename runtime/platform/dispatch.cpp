// The dispatcher: every plat_* call goes to the backend in use. Which backends
// a build holds is told by VELKO_WITH_WIN32, VELKO_WITH_GTK and
// VELKO_WITH_HEADLESS; the first of them is the default, so a desktop build
// opens its desktop backend unless VELKO_BACKEND asks for another.
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/platform/backend.h"

namespace {

const PlatBackend* const backends[] = {
#if defined(VELKO_WITH_WIN32)
    &win32_backend,
#endif
#if defined(VELKO_WITH_GTK)
    &gtk_backend,
#endif
#if defined(VELKO_WITH_HEADLESS)
    &headless_backend,
#endif
};
static_assert(sizeof backends > 0, "a build holds at least one backend");

const PlatBackend* active = backends[0];

// "gtk, headless": the names a build holds, for the message about a name it
// does not know.
std::string backend_names() {
  std::string names;
  for (const PlatBackend* backend : backends) {
    if (!names.empty())
      names += ", ";
    names += backend->name;
  }
  return names;
}

}  // namespace

const PlatBackend& plat_backend() {
  return *active;
}

const char* plat_open() {
  static std::string why;
  const char* wanted = std::getenv("VELKO_BACKEND");
  if (wanted && *wanted) {
    const PlatBackend* found = nullptr;
    for (const PlatBackend* backend : backends) {
      if (std::strcmp(backend->name, wanted) == 0)
        found = backend;
    }
    if (!found) {
      why = std::string("VELKO_BACKEND names \"") + wanted +
            "\", which this program does not have (it has: " + backend_names() + ")";
      return why.c_str();
    }
    active = found;
  }
  return active->open();
}

void plat_close() {
  if (active->close)
    active->close();
}

const char* plat_backend_name() {
  return active->name;
}

void plat_fail(const char* message) {
  active->fail(message ? message : "");
  std::exit(1);  // a backend's fail ends the process; this is only a backstop
}

void plat_note_event(int kind, int x, int y, int key) {
  if (active->note_event)
    active->note_event(kind, x, y, key);
}

void plat_note_log_line(const char* text) {
  if (active->note_log_line)
    active->note_log_line(text ? text : "");
}

void plat_register_class(const PlatClass* window_class) {
  active->register_class(window_class);
}

PlatWindow* plat_create_window(const char* class_name, const char* title, bool resizable, int x,
                               int y, int width, int height, void* instance) {
  return active->create_window(class_name, title, resizable, x, y, width, height, instance);
}

bool plat_show_window(PlatWindow* window, int show_mode) {
  return active->show_window(window, show_mode);
}

void plat_client_size(PlatWindow* window, int* width, int* height) {
  active->client_size(window, width, height);
}

void plat_screen_size(int* width, int* height) {
  active->screen_size(width, height);
}

PlatResult plat_default_handler(PlatWindow* window, unsigned kind, PlatWParam wparam,
                                PlatLParam lparam) {
  return active->default_handler(window, kind, wparam, lparam);
}

void plat_begin_paint(PlatWindow* window) {
  active->begin_paint(window);
}

void plat_end_paint(PlatWindow* window) {
  active->end_paint(window);
}

bool plat_peek_message(PlatMessage* message) {
  return active->peek_message(message);
}

void plat_translate_message(const PlatMessage* message) {
  active->translate_message(message);
}

PlatResult plat_dispatch_message(const PlatMessage* message) {
  return active->dispatch_message(message);
}

void plat_post_message(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  active->post_message(window, kind, wparam, lparam);
}

void plat_post_quit(int exit_code) {
  active->post_quit(exit_code);
}

void plat_wait_message() {
  active->wait_message();
}

void plat_set_timer(PlatWindow* window, unsigned id, unsigned period_ms) {
  active->set_timer(window, id, period_ms);
}

void plat_kill_timer(PlatWindow* window, unsigned id) {
  active->kill_timer(window, id);
}

PlatMenu* plat_create_menu_bar() {
  return active->create_menu_bar();
}

PlatMenu* plat_create_popup_menu() {
  return active->create_popup_menu();
}

void plat_append_menu_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text) {
  active->append_menu_item(menu, flags, id, text);
}

void plat_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text) {
  active->append_popup(bar, popup, text);
}

void plat_set_menu(PlatWindow* window, PlatMenu* bar) {
  active->set_menu(window, bar);
}

void plat_draw_menu_bar(PlatWindow* window) {
  active->draw_menu_bar(window);
}

void plat_check_menu_item(PlatMenu* menu, unsigned id, bool checked) {
  active->check_menu_item(menu, id, checked);
}

PlatCanvas* plat_get_canvas(PlatWindow* window) {
  return active->get_canvas(window);
}

void plat_release_canvas(PlatWindow* window, PlatCanvas* canvas) {
  active->release_canvas(window, canvas);
}

PlatCanvas* plat_create_surface(PlatCanvas* compatible, int width, int height) {
  return active->create_surface(compatible, width, height);
}

void plat_blit(PlatCanvas* dst, int dst_x, int dst_y, int width, int height, const PlatCanvas* src,
               int src_x, int src_y) {
  active->blit(dst, dst_x, dst_y, width, height, src, src_x, src_y);
}

void plat_scroll(PlatCanvas* canvas, int dy) {
  active->scroll(canvas, dy);
}

void plat_fill_rect(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                    std::int64_t bottom, PlatColor color) {
  active->fill_rect(canvas, left, top, right, bottom, color);
}

void plat_rectangle(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                    std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush) {
  active->rectangle(canvas, left, top, right, bottom, pen, brush);
}

void plat_ellipse(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                  std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush) {
  active->ellipse(canvas, left, top, right, bottom, pen, brush);
}

void plat_polygon(PlatCanvas* canvas, const PlatPoint* points, int count, const PlatPen& pen,
                  const PlatBrush& brush) {
  active->polygon(canvas, points, count, pen, brush);
}

void plat_line(PlatCanvas* canvas, PlatPoint from, PlatPoint to, const PlatPen& pen) {
  active->line(canvas, from, to, pen);
}

void plat_set_pixel(PlatCanvas* canvas, std::int64_t x, std::int64_t y, PlatColor color) {
  active->set_pixel(canvas, x, y, color);
}

PlatFont* plat_fixed_font() {
  return active->fixed_font();
}

PlatFont* plat_create_font(int char_height) {
  return active->create_font(char_height);
}

void plat_delete_font(PlatFont* font) {
  active->delete_font(font);
}

void plat_text_metrics(PlatCanvas* canvas, PlatFont* font, PlatTextMetrics* metrics) {
  active->text_metrics(canvas, font, metrics);
}

void plat_text_extent(PlatCanvas* canvas, PlatFont* font, const char* text, int count, int* width,
                      int* height) {
  active->text_extent(canvas, font, text, count, width, height);
}

void plat_text_out(PlatCanvas* canvas, PlatFont* font, std::int64_t x, std::int64_t y,
                   const char* text, int count, PlatColor text_color, bool opaque,
                   PlatColor background) {
  active->text_out(canvas, font, x, y, text, count, text_color, opaque, background);
}
