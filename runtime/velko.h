// The VELKO runtime: a graphics window with an off-screen surface, integer
// drawing operations in centre-origin, y-up coordinates, a scrolling log
// window, a blocking event stream with a 100 ms tick, a Run menu with
// Ctrl+letter shortcuts, and script recording and playback.
//
// Runtime operations return 1 when done. VELKO_set_run_mode and
// VELKO_set_logging return 0 before VELKO_start; VELKO_print_at and VELKO_log
// return the number of characters formatted; VELKO_show_log whether the log
// window was visible.
#pragma once

// What the shared runtime library offers; everything else in it stays inside.
#if defined(_WIN32)
#define VELKO_API
#elif defined(__GNUC__)
#define VELKO_API __attribute__((visibility("default")))
#else
#define VELKO_API
#endif

// GCC is told the GNU printf family, which MinGW's own printf would otherwise
// hide; clang knows only the plain printf archetype.
#if defined(__clang__)
#define VELKO_PRINTF(format_index, first_arg) \
  __attribute__((format(printf, format_index, first_arg)))
#elif defined(__GNUC__)
#define VELKO_PRINTF(format_index, first_arg) \
  __attribute__((format(gnu_printf, format_index, first_arg)))
#else
#define VELKO_PRINTF(format_index, first_arg)
#endif

// Event kinds.
inline constexpr int VELKO_MOUSE = 1;
inline constexpr int VELKO_KBD = 2;
inline constexpr int VELKO_PERIODIC = 3;
inline constexpr int VELKO_QUIT = 4;

// Run-mode requests.
inline constexpr int VELKO_RUN_HALT = 0;
inline constexpr int VELKO_RUN_STEP = 1;
inline constexpr int VELKO_RUN_ANIMATE = 2;
inline constexpr int VELKO_RUN_QUIT = 5;

// The palette: colour indices 0..23.
inline constexpr int PALETTE_SIZE = 24;
inline constexpr int BLACK = 0;
inline constexpr int WHITE = 1;
inline constexpr int RED = 2;
inline constexpr int GREEN = 3;
inline constexpr int BLUE = 4;
inline constexpr int YELLOW = 5;
inline constexpr int MAGENTA = 6;
inline constexpr int CYAN = 7;
inline constexpr int PURPLE = 8;
inline constexpr int NAVY_BLUE = 9;
inline constexpr int DUSTY_PLUM = 10;
inline constexpr int ICE_BLUE = 11;
inline constexpr int TURQUOISE = 12;
inline constexpr int ORANGE = 13;
inline constexpr int BROWN = 14;
inline constexpr int PINK = 15;
inline constexpr int CHALK = 16;
inline constexpr int GOLD = 17;
inline constexpr int PEACH = 18;
inline constexpr int FOREST_GREEN = 19;
inline constexpr int SEA_GREEN = 20;
inline constexpr int OLIVE = 21;
inline constexpr int GRAY_50 = 22;
inline constexpr int GRAY_20 = 23;

// The largest text size; larger ones are repaired to it.
inline constexpr int MAX_PTSIZE = 127;

// Start and end. The four values are those of the process entry: instance,
// previous instance, command line and show mode.
VELKO_API int VELKO_start(void* instance, void* prev_instance, char* command_line, int show_mode);
VELKO_API int VELKO_finish();

// Blocks until one event is there; stores its x, y (runtime coordinates) and
// key character and returns its kind (VELKO_QUIT after VELKO_RUN_QUIT).
VELKO_API int VELKO_next_event(int* x, int* y, char* key);
VELKO_API int VELKO_set_run_mode(int mode);

// Drawing. A width of 0 fills the shape; a positive width draws only its
// outline. Bad colours, negative sizes and texts larger than MAX_PTSIZE are
// repaired and reported in the log window.
VELKO_API int VELKO_circle(int color, int x, int y, int radius);
VELKO_API int VELKO_triangle(int color, int x1, int y1, int x2, int y2, int x3, int y3, int width);
VELKO_API int VELKO_rectangle(int color, int x1, int y1, int x2, int y2, int width);
VELKO_API int VELKO_line(int color, int x1, int y1, int x2, int y2, int width);
VELKO_API int VELKO_pixel(int color, int x, int y);
VELKO_API int VELKO_print_at(int color, int x, int y, int ptsize, const char* format, ...)
    VELKO_PRINTF(5, 6);
VELKO_API int VELKO_wipe();

// The log window.
VELKO_API int VELKO_log(const char* format, ...) VELKO_PRINTF(1, 2);
VELKO_API int VELKO_set_logging(int on);
VELKO_API int VELKO_show_log(int show);
