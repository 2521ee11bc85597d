// A program whose log window is shown, with a few lines in it and the text
// table in both windows, for the scaled-display test; it ends on the Run
// menu's Quit (Ctrl+Q).
#include "tests/desktop/log_program.h"

#include "runtime/velko.h"

int main() {
  VELKO_start(nullptr, nullptr, nullptr, 1);
  log_program_draws();
  int x = 0, y = 0;
  char key = 0;
  while (VELKO_next_event(&x, &y, &key) != VELKO_QUIT) {
  }
  VELKO_finish();
  return 0;
}
