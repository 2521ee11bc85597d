// A ball that bounces around the graphics window, one step per tick. A click
// gives it the next colour, any key puts it back in the middle, and the
// status line tells the ticks, the colour and what the keys do.
#include <velko/velko.h>

namespace {

constexpr int RADIUS = 12;
// The part of the window a ball stays in, in runtime coordinates: the
// visible area less a margin for the status line at the bottom.
constexpr int LEFT = -290 + RADIUS;
constexpr int RIGHT = 290 - RADIUS;
constexpr int TOP = 240 - RADIUS;
constexpr int BOTTOM = -200 + RADIUS;

struct Ball {
  int x = 0;
  int y = 0;
  int dx = 7;
  int dy = 5;
  int color = RED;
};

// One step; at a wall the ball turns back and stays inside.
void step(Ball& ball) {
  ball.x += ball.dx;
  ball.y += ball.dy;
  if (ball.x < LEFT || ball.x > RIGHT) {
    ball.dx = -ball.dx;
    ball.x = ball.x < LEFT ? 2 * LEFT - ball.x : 2 * RIGHT - ball.x;
  }
  if (ball.y < BOTTOM || ball.y > TOP) {
    ball.dy = -ball.dy;
    ball.y = ball.y < BOTTOM ? 2 * BOTTOM - ball.y : 2 * TOP - ball.y;
  }
}

// The next palette colour that shows on the white background.
int next_color(int color) {
  color = (color + 1) % PALETTE_SIZE;
  return color == WHITE ? color + 1 : color;
}

void draw(const Ball& ball, int ticks) {
  VELKO_rectangle(WHITE, -300, -250, 300, 250, 0);
  VELKO_line(BLACK, -300, -205, 300, -205, 1);
  VELKO_circle(ball.color, ball.x, ball.y, RADIUS);
  VELKO_print_at(BLACK, -290, -235, 14,
                 "ticks %d, colour %d: click for another, any key to restart", ticks, ball.color);
}

}  // namespace

int main() {
  VELKO_start(nullptr, nullptr, nullptr, 1);
  VELKO_show_log(0);
  VELKO_set_logging(0);
  VELKO_wipe();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);

  Ball ball;
  int ticks = 0;
  int x = 0, y = 0;
  char key = 0;
  for (;;) {
    const int kind = VELKO_next_event(&x, &y, &key);
    if (kind == VELKO_QUIT)
      break;
    if (kind == VELKO_PERIODIC) {
      step(ball);
      ++ticks;
    } else if (kind == VELKO_MOUSE) {
      ball.color = next_color(ball.color);
      VELKO_log("click at (%d, %d): colour %d\n", x, y, ball.color);
    } else if (kind == VELKO_KBD) {
      ball = Ball{};
      ticks = 0;
      VELKO_log("key %d: back to the start\n", static_cast<unsigned char>(key));
    }
    draw(ball, ticks);
  }
  VELKO_finish();
  return 0;
}
