// The traffic light: your solution. See README.md for what it must do.
#include <velko/velko.h>

int main() {
  VELKO_start(nullptr, nullptr, nullptr, 1);
  VELKO_wipe();
  VELKO_rectangle(GRAY_50, -60, 160, 60, -160, 0);
  int x = 0, y = 0;
  char key = 0;
  while (VELKO_next_event(&x, &y, &key) != VELKO_QUIT) {
    // Draw the lamps, and switch the light on clicks and on the key r.
  }
  VELKO_finish();
  return 0;
}
