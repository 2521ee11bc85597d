// Helpers for the Run menu and script tests: driving the event stream and
// writing down what it delivered.
#pragma once

#include <string>

#include "runtime/platform/headless/headless.h"
#include "runtime/velko.h"
#include "runtime/window/events.h"
#include "runtime/window/script.h"
#include "runtime/window/window.h"
#include "tests/support/test_support.h"

// One event in a compact form: "P", "Q", "K(97)", "M(-12,34)".
inline std::string describe_event(int kind, int x, int y, char key) {
  switch (kind) {
    case VELKO_MOUSE:
      return "M(" + std::to_string(x) + "," + std::to_string(y) + ")";
    case VELKO_KBD:
      return "K(" + std::to_string(static_cast<unsigned char>(key)) + ")";
    case VELKO_PERIODIC:
      return "P";
    case VELKO_QUIT:
      return "Q";
    default:
      // Appended, not "?" + string: GCC 12 warns wrongly (-Wrestrict) on that.
      return std::string("?").append(std::to_string(kind));
  }
}

// Calls VELKO_next_event until it returns VELKO_QUIT (or limit events came)
// and answers the events, space-separated.
inline std::string event_texts_until_quit(int limit = 10000) {
  std::string out;
  for (int i = 0; i < limit; ++i) {
    int x = 0;
    int y = 0;
    char key = 0;
    const int kind = VELKO_next_event(&x, &y, &key);
    if (!out.empty())
      out += ' ';
    out += describe_event(kind, x, y, key);
    if (kind == VELKO_QUIT)
      break;
  }
  return out;
}

// One event from VELKO_next_event, described.
inline std::string next_event_text() {
  int x = 0;
  int y = 0;
  char key = 0;
  const int kind = VELKO_next_event(&x, &y, &key);
  return describe_event(kind, x, y, key);
}

// A left click at a runtime point of the graphics window.
inline void click_at(int x, int y) {
  headless_click(client_x(x), client_y(y), graphics_window);
}

// Reads scripted events straight from the reader, as the event loop would,
// until it has none; answers them space-separated.
inline std::string read_script_events(int limit = 1000) {
  std::string out;
  for (int i = 0; i < limit; ++i) {
    pending_kind = -1;
    event_x = 0;
    event_y = 0;
    event_key = 0;
    if (!script_read_event())
      break;
    if (!out.empty())
      out += ' ';
    out += describe_event(pending_kind, event_x, event_y, event_key);
  }
  return out;
}
