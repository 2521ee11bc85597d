// The log window: a ring of the 25 latest lines, drawn one by one at the
// bottom of the window and replayed on repaint; the logging switch.
#pragma once

#include <array>
#include <string>

#include "runtime/platform/platform.h"

inline constexpr int LOG_RING_SIZE = 25;
// One formatted line holds at most LOG_BUFFER_SIZE - 1 characters.
inline constexpr int LOG_BUFFER_SIZE = 1024;
// Left margin of the text in the log window.
inline constexpr int LOG_LEFT_MARGIN = 5;

// Each used slot holds one stored line, trailing newline included.
extern std::array<std::string, LOG_RING_SIZE> log_ring;
extern int log_first;  // slot of the oldest line; -1 while the ring is empty
extern int log_next;   // slot that takes the next line

// The logging switch: drawing operations describe their calls while it is on.
extern unsigned char logging_enabled;

// Draws one text as the new bottom line of the log window.
void draw_log_line(const char* text);

// The handler of the log window's class.
PlatResult log_window_proc(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam);
