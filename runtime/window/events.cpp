// The event source: VELKO_next_event with its message pump, the capture
// branches of the graphics window, and the run-mode requests.
#include <climits>

#ifndef VELKO_POLLING_LOOP
#define VELKO_POLLING_LOOP 0
#endif

#include "runtime/platform/observer.h"
#include "runtime/velko.h"
#include "runtime/window/events.h"
#include "runtime/window/run_menu.h"
#include "runtime/window/script.h"
#include "runtime/window/window.h"

int pending_kind = 0;
int event_x = 0;
int event_y = 0;
char event_key = 0;
int animate = 0;
int single_step = 0;
int tick = 0;
int quit_requested = 0;

namespace {

bool wait_is_over() {
  if (pending_kind == -1)
    return false;
  return !(pending_kind == VELKO_PERIODIC && tick == 0);
}

// True when the pass that just ended cannot end the wait without a new
// message: nothing to play, and either a periodic wait for a timer message or
// no event requested at all. Blocking then delivers exactly what spinning
// would, without using the processor. A build with VELKO_POLLING_LOOP spins
// instead, so that the difference can be measured.
bool only_a_message_can_help() {
  if (playing || play_one)
    return false;
  if (pending_kind == VELKO_PERIODIC)
    return tick == 0;
  return pending_kind == -1 && !animate && !single_step;
}

void record_event() {
  if (pending_kind == VELKO_PERIODIC) {
    // A run too long for the counter is written out and a new one begun.
    if (periodic_run == INT_MAX) {
      script_write_event(VELKO_PERIODIC, 0, 0, 0);
      periodic_run = 0;
    }
    ++periodic_run;
    return;
  }
  if (periodic_run > 0) {
    script_write_event(VELKO_PERIODIC, 0, 0, 0);
    periodic_run = 0;
  }
  script_write_event(pending_kind, event_x, event_y, event_key);
}

}  // namespace

void capture_click(PlatLParam position) {
  const auto word = static_cast<std::uint32_t>(position);
  const int client_x = static_cast<int>(word & 0xFFFFu);
  const int client_y = static_cast<int>((word >> 16) & 0xFFFFu);
  pending_kind = VELKO_MOUSE;
  event_x = client_x - origin_x;
  event_y = origin_y - client_y;
}

void capture_char(PlatWParam character) {
  if (ctrl_down)
    return;
  pending_kind = VELKO_KBD;
  event_key = static_cast<char>(character & 0xFFu);
}

void capture_timer() {
  tick = 1;
}

bool pump_one_message() {
  PlatMessage message;
  const bool took = plat->peek_message(&message);
  if (took && message.kind == PLAT_MSG_QUIT) {
    pending_kind = VELKO_QUIT;
    return true;
  }
  if (took) {
    plat->translate_message(&message);
    plat->dispatch_message(&message);
  }
  if (surface_dirty)
    copy_surface();
  return took;
}

int VELKO_next_event(int* x, int* y, char* key) {
  pending_kind = -1;
  event_x = 0;
  event_y = 0;
  event_key = 0;
  while (!wait_is_over()) {
    const bool took = pump_one_message();
    if (pending_kind == VELKO_QUIT)
      break;

    if (play_one || playing) {
      play_one = 0;
      if (script_read_event())
        break;
      play_one = 0;
      playing = 0;
    }

    if ((animate || single_step) && pending_kind == -1) {
      tick = 0;
      pending_kind = VELKO_PERIODIC;
      single_step = 0;
    }

    if (!VELKO_POLLING_LOOP && !took && only_a_message_can_help())
      plat->wait_message();
  }

  if (recording)
    record_event();

  if (x)
    *x = event_x;
  if (y)
    *y = event_y;
  if (key)
    *key = event_key;
  const int kind = quit_requested ? VELKO_QUIT : pending_kind;
  if (plat_observer)
    plat_observer->event(kind, event_x, event_y, static_cast<unsigned char>(event_key));
  return kind;
}

int VELKO_set_run_mode(int mode) {
  if (!graphics_window)
    return 0;
  switch (mode) {
    case VELKO_RUN_HALT:
      animate = 0;
      single_step = 0;
      break;
    case VELKO_RUN_STEP:
      single_step = 1;
      break;
    case VELKO_RUN_ANIMATE:
      animate = 1;
      break;
    case VELKO_RUN_QUIT:
      quit_requested = 1;
      break;
    default:
      break;
  }
  return 1;
}
