// The traffic light, as the assignment asks: the teacher's reference.
#include <velko/velko.h>

namespace {

const int kColour[] = {RED, YELLOW, GREEN};
const char* const kName[] = {"red", "yellow", "green"};
const int kNext[] = {2, 0, 1};  // red -> green -> yellow -> red

void draw(int on) {
  VELKO_rectangle(GRAY_50, -60, 160, 60, -160, 0);
  for (int lamp = 0; lamp < 3; ++lamp)
    VELKO_circle(lamp == on ? kColour[lamp] : GRAY_20, 0, 100 - 100 * lamp, 40);
}

}  // namespace

int main() {
  VELKO_start(nullptr, nullptr, nullptr, 1);
  VELKO_wipe();
  int on = 0;
  draw(on);
  int x = 0, y = 0;
  char key = 0;
  for (;;) {
    const int kind = VELKO_next_event(&x, &y, &key);
    if (kind == VELKO_QUIT)
      break;
    if (kind == VELKO_MOUSE || (kind == VELKO_KBD && key == 'r')) {
      on = kind == VELKO_MOUSE ? kNext[on] : 0;
      VELKO_log("light: %s\n", kName[on]);
      draw(on);
    }
  }
  VELKO_finish();
  return 0;
}
