// The web backend: the window system in memory, driven by the page. The page
// (web_page.js) lays each window out as a framed box with an HTML menu bar,
// turns what the user does there into the runtime's messages and keeps them
// in a queue of its own until the program asks; the clock is the page's. The
// program's blocking wait suspends the WebAssembly stack (Asyncify) until
// input arrives or the next timer is due, so an idle page uses no processor
// time between events.
//
// Pixels are presented when the program waits, and at most every
// kYieldEveryMs while it runs without waiting (a script playing back, a long
// drawing), when it also lets the browser take input and paint.
#include <emscripten.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <typeinfo>

#include "runtime/platform/backend.h"
#include "runtime/platform/observer.h"
#include "runtime/platform/render/render.h"
#include "runtime/platform/text_bytes.h"
#include "runtime/platform/winsys/winsys.h"

// The page's side (web_library.js).
extern "C" {
// Suspends until input is queued or ms milliseconds pass (ms < 0: no limit).
void velko_web_wait(double ms);
// The oldest queued input as {window, kind, wparam, lparam, typed}; 0 when
// none. typed is a key-down's character as a code point, 0 for none, or -1
// for what translation makes of its key code.
int velko_web_next_input(std::int32_t* input);
int velko_web_input_pending();
void velko_web_present(int window, const std::uint32_t* pixels, int width, int height, int x0,
                       int y0, int x1, int y1);
void velko_web_window_created(int window, const char* title, int text_panel, int width, int height);
void velko_web_window_shown(int window, int visible);
void velko_web_window_destroyed(int window);
void velko_web_menu_created(int menu, int bar);
void velko_web_menu_item_added(int menu, int index, unsigned flags, unsigned id, const char* text,
                               int popup, int checked);
void velko_web_menu_attached(int window, int bar);
void velko_web_menu_item_checked(int menu, int index, int checked);
void velko_web_screen_size(int* width, int* height);
void velko_web_closed();
// The C++ runtime's own test of whether a handler of catch_type would take an
// object of thrown_type, adjusting *thrown to the base object it would get.
int __cxa_can_catch(const std::type_info* catch_type, const std::type_info* thrown_type,
                    void** thrown);
}

// The log panel shows a line with the characters the other backends draw:
// read by the rule of text_bytes.h and handed to the page in UTF-8.
EM_JS(void, velko_web_log_text, (const char* utf8),
      { Module.velkoPage.logLine(UTF8ToString(utf8)); });

namespace {

constexpr double kYieldEveryMs = 50;

// Windows and menus are known to the page by number: their place in the
// order of creation, from 1.
struct Numbers {
  std::vector<PlatMenu*> menus;
  double last_yield = 0;
};

Numbers& numbers() {
  static Numbers n;
  return n;
}

// The place of a record in its list of creation, from 1; 0 for none.
template <typename Record>
int number_in(const std::vector<Record*>& all, const Record* record) {
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i] == record)
      return static_cast<int>(i) + 1;
  }
  return 0;
}

int window_number(const PlatWindow* window) {
  return number_in(winsys_windows(), window);
}

PlatWindow* window_of_number(int number) {
  const auto& all = winsys_windows();
  return number >= 1 && static_cast<std::size_t>(number) <= all.size() ? all[number - 1] : nullptr;
}

int menu_number(const PlatMenu* menu) {
  return number_in(numbers().menus, menu);
}

int item_index(const WinsysMenuItem* item) {
  const auto& items = item->owner->items;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].get() == item)
      return static_cast<int>(i);
  }
  return -1;
}

void present(PlatWindow* window) {
  if (!window->canvas)
    return;
  const RenderBox box = render_canvas_take_damage(window->canvas);
  if (!winsys_alive(window) || !window->visible || box.empty())
    return;
  const PlatCanvas* c = window->canvas;
  velko_web_present(window_number(window), c->pixels.data(), c->width, c->height, box.x0, box.y0,
                    box.x1, box.y1);
}

void present_all() {
  for (PlatWindow* window : winsys_windows())
    present(window);
}

double now_exact() {
  return emscripten_get_now();
}

std::int64_t now_ms() {
  return static_cast<std::int64_t>(now_exact());
}

void take_input() {
  std::int32_t input[5];
  while (velko_web_next_input(input)) {
    PlatWindow* window = window_of_number(input[0]);
    if (!window)
      continue;
    const auto kind = static_cast<unsigned>(input[1]);
    const auto wparam = static_cast<PlatWParam>(static_cast<std::uint32_t>(input[2]));
    const auto lparam = static_cast<PlatLParam>(input[3]);
    if (kind == PLAT_MSG_KEYDOWN && input[4] >= 0)
      winsys_input_typed_key(window, wparam, lparam, static_cast<char32_t>(input[4]));
    else
      winsys_input(window, kind, wparam, lparam);
  }
}

void wait(std::int64_t deadline) {
  present_all();
  if (!velko_web_input_pending()) {
    const double ms = deadline == INT64_MAX ? -1.0 : static_cast<double>(deadline) - now_exact();
    if (deadline == INT64_MAX || ms > 0)
      velko_web_wait(ms);
  }
  numbers().last_yield = now_exact();
  take_input();
}

// A program that does not wait still lets the page show its pixels and take
// input now and then.
void poll() {
  if (now_exact() - numbers().last_yield >= kYieldEveryMs) {
    present_all();
    velko_web_wait(0);
    numbers().last_yield = now_exact();
  }
  take_input();
}

void screen_size(int* width, int* height) {
  velko_web_screen_size(width, height);
}

// The window the runtime's log lines go to is shown as text a user can
// select: the resizable one (the runtime's only one). Its canvas is kept
// but not shown.
void window_created(PlatWindow* window) {
  int width = 0;
  int height = 0;
  winsys_client_from_frame(window, &width, &height);
  velko_web_window_created(window_number(window), window->title.c_str(), window->resizable ? 1 : 0,
                           width, height);
}

void window_shown(PlatWindow* window, bool visible, bool) {
  velko_web_window_shown(window_number(window), visible ? 1 : 0);
  if (visible)
    render_canvas_touch(window->canvas);
}

void window_destroyed(PlatWindow* window) {
  velko_web_window_destroyed(window_number(window));
}

void menu_created(PlatMenu* menu) {
  numbers().menus.push_back(menu);
  velko_web_menu_created(menu_number(menu), menu->bar ? 1 : 0);
}

void menu_item_added(PlatMenu* menu, WinsysMenuItem* item) {
  velko_web_menu_item_added(menu_number(menu), item_index(item), item->flags, item->id,
                            item->text.c_str(), menu_number(item->popup), item->checked ? 1 : 0);
}

void menu_attached(PlatWindow* window, PlatMenu*) {
  velko_web_menu_attached(window_number(window), menu_number(window->menu));
}

void menu_item_checked(WinsysMenuItem* item) {
  velko_web_menu_item_checked(menu_number(item->owner), item_index(item), item->checked ? 1 : 0);
}

void log_line(const char* text) {
  const std::string line = text_bytes::to_utf8(text, std::strlen(text));
  velko_web_log_text(line.c_str());
}

void no_event(int, int, int, int) {}

constexpr PlatObserver page_log = {.event = no_event, .log_line = log_line};

constexpr WinsysDriver driver = {
    .now_ms = now_ms,
    .poll = poll,
    .wait = wait,
    .screen_size = screen_size,
    .window_created = window_created,
    .window_shown = window_shown,
    .window_destroyed = window_destroyed,
    .menu_created = menu_created,
    .menu_item_added = menu_item_added,
    .menu_attached = menu_attached,
    .menu_item_checked = menu_item_checked,
};

const char* open_backend() {
  winsys_use(&driver);
  numbers().last_yield = now_exact();
  // The page shows the log window's lines as text; a tool that watches the
  // run itself (velko-check) keeps its own observer.
  if (!plat_observer)
    plat_observer = &page_log;
  return nullptr;
}

// The program is done with its windows: what they show stays on the page.
void close_backend() {
  present_all();
  velko_web_closed();
}

}  // namespace

// For the page's message when an exception nobody caught ended the program:
// what the thrown object says of itself (a std::exception's what(), a thrown
// text), or its type's name. The program's code is not running any more.
extern "C" EMSCRIPTEN_KEEPALIVE const char* velko_web_exception_text(void* thrown,
                                                                     const std::type_info* type) {
  static std::string text;
  if (!thrown || !type)
    return nullptr;
  void* object = thrown;
  if (__cxa_can_catch(&typeid(std::exception), type, &object)) {
    const char* what = static_cast<const std::exception*>(object)->what();
    text = what ? what : "";
  } else if (*type == typeid(const char*) || *type == typeid(char*)) {
    const char* thrown_text = *static_cast<const char* const*>(thrown);
    text = thrown_text ? thrown_text : "";
  } else {
    // "7Problem" names the class Problem; other names are left as they are.
    const char* name = type->name();
    while (*name >= '0' && *name <= '9' && name[1])
      ++name;
    text = std::string("an object of type ") + name;
  }
  return text.c_str();
}

constinit const PlatBackend web_backend =
    winsys_backend("web", open_backend, close_backend, &render_draw);
