// The runtime's window layer: the graphics window and the log window, the
// off-screen surface with its dirty flag, the coordinate origin, start-up and
// shut-down.
#pragma once

#include "runtime/platform/platform.h"

inline constexpr int SURFACE_WIDTH = 601;
inline constexpr int SURFACE_HEIGHT = 540;

// The graphics window's periodic timer.
inline constexpr unsigned TIMER_ID = 2;
inline constexpr unsigned TIMER_PERIOD_MS = 100;

// Null until VELKO_start: a non-null graphics_window means "started".
extern PlatWindow* graphics_window;
extern PlatWindow* log_window;

// The graphics window's client area, held from start to finish; every copy of
// the surface goes through it.
extern PlatCanvas* window_dc;
// The 601 x 540 off-screen surface all drawing goes to.
extern PlatCanvas* surface_dc;

// Client pixel of runtime point (0, 0); (0, 0) until the first size message.
extern int origin_x;
extern int origin_y;

// 1 while the surface holds something not yet copied to the window.
extern int surface_dirty;

// Copies the whole surface to the graphics window and clears surface_dirty.
void copy_surface();

// The handler of the graphics window's class.
PlatResult graphics_window_proc(PlatWindow* window, unsigned kind, PlatWParam wparam,
                                PlatLParam lparam);
