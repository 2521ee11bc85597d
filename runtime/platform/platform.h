// The platform seam: everything the runtime needs from a window system and a
// drawing library, in the runtime's own words. The runtime's parts include only
// this header; each backend (headless, gtk, web, win32) is a table of the
// operations below, and the runtime calls through the table in use, plat.
//
// Messages keep the Windows shape, because the runtime's window handlers are
// written as message branches: a window, a kind and two parameters. The kind
// values are the Windows message numbers and key codes are Windows virtual-key
// codes, so the win32 backend hands the real messages through.
//
// Handles: a window handle stays safe to pass after its window has been
// destroyed; every operation on a destroyed window (or on a null handle, menu,
// canvas or font) does nothing and answers 0 / false / null. The handle types
// are opaque: each backend keeps its own records behind them.
//
// One build may hold several backends; plat_open picks the one a process
// runs on (as a program picks a video driver): the desktop one by default,
// the in-memory one for checking a program without a display.
#pragma once

#include <cstdint>

struct PlatWindow;  // a top-level window
struct PlatCanvas;  // something to draw on: a window's client area or an off-screen surface
struct PlatMenu;    // a menu bar or a popup menu
struct PlatFont;    // a font of one character height

using PlatWParam = std::uintptr_t;
using PlatLParam = std::intptr_t;
using PlatResult = std::intptr_t;

// Colours are 0x00BBGGRR words: red in the lowest byte.
using PlatColor = std::uint32_t;

// ---------------------------------------------------------------------------
// Messages

enum : unsigned {
  PLAT_MSG_NONE = 0x0000,
  PLAT_MSG_CREATE = 0x0001,       // sent inside create_window
  PLAT_MSG_DESTROY = 0x0002,      // sent when the window is destroyed
  PLAT_MSG_SIZE = 0x0005,         // client area changed; lparam = width | height << 16
  PLAT_MSG_PAINT = 0x000F,        // part of the window must be drawn again
  PLAT_MSG_CLOSE = 0x0010,        // close box; the default handling destroys the window
  PLAT_MSG_QUIT = 0x0012,         // posted by post_quit; never dispatched
  PLAT_MSG_KEYDOWN = 0x0100,      // wparam = virtual-key code
  PLAT_MSG_KEYUP = 0x0101,        // wparam = virtual-key code
  PLAT_MSG_CHAR = 0x0102,         // wparam = character code, made by translate_message
  PLAT_MSG_COMMAND = 0x0111,      // wparam = menu item id (notification code 0 in the high word)
  PLAT_MSG_TIMER = 0x0113,        // wparam = timer id
  PLAT_MSG_LBUTTONDOWN = 0x0201,  // lparam = client x (low 16 bits) | client y (high 16 bits)
  PLAT_MSG_LBUTTONUP = 0x0202,
  // A new file took the script file's place from outside the program (the
  // browser page's "Open a script…" or a dropped file): a stream open on the
  // old one is to be closed. Only the web backend sends it (in the range
  // Windows leaves to applications).
  PLAT_MSG_SCRIPT_REPLACED = 0x8000,
};

// Virtual-key codes the runtime and the backends agree on.
enum : unsigned {
  PLAT_VK_BACK = 8,
  PLAT_VK_TAB = 9,
  PLAT_VK_RETURN = 13,
  PLAT_VK_SHIFT = 16,
  PLAT_VK_CONTROL = 17,
  PLAT_VK_ESCAPE = 27,
  PLAT_VK_SPACE = 32,
  // '0'..'9' are 48..57, 'A'..'Z' are 65..90
};

struct PlatMessage {
  PlatWindow* window = nullptr;
  unsigned kind = PLAT_MSG_NONE;
  PlatWParam wparam = 0;
  PlatLParam lparam = 0;
};

using PlatHandler = PlatResult (*)(PlatWindow* window, unsigned kind, PlatWParam wparam,
                                   PlatLParam lparam);

struct PlatClass {
  const char* name = nullptr;
  PlatHandler handler = nullptr;
  bool redraw_on_resize = false;  // the whole client area is repainted after a resize
  PlatColor background = 0;       // erased into the invalid area before a repaint
  void* instance = nullptr;
};

// Show modes, as the process entry hands them on.
enum : int {
  PLAT_SW_HIDE = 0,
  PLAT_SW_SHOWNORMAL = 1,
  PLAT_SW_SHOW = 5,
};

// Menu item flags, with the Windows values.
enum : unsigned {
  PLAT_MENU_STRING = 0,
  PLAT_MENU_GRAYED = 1,
  PLAT_MENU_CHECKED = 8,
  PLAT_MENU_SEPARATOR = 2048,
  // The item is one that is checked or not (a check box to a screen reader);
  // the others are commands. Not a Windows flag: win32 leaves it out.
  PLAT_MENU_CHECKABLE = 0x10000000,
};

// Canvas coordinates are pixels, x to the right and y down, in 64 bits so
// that callers may hand any sum of 32-bit values; everything is clipped to the
// canvas before any loop runs.
struct PlatPoint {
  std::int64_t x = 0;
  std::int64_t y = 0;
};

// A solid pen. width 0 or 1 is the thin one-pixel pen; a wider one is centred
// on the edge it draws. none draws nothing.
struct PlatPen {
  PlatColor color = 0;
  std::int64_t width = 0;
  bool none = false;
};

// A solid brush, or the hollow brush that leaves the inside untouched.
struct PlatBrush {
  PlatColor color = 0;
  bool hollow = false;
};

struct PlatTextMetrics {
  int height = 0;  // ascent + descent, without the line gap
  int ascent = 0;
  int external_leading = 0;  // the gap the font asks for between lines
};

// ---------------------------------------------------------------------------
// Drawing: canvases, shapes and text. One table serves every backend that
// draws with our own rasteriser; the native one draws with its platform's.

struct PlatDraw {
  // An off-screen surface in the pixel format of the window's canvas. Its
  // pixels are black until something is drawn.
  PlatCanvas* (*create_surface)(PlatCanvas* compatible, int width, int height);

  // Copies width x height pixels from src at (src_x, src_y) to dst at (dst_x, dst_y).
  void (*blit)(PlatCanvas* dst, int dst_x, int dst_y, int width, int height, const PlatCanvas* src,
               int src_x, int src_y);

  // Moves every pixel of the canvas by dy rows (negative: up). The rows left
  // behind keep what they held.
  void (*scroll)(PlatCanvas* canvas, int dy);

  // Fills [left, right) x [top, bottom) with one colour.
  void (*fill_rect)(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                    std::int64_t bottom, PlatColor color);

  // The shapes take a box from left, top (included) to right, bottom
  // (excluded), filled with the brush and outlined with the pen.
  void (*rectangle)(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                    std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush);
  void (*ellipse)(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                  std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush);
  void (*polygon)(PlatCanvas* canvas, const PlatPoint* points, int count, const PlatPen& pen,
                  const PlatBrush& brush);

  // A line from one point to the other; the end point's own pixel is not drawn.
  void (*line)(PlatCanvas* canvas, PlatPoint from, PlatPoint to, const PlatPen& pen);

  void (*set_pixel)(PlatCanvas* canvas, std::int64_t x, std::int64_t y, PlatColor color);

  // The stock fixed-pitch font; never deleted.
  PlatFont* (*fixed_font)();

  // The application font at a character height of char_height pixels (em
  // height, internal leading excluded), normal weight; 0 asks for the
  // platform's default height.
  PlatFont* (*create_font)(int char_height);
  void (*delete_font)(PlatFont* font);

  void (*text_metrics)(PlatCanvas* canvas, PlatFont* font, PlatTextMetrics* metrics);

  // Width and height of the first count characters in the font. The height
  // is the font's height (as the metrics give it), whatever the characters.
  void (*text_extent)(PlatCanvas* canvas, PlatFont* font, const char* text, int count, int* width,
                      int* height);

  // Draws count characters with the top-left corner of their cell at (x, y).
  // Transparent: only the glyphs are drawn. Opaque: the cell is first filled
  // with the background colour.
  void (*text_out)(PlatCanvas* canvas, PlatFont* font, std::int64_t x, std::int64_t y,
                   const char* text, int count, PlatColor text_color, bool opaque,
                   PlatColor background);
};

// ---------------------------------------------------------------------------
// A backend: the window system, and the drawing it comes with.

struct PlatBackend {
  const char* name = nullptr;

  // Opens the backend; null when ready, else a sentence saying why the
  // program cannot run, such as "cannot open a display: DISPLAY is not set".
  const char* (*open)() = nullptr;
  // Ends the run on the backend; the handles stay safe to pass.
  void (*close)() = nullptr;
  // Tells the user why the program cannot go on, as the platform tells such
  // things (standard error, or a message box), and ends the process with
  // status 1.
  void (*fail)(const char* message) = nullptr;

  // -- Windows

  void (*register_class)(const PlatClass* window_class) = nullptr;

  // Creates a window, not yet visible. The create message and the first size
  // message reach the class's handler before this returns. x, y, width and
  // height are the outer frame; null when the class is not registered.
  PlatWindow* (*create_window)(const char* class_name, const char* title, bool resizable, int x,
                               int y, int width, int height, void* instance) = nullptr;

  // Shows (any non-zero mode) or hides (PLAT_SW_HIDE) a window; answers
  // whether it was visible before.
  bool (*show_window)(PlatWindow* window, int show_mode) = nullptr;

  // The client area: left and top are 0.
  void (*client_size)(PlatWindow* window, int* width, int* height) = nullptr;

  void (*screen_size)(int* width, int* height) = nullptr;

  // What a handler hands every message it does not handle to. Closing
  // destroys the window; a paint that nobody handles is opened and closed.
  PlatHandler default_handler = nullptr;

  // Open and close a repaint. Opening erases the invalid part of the client
  // area with the class background and marks the window as painted.
  void (*begin_paint)(PlatWindow* window) = nullptr;
  void (*end_paint)(PlatWindow* window) = nullptr;

  // The client area of a window, for drawing into it directly. Hand it back
  // with release_canvas. Null for a destroyed window.
  PlatCanvas* (*get_canvas)(PlatWindow* window) = nullptr;
  void (*release_canvas)(PlatWindow* window, PlatCanvas* canvas) = nullptr;

  // -- The message queue (one per process; the runtime is single-threaded).
  // Messages come out in this order: posted messages (a character made by
  // translate_message is posted behind them), then the quit message, then
  // input (what the user did: keys, clicks, the close box, a menu choice, in
  // the order done), then a repaint of an invalid visible window, then an
  // expired timer.

  // Takes at most one message for any window, without waiting. Answers
  // whether it took one.
  bool (*peek_message)(PlatMessage* message) = nullptr;

  // A key-down becomes a character message for the same window, as the
  // keyboard layout makes it (Shift, Ctrl+letter gives the control
  // character); it comes before any input queued after its key.
  void (*translate_message)(const PlatMessage* message) = nullptr;

  // Hands the message to its window's handler and answers the handler's result.
  PlatResult (*dispatch_message)(const PlatMessage* message) = nullptr;

  void (*post_message)(PlatWindow* window, unsigned kind, PlatWParam wparam,
                       PlatLParam lparam) = nullptr;

  // The quit message comes once everything posted before it has been
  // taken, ahead of any input still queued.
  void (*post_quit)(int exit_code) = nullptr;

  // Blocks until peek_message would take a message. Used only where nothing
  // else can happen before the next message.
  void (*wait_message)() = nullptr;

  // -- Timers: one periodic timer per window and id; each expiry arrives as
  // a timer message. Expiries are not queued up: at most one waits at a time.

  void (*set_timer)(PlatWindow* window, unsigned id, unsigned period_ms) = nullptr;
  void (*kill_timer)(PlatWindow* window, unsigned id) = nullptr;

  // -- Menus: a menu bar with popups; items with ids, separators, greyed
  // items and check marks.

  PlatMenu* (*create_menu_bar)() = nullptr;
  PlatMenu* (*create_popup_menu)() = nullptr;

  // Appends an item. In the text, "&" marks the mnemonic letter and a tab
  // separates the shortcut shown at the right. A separator has no id and text.
  void (*append_menu_item)(PlatMenu* menu, unsigned flags, unsigned id, const char* text) = nullptr;
  void (*append_popup)(PlatMenu* bar, PlatMenu* popup, const char* text) = nullptr;

  void (*set_menu)(PlatWindow* window, PlatMenu* bar) = nullptr;
  void (*draw_menu_bar)(PlatWindow* window) = nullptr;
  void (*check_menu_item)(PlatMenu* menu, unsigned id, bool checked) = nullptr;

  // -- Drawing on the canvases of this window system.
  const PlatDraw* draw = nullptr;
};

// The backend in use: the one plat_open picked, or before that the build's
// default, its desktop backend where it has one.
extern const PlatBackend* plat;

// Picks and opens the backend, before any other call: the one the
// environment variable VELKO_BACKEND names ("gtk", "headless", "win32"), else
// the build's default. Answers null when the backend is ready, else why the
// program cannot run.
const char* plat_open();

// The backend's fail, which never returns.
[[noreturn]] void plat_fail(const char* message);
