// The cone's hit test and the editing of toppings by clicks outside the panel:
// adding a topping, grabbing one, moving the selected one.
#include <cstdint>

#include "designer/designer.h"
#include "runtime/velko.h"

namespace {

constexpr int BOTTOM_SCOOP_Y = 25;
constexpr int MIDDLE_SCOOP_Y = 82;
constexpr int TOP_SCOOP_Y = 139;
// A topping is within reach when the click is less than this far on each axis.
constexpr std::int64_t GRAB_REACH = 5;

// Whether (x, y) lies strictly inside the scoop centred on (0, centre_y).
// Works in 64 bits and turns far points away before squaring, so any pair of
// 32-bit coordinates gives a sound answer.
bool in_scoop(int x, int y, int centre_y) {
  const std::int64_t dx = x;
  const std::int64_t dy = std::int64_t{y} - centre_y;
  if (dx <= -SCOOP_RADIUS || dx >= SCOOP_RADIUS || dy <= -SCOOP_RADIUS || dy >= SCOOP_RADIUS) {
    return false;
  }
  return dx * dx + dy * dy < std::int64_t{SCOOP_RADIUS} * SCOOP_RADIUS;
}

bool within_reach(int x, int y, int anchor_x, int anchor_y) {
  const std::int64_t dx = std::int64_t{x} - anchor_x;
  const std::int64_t dy = std::int64_t{y} - anchor_y;
  return dx > -GRAB_REACH && dx < GRAB_REACH && dy > -GRAB_REACH && dy < GRAB_REACH;
}

}  // namespace

int on_cone(int x, int y, int scoop_count) {
  // Only the bottom scoop's upper half shows above the cone.
  if (y > BOTTOM_SCOOP_Y && in_scoop(x, y, BOTTOM_SCOOP_Y))
    return 1;
  if (scoop_count >= 3 && in_scoop(x, y, TOP_SCOOP_Y))
    return 1;
  if (scoop_count >= 2 && in_scoop(x, y, MIDDLE_SCOOP_Y))
    return 1;
  return 0;
}

void click_cone(int x, int y, int scoop_count, int& topping_count, int topping_color[],
                int topping_shape[], int topping_x[], int topping_y[], int& mode, int& selected) {
  if (!on_cone(x, y, scoop_count))
    return;
  switch (mode) {
    case MODE_ADD_TOPPING: {
      const int k = topping_count;
      if (k < 0 || k >= MAX_TOPPINGS)
        return;  // full: the click is ignored
      topping_x[k] = x;
      topping_y[k] = y;
      topping_shape[k] = TOPPING_DISC;
      topping_color[k] = RED;
      selected = k;
      topping_count = k + 1;
      mode = MODE_SELECTED;
      break;
    }
    case MODE_SELECTED:
      // The selected slot moves even when it is no longer in use; nothing
      // shows it until it is added or grabbed again.
      if (selected >= 0 && selected < MAX_TOPPINGS) {
        topping_x[selected] = x;
        topping_y[selected] = y;
      }
      break;
    case MODE_GRAB: {
      // Every slot in reach is taken in turn, so the highest one, drawn on
      // top of the others, wins.
      const int count = topping_count < MAX_TOPPINGS ? topping_count : MAX_TOPPINGS;
      for (int i = 0; i < count; ++i) {
        if (within_reach(x, y, topping_x[i], topping_y[i])) {
          selected = i;
          mode = MODE_SELECTED;
        }
      }
      break;
    }
    default:
      break;
  }
}
