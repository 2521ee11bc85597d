// A program whose log window is shown, with a few lines in it, for the
// scaled-display test; it ends on the Run menu's Quit (Ctrl+Q).
#include "runtime/velko.h"

int main() {
  VELKO_start(nullptr, nullptr, nullptr, 1);
  VELKO_set_logging(1);
  VELKO_show_log(1);
  for (int i = 1; i <= 5; ++i)
    VELKO_log("line %d of the log: sharp at any scale\n", i);
  int x = 0, y = 0;
  char key = 0;
  while (VELKO_next_event(&x, &y, &key) != VELKO_QUIT) {
  }
  VELKO_finish();
  return 0;
}
