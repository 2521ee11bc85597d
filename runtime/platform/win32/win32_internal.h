// Shared state of the win32 backend: its canvas record, the conversions
// between the seam's opaque handles and the Windows ones, and the backend's
// operations, one file per concern; win32_backend.cpp puts them in the table.
//
// The seam's opaque types are never defined here: a PlatWindow* is an HWND, a
// PlatMenu* an HMENU and a PlatFont* an HFONT, each carried through the
// pointer type as it is, and a PlatCanvas* is a W32Canvas. So one program can
// hold this backend beside one that defines those types itself. Names carry
// the prefix w32_ so they never meet the system's own.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "runtime/platform/platform.h"

// Something to draw on: a window's client area (from GetDC, handed back with
// ReleaseDC) or an off-screen surface (a memory DC with its bitmap).
struct W32Canvas {
  HDC dc = nullptr;
  HWND window = nullptr;  // null for a surface
  HBITMAP bitmap = nullptr;
  int width = 0;  // of a surface; a window's is its client area at the time
  int height = 0;
};

inline HWND w32_hwnd(PlatWindow* window) {
  return reinterpret_cast<HWND>(window);
}
inline PlatWindow* w32_window(HWND hwnd) {
  return reinterpret_cast<PlatWindow*>(hwnd);
}
inline HMENU w32_hmenu(PlatMenu* menu) {
  return reinterpret_cast<HMENU>(menu);
}
inline PlatMenu* w32_menu(HMENU menu) {
  return reinterpret_cast<PlatMenu*>(menu);
}
inline W32Canvas* w32_canvas(PlatCanvas* canvas) {
  return reinterpret_cast<W32Canvas*>(canvas);
}
inline const W32Canvas* w32_canvas(const PlatCanvas* canvas) {
  return reinterpret_cast<const W32Canvas*>(canvas);
}
inline HFONT w32_hfont(PlatFont* font) {
  return reinterpret_cast<HFONT>(font);
}

// A live window; false for null and for a destroyed one.
inline bool w32_alive(PlatWindow* window) {
  return window && IsWindow(w32_hwnd(window));
}

// The size clipping works with: a surface's, or a window's client area now.
void w32_canvas_size(const W32Canvas* canvas, int* width, int* height);

// Selects a GDI object into a device context for a scope and puts the
// previous one back at its end; deletes the object then when it owns it
// (stock objects are never owned).
class W32Selection {
 public:
  W32Selection(HDC dc, HGDIOBJ object, bool owned)
      : dc_(dc), object_(object), owned_(owned && object) {
    previous_ = object_ ? SelectObject(dc_, object_) : nullptr;
  }
  ~W32Selection() {
    if (previous_)
      SelectObject(dc_, previous_);
    if (owned_)
      DeleteObject(object_);
  }
  W32Selection(const W32Selection&) = delete;
  W32Selection& operator=(const W32Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ object_;
  HGDIOBJ previous_ = nullptr;
  bool owned_;
};

// ---------------------------------------------------------------------------
// The backend's operations.

const char* w32_open();
void w32_close();
void w32_fail(const char* message);

void w32_register_class(const PlatClass* window_class);
PlatWindow* w32_create_window(const char* class_name, const char* title, bool resizable, int x,
                              int y, int width, int height, void* instance);
bool w32_show_window(PlatWindow* window, int show_mode);
void w32_client_size(PlatWindow* window, int* width, int* height);
void w32_screen_size(int* width, int* height);
PlatResult w32_default_handler(PlatWindow* window, unsigned kind, PlatWParam wparam,
                               PlatLParam lparam);
void w32_begin_paint(PlatWindow* window);
void w32_end_paint(PlatWindow* window);

bool w32_peek_message(PlatMessage* message);
void w32_translate_message(const PlatMessage* message);
PlatResult w32_dispatch_message(const PlatMessage* message);
void w32_post_message(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam);
void w32_post_quit(int exit_code);
void w32_wait_message();
void w32_set_timer(PlatWindow* window, unsigned id, unsigned period_ms);
void w32_kill_timer(PlatWindow* window, unsigned id);

PlatMenu* w32_create_menu_bar();
PlatMenu* w32_create_popup_menu();
void w32_append_menu_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text);
void w32_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text);
void w32_set_menu(PlatWindow* window, PlatMenu* bar);
void w32_draw_menu_bar(PlatWindow* window);
void w32_check_menu_item(PlatMenu* menu, unsigned id, bool checked);

PlatCanvas* w32_get_canvas(PlatWindow* window);
void w32_release_canvas(PlatWindow* window, PlatCanvas* canvas);
// The drawing half of the table, on GDI (win32_canvas.cpp); its text entries
// are these.
extern const PlatDraw win32_draw;

PlatFont* w32_fixed_font();
PlatFont* w32_create_font(int char_height);
void w32_delete_font(PlatFont* font);
void w32_text_metrics(PlatCanvas* canvas, PlatFont* font, PlatTextMetrics* metrics);
void w32_text_extent(PlatCanvas* canvas, PlatFont* font, const char* text, int count, int* width,
                     int* height);
void w32_text_out(PlatCanvas* canvas, PlatFont* font, std::int64_t x, std::int64_t y,
                  const char* text, int count, PlatColor text_color, bool opaque,
                  PlatColor background);
