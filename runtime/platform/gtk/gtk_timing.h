// Timing of the desktop backend for the benchmarks, off unless the
// environment variable VELKO_TIMING names a file. The backend then appends
// one line per measurement to it:
//
//   toolkit <ms>     the toolkit is ready (display open, GTK initialised)
//   windows <ms>     the first window is shown
//   fonts <ms>       the faces are loaded, in the first wait for a message
//   first_draw <ms>  the first draw handler of the first window has ended
//   scene <ms>       the first draw of the first window that painted the
//                    watched pixel in the watched colour
//   click <us>       from the toolkit's button-press event in a window to the
//                    end of that window's next draw handler
//
// The <ms> are milliseconds since the program was started: since
// VELKO_TIMING_T0, CLOCK_MONOTONIC in microseconds as the starting program
// took it, or else since the start the kernel records (10 ms steps). The
// watched pixel is VELKO_TIMING_WATCH="x,y,RRGGBB", a client pixel of the
// first window. When timing is off every hook returns at its first test.
//
// The hooks are built only when the build option VELKO_TIMING asks for them
// (the presets the tests and benchmarks use do); elsewhere they are empty and
// the environment is not read.
#pragma once

#include <cairo.h>

#include "runtime/platform/winsys/windows.h"

#if defined(VELKO_TIMING)
// Reads the environment; the first call of the backend makes it.
void gb_timing_start();
bool gb_timing_on();

void gb_timing_mark(const char* what);
void gb_timing_press(PlatWindow* window);
// At the end of a draw handler that painted into cr.
void gb_timing_drawn(PlatWindow* window, cairo_t* cr);
#else
inline void gb_timing_start() {}
inline void gb_timing_mark(const char*) {}
inline void gb_timing_press(PlatWindow*) {}
inline void gb_timing_drawn(PlatWindow*, cairo_t*) {}
#endif
