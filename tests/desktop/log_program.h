// What the log program does once the runtime is started, for the program
// and for a test that does the same on the headless backend: it shows the
// log window with a few lines in it, and every string of the text table in
// the graphics window and in the log window.
#pragma once

#include "runtime/velko.h"
#include "tests/support/text_table.h"

inline void log_program_draws() {
  VELKO_set_logging(1);
  VELKO_show_log(1);
  for (int i = 1; i <= 5; ++i)
    VELKO_log("line %d of the log: sharp at any scale\n", i);
  VELKO_wipe();
  int y = 220;
  for (const TextCase& t : text_cases()) {
    VELKO_print_at(BLACK, -290, y, 20, "%s", t.bytes.c_str());
    VELKO_log("%s\n", t.bytes.c_str());
    y -= 28;
  }
}
