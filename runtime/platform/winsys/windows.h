// Window classes and window records kept in memory, shared by the headless,
// gtk and web backends: what a window is to the runtime (class, title, frame, visible,
// destroyed, needing a repaint, menu bar, client-area pixels), apart from
// whatever a toolkit keeps beside it.
//
// Records are never freed, so a handle stays safe to pass after its window is
// destroyed. The client area is made out of the outer frame with the frame
// metrics of the classic Windows look: a fixed frame is 3 pixels on each side,
// a sizing frame 4, the caption 19 and a menu bar 19, so a fixed 601 x 540
// window with a menu has a 595 x 496 client area, as Windows gives it.
#pragma once

#include <string>
#include <vector>

#include "runtime/platform/platform.h"
#include "runtime/platform/shared_api.h"

VELKO_SHARED_BEGIN

inline constexpr int WINSYS_FIXED_FRAME = 3;
inline constexpr int WINSYS_SIZING_FRAME = 4;
inline constexpr int WINSYS_CAPTION = 19;
inline constexpr int WINSYS_MENU_BAR = 19;

struct WinsysClass {
  std::string name;
  PlatHandler handler = nullptr;
  bool redraw_on_resize = false;
  PlatColor background = 0;
};

// What a toolkit keeps beside a record (gtk: its widgets); defined there.
struct NativeWindow;

struct PlatWindow {
  const WinsysClass* window_class = nullptr;
  std::string title;
  bool resizable = false;
  int x = 0, y = 0, width = 0, height = 0;  // the outer frame as asked for
  bool visible = false;
  bool destroyed = false;
  bool invalid = false;  // the runtime must repaint it
  PlatMenu* menu = nullptr;
  PlatCanvas* canvas = nullptr;  // the client-area pixels; kept after destruction
  int paint_count = 0;           // repaints opened with begin_paint
  int menu_bar_draws = 0;        // calls of draw_menu_bar
  NativeWindow* native = nullptr;
};

// Registers a class; the first registration of a name is the one kept.
void winsys_register_class(const PlatClass* window_class);
// Null when no class of that name is registered.
const WinsysClass* winsys_find_class(const char* name);

// A new record with an empty canvas; nothing is sent to the window yet.
PlatWindow* winsys_new_window(const WinsysClass* window_class, const char* title, bool resizable,
                              int x, int y, int width, int height);

// Every record, in the order of creation.
const std::vector<PlatWindow*>& winsys_windows();

bool winsys_alive(const PlatWindow* window);

// Hands a message straight to the window's handler (a sent message); 0 for a
// destroyed window.
PlatResult winsys_send(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam);

// The client area the outer frame leaves, by the metrics above.
void winsys_client_from_frame(const PlatWindow* window, int* width, int* height);

// The first visible window that must be repainted, or null.
PlatWindow* winsys_window_to_paint();

// Width and height (or x and y) packed as a size or position parameter.
PlatLParam winsys_size_param(int width, int height);

// Drops every record and class (the handles given out become invalid). For
// test programs that start the runtime many times in one process.
void winsys_forget_windows();

// The seam's operations that work on the records alone.
void winsys_client_size(PlatWindow* window, int* width, int* height);
void winsys_begin_paint(PlatWindow* window);  // erases an invalid window, marks it painted
void winsys_end_paint(PlatWindow* window);
PlatCanvas* winsys_get_canvas(PlatWindow* window);
void winsys_release_canvas(PlatWindow* window, PlatCanvas* canvas);

VELKO_SHARED_END
