// A program with more log lines than the log window keeps, for the page's
// log panel, some of them not ASCII: a click hides the log window or shows it
// again, Ctrl+Q ends.
#include "runtime/velko.h"

int main() {
  VELKO_start(nullptr, nullptr, nullptr, 1);
  VELKO_set_logging(1);
  VELKO_show_log(1);
  // The last two lines end in UTF-8 and in Windows-1252 text.
  for (int i = 1; i <= 30; ++i)
    VELKO_log("line %d of the log%s\n", i,
              i == 29   ? " Привет, Café €"
              : i == 30 ? " Caf\xE9 \x80"
                        : "");
  int x = 0, y = 0;
  char key = 0;
  int shown = 1;
  int event = 0;
  while ((event = VELKO_next_event(&x, &y, &key)) != VELKO_QUIT) {
    if (event == VELKO_MOUSE) {
      shown = !shown;
      VELKO_show_log(shown);
    }
  }
  VELKO_finish();
  return 0;
}
