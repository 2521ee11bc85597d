// Windows on a scaled monitor. The program is per-monitor DPI aware (its
// manifest says so), so the system does not stretch its windows: the backend
// scales them itself, by the monitor's factor rounded to a whole number.
// The runtime keeps working in its own pixels: window sizes and the screen
// size it asks for and is told, and the positions of clicks, are those
// pixels; what is drawn on a window's canvas is scaled by a world transform,
// so a copy of a surface puts each of its pixels on a sharp block of whole
// device pixels.
#pragma once

#include "runtime/platform/win32/win32_internal.h"

// The whole-number factor of a window's monitor (of the primary monitor for
// a null window), at least 1.
int w32_scale(HWND window);

// A length in the runtime's pixels, in device pixels of that window, and
// back (rounded down).
int w32_to_device(HWND window, int length);
int w32_to_runtime(HWND window, int length);

// Sets a window's canvas up to draw in the runtime's pixels.
void w32_scale_canvas(HDC dc, HWND window);

// The message's lParam as the runtime sees it: the position of a mouse
// message and the size of WM_SIZE in its pixels.
LPARAM w32_runtime_lparam(HWND window, UINT message, LPARAM lparam);

// The system's default for WM_DPICHANGED: the window moves to the monitor's
// suggested place and size. Answers whether the message was that one.
bool w32_dpi_changed(HWND window, UINT message, LPARAM lparam);
