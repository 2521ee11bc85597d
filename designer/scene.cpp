// Drawing of the designer's scene: background, status line, scoops, cone and
// toppings. Each routine paints over what the earlier ones left.
#include "designer/designer.h"
#include "runtime/velko.h"

namespace {

constexpr int STATUS_X = -130;
constexpr int STATUS_Y = -215;

constexpr int BOTTOM_SCOOP_Y = 25;
constexpr int MIDDLE_SCOOP_Y = 82;
constexpr int TOP_SCOOP_Y = 139;

constexpr int BAR_WIDTH = 10;
constexpr int BAR_HEIGHT = 3;
constexpr int TRIANGLE_HALF = 7;
constexpr int DISC_RADIUS = 8;
constexpr int DISC_LABEL_OFFSET = 2;
constexpr int DISC_LABEL_PTSIZE = 9;

}  // namespace

void draw_background() {
  VELKO_rectangle(WHITE, -300, -250, 300, 250, 0);
}

void draw_status(int mode) {
  switch (mode) {
    case MODE_ADD_TOPPING:
      VELKO_print_at(BLUE, STATUS_X, STATUS_Y, 18, "Click on the cone to add a topping");
      break;
    case MODE_GRAB:
      VELKO_print_at(RED, STATUS_X, STATUS_Y, 11,
                     "Grab any topping on the cone and move it around, yeah baby, yeah!!");
      break;
    case MODE_SELECTED:
      VELKO_print_at(RED, STATUS_X, STATUS_Y, 11,
                     "Topping selected. Click cone to move it, or a button to alter it.");
      break;
    default:
      break;
  }
}

void draw_scoops(int scoop_count) {
  // Top first: each lower scoop covers the lower part of the one above it.
  if (scoop_count >= 3)
    VELKO_circle(PEACH, 0, TOP_SCOOP_Y, SCOOP_RADIUS);
  if (scoop_count >= 2)
    VELKO_circle(TURQUOISE, 0, MIDDLE_SCOOP_Y, SCOOP_RADIUS);
  VELKO_circle(ICE_BLUE, 0, BOTTOM_SCOOP_Y, SCOOP_RADIUS);
}

// Its top edge runs through the bottom scoop's centre and hides that scoop's
// lower half.
void draw_cone() {
  VELKO_triangle(BROWN, 0, -175, -60, BOTTOM_SCOOP_Y, 60, BOTTOM_SCOOP_Y, 0);
}

void draw_toppings(const int topping_x[], const int topping_y[], const int topping_shape[],
                   const int topping_color[], int topping_count) {
  const int count = topping_count < MAX_TOPPINGS ? topping_count : MAX_TOPPINGS;
  for (int i = 0; i < count; ++i) {
    switch (topping_shape[i]) {
      case TOPPING_BAR:
        draw_bar_topping(topping_x[i], topping_y[i], topping_color[i]);
        break;
      case TOPPING_TRIANGLE:
        draw_triangle_topping(topping_x[i], topping_y[i]);
        break;
      case TOPPING_DISC:
        draw_disc_topping(topping_x[i], topping_y[i], topping_color[i]);
        break;
      default:
        break;
    }
  }
}

// The anchor is the bar's lower-left corner.
void draw_bar_topping(int x, int y, int color) {
  VELKO_rectangle(color, x, y, x + BAR_WIDTH, y + BAR_HEIGHT, 0);
}

// Always brown, whatever colour the topping holds.
void draw_triangle_topping(int x, int y) {
  VELKO_triangle(BROWN, x - TRIANGLE_HALF, y - TRIANGLE_HALF, x + TRIANGLE_HALF, y - TRIANGLE_HALF,
                 x, y + TRIANGLE_HALF, 0);
}

void draw_disc_topping(int x, int y, int color) {
  VELKO_circle(color, x, y, DISC_RADIUS);
  VELKO_print_at(WHITE, x - DISC_LABEL_OFFSET, y - DISC_LABEL_OFFSET, DISC_LABEL_PTSIZE, "m");
}
