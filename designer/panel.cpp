// The control panel: seven drawn buttons at the left edge of the graphics
// window, their hit test and their actions on the designer's state.
#include "designer/designer.h"
#include "designer/panel_layout.h"
#include "runtime/velko.h"

namespace {

constexpr int MAX_SCOOPS = 3;
constexpr int SHAPE_COUNT = 3;

// The slot that "Change Topping" and "Change Color" act on; -1 when
// `selected` somehow lies outside the arrays.
int selected_slot(int selected) {
  return selected >= 0 && selected < MAX_TOPPINGS ? selected : -1;
}

}  // namespace

void draw_panel() {
  // All boxes first, then all labels.
  for (int i = 0; i < BUTTON_COUNT; ++i) {
    VELKO_rectangle(BLACK, PANEL_LEFT, PANEL_TOP - BUTTON_HEIGHT * i, PANEL_RIGHT,
                    PANEL_TOP - BUTTON_HEIGHT * (i + 1), 1);
  }
  for (int i = 0; i < BUTTON_COUNT; ++i) {
    // The labels hold no percent sign, so "%s" draws exactly the label.
    VELKO_print_at(PANEL_LABELS[i].color, LABEL_X, LABEL_TOP_Y - BUTTON_HEIGHT * i, LABEL_PTSIZE,
                   "%s", PANEL_LABELS[i].text);
  }
}

int in_panel(int x, int y) {
  return x > PANEL_LEFT && x < PANEL_RIGHT && y > PANEL_BOTTOM && y < PANEL_TOP ? 1 : 0;
}

void press_button(int, int y, int& scoop_count, int topping_color[], int topping_shape[],
                  int& topping_count, int& mode, int& selected) {
  // Callers only hand over clicks in the panel, where the index lies in 0..6;
  // a row outside the column presses nothing (and cannot overflow 245 - y).
  if (y <= PANEL_BOTTOM || y >= PANEL_TOP)
    return;
  const int index = (PANEL_TOP - y) / BUTTON_HEIGHT;
  const int slot = selected_slot(selected);
  switch (index) {
    case ADD_SCOOP:
      if (scoop_count < MAX_SCOOPS)
        ++scoop_count;
      break;
    case REMOVE_SCOOP:
      if (scoop_count > 1)
        --scoop_count;
      break;
    case ADD_TOPPING:
      mode = MODE_ADD_TOPPING;
      break;
    case REMOVE_TOPPING:
      if (topping_count > 0)
        --topping_count;
      break;
    case CHANGE_TOPPING:
      if (slot >= 0)
        topping_shape[slot] = (topping_shape[slot] + 1) % SHAPE_COUNT;
      break;
    case CHANGE_COLOR:
      if (slot >= 0)
        topping_color[slot] = (topping_color[slot] + 1) % PALETTE_SIZE;
      break;
    case SELECT_TOPPING:
      mode = MODE_GRAB;
      break;
    default:
      break;
  }
}
