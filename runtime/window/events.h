// The event source (events.cpp): the event the current VELKO_next_event call
// is assembling, the run-control flags that decide when periodic events flow,
// the message pump and the capture branches of the graphics window.
#pragma once

#include "runtime/platform/platform.h"

// Kind of the pending event: -1 for none yet, else 1..4.
extern int pending_kind;
extern int event_x;
extern int event_y;
extern char event_key;

extern int animate;         // periodic events flow continuously
extern int single_step;     // one periodic event is requested
extern int tick;            // a timer message arrived since the periodic wait began
extern int quit_requested;  // every later event is reported as VELKO_QUIT

// One step of the message pump: takes at most one message, dispatches it and
// copies a dirty surface to the window. Taking the quit message makes the
// pending event VELKO_QUIT and returns at once. Answers whether a message was
// taken.
bool pump_one_message();

// The capture branches of the graphics window's handler.
void capture_click(PlatLParam position);
void capture_char(PlatWParam character);
void capture_timer();
