// What the contract suite needs of a backend beyond the seam itself: how the
// user's input is made on it, how time passes, and what the user sees of a
// check mark. One file per backend (host_*.cpp) provides it.
#pragma once

#include "runtime/platform/platform.h"

// Opens the backend; false when it cannot be (the suite then stops).
bool host_open();

// The user presses or releases a key (a virtual-key code) in the window, or
// clicks the left button at a client pixel. The input reaches the queue
// before host_settle returns.
void host_key(PlatWindow* window, unsigned key_code, bool down);
void host_click(PlatWindow* window, int x, int y);
void host_settle();

// Time passes while the program does something else.
void host_sleep_ms(int ms);

// Whether the user sees a check mark at the item.
bool host_menu_checked(PlatMenu* menu, unsigned id);

// The client area a fixed 601 x 540 window with a menu bar has on this
// backend, or 0 x 0 when the window system's own frame decides it.
void host_expected_client(int* width, int* height);
