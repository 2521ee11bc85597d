// The control panel's hit test and button actions, on the designer's state.
#include <gtest/gtest.h>

#include <climits>

#include "designer/designer.h"
#include "designer/panel_layout.h"
#include "runtime/velko.h"

namespace {

void press(DesignerState& s, int y, int x = BUTTON_X) {
  press_button(x, y, s.scoop_count, s.topping_color, s.topping_shape, s.topping_count, s.mode,
               s.selected);
}

// A state with n toppings in slots 0..n-1, slot k a red disc at (k, k), the
// newest one selected, as adding them would leave it.
DesignerState with_toppings(int n) {
  DesignerState s;
  for (int k = 0; k < n; ++k) {
    s.topping_x[k] = k;
    s.topping_y[k] = k;
    s.topping_shape[k] = TOPPING_DISC;
    s.topping_color[k] = RED;
  }
  s.topping_count = n;
  s.selected = n > 0 ? n - 1 : 0;
  s.mode = n > 0 ? MODE_SELECTED : MODE_ADD_TOPPING;
  return s;
}

bool same_toppings(const DesignerState& a, const DesignerState& b) {
  for (int k = 0; k < MAX_TOPPINGS; ++k) {
    if (a.topping_x[k] != b.topping_x[k] || a.topping_y[k] != b.topping_y[k] ||
        a.topping_shape[k] != b.topping_shape[k] || a.topping_color[k] != b.topping_color[k]) {
      return false;
    }
  }
  return true;
}

// The index of the button a press at y acts on, read off its effect.
int button_pressed_at(int y) {
  struct Probe {
    int button;
    DesignerState before;
  };
  // Each start state makes exactly one button's action visible.
  DesignerState add_scoop;  // one scoop: only "Add Scoop" changes the count upwards
  DesignerState remove_scoop;
  remove_scoop.scoop_count = 2;
  DesignerState add_topping = with_toppings(1);  // MODE_SELECTED
  DesignerState remove_topping = with_toppings(2);
  DesignerState change_topping = with_toppings(1);
  DesignerState change_color = with_toppings(1);
  DesignerState select_topping;
  const Probe probes[] = {{0, add_scoop},      {1, remove_scoop},   {2, add_topping},
                          {3, remove_topping}, {4, change_topping}, {5, change_color},
                          {6, select_topping}};
  int found = -1;
  for (const Probe& p : probes) {
    DesignerState s = p.before;
    press(s, y);
    bool acted = false;
    switch (p.button) {
      case 0:
        acted = s.scoop_count == 2;
        break;
      case 1:
        acted = s.scoop_count == 1;
        break;
      case 2:
        acted = s.mode == MODE_ADD_TOPPING;
        break;
      case 3:
        acted = s.topping_count == 1;
        break;
      case 4:
        acted = s.topping_shape[0] != TOPPING_DISC;
        break;
      case 5:
        acted = s.topping_color[0] != RED;
        break;
      case 6:
        acted = s.mode == MODE_GRAB;
        break;
    }
    if (acted) {
      if (found >= 0)
        return -2;  // two buttons at once
      found = p.button;
    }
  }
  return found;
}

}  // namespace

TEST(PanelHitTest, InsideIsStrictOnAllFourSides) {
  EXPECT_EQ(in_panel(-240, 150), 1);
  EXPECT_EQ(in_panel(-294, 150), 1);
  EXPECT_EQ(in_panel(-186, 150), 1);
  EXPECT_EQ(in_panel(-240, 244), 1);
  EXPECT_EQ(in_panel(-240, 71), 1);

  // The column's outer outline is not in the panel.
  EXPECT_EQ(in_panel(-295, 150), 0);
  EXPECT_EQ(in_panel(-185, 150), 0);
  EXPECT_EQ(in_panel(-240, 245), 0);
  EXPECT_EQ(in_panel(-240, 70), 0);

  EXPECT_EQ(in_panel(0, 0), 0);
  EXPECT_EQ(in_panel(-240, 69), 0);
  EXPECT_EQ(in_panel(INT_MIN, INT_MIN), 0);
  EXPECT_EQ(in_panel(INT_MAX, INT_MAX), 0);
  EXPECT_EQ(in_panel(-240, INT_MAX), 0);
}

TEST(PanelHitTest, EveryRowSelectsOneButtonAndSharedEdgesTheLowerOne) {
  EXPECT_EQ(button_pressed_at(244), 0);
  EXPECT_EQ(button_pressed_at(221), 0);
  EXPECT_EQ(button_pressed_at(220), 1);
  EXPECT_EQ(button_pressed_at(196), 1);
  EXPECT_EQ(button_pressed_at(195), 2);
  EXPECT_EQ(button_pressed_at(170), 3);
  EXPECT_EQ(button_pressed_at(145), 4);
  EXPECT_EQ(button_pressed_at(120), 5);
  EXPECT_EQ(button_pressed_at(95), 6);
  EXPECT_EQ(button_pressed_at(71), 6);
  for (int y = 71; y <= 244; ++y) {
    EXPECT_EQ(button_pressed_at(y), (245 - y) / 25) << "y = " << y;
  }
}

TEST(PanelButtons, ScoopsStayBetweenOneAndThree) {
  DesignerState s;
  press(s, button_y(REMOVE_SCOOP));
  EXPECT_EQ(s.scoop_count, 1);
  press(s, button_y(ADD_SCOOP));
  press(s, button_y(ADD_SCOOP));
  EXPECT_EQ(s.scoop_count, 3);
  press(s, button_y(ADD_SCOOP));
  EXPECT_EQ(s.scoop_count, 3);
  press(s, button_y(REMOVE_SCOOP));
  EXPECT_EQ(s.scoop_count, 2);
  press(s, button_y(REMOVE_SCOOP));
  press(s, button_y(REMOVE_SCOOP));
  EXPECT_EQ(s.scoop_count, 1);
}

TEST(PanelButtons, RemoveScoopLeavesTheToppingsAlone) {
  DesignerState s = with_toppings(3);
  s.scoop_count = 3;
  const DesignerState before = s;
  press(s, button_y(REMOVE_SCOOP));
  EXPECT_EQ(s.scoop_count, 2);
  EXPECT_EQ(s.topping_count, 3);
  EXPECT_EQ(s.selected, before.selected);
  EXPECT_EQ(s.mode, before.mode);
  EXPECT_TRUE(same_toppings(s, before));
}

TEST(PanelButtons, RemoveToppingTakesTheNewestAndKeepsSelectionAndMode) {
  DesignerState empty;
  press(empty, button_y(REMOVE_TOPPING));
  EXPECT_EQ(empty.topping_count, 0);

  DesignerState s = with_toppings(3);
  s.selected = 0;  // an older one is selected
  s.mode = MODE_GRAB;
  press(s, button_y(REMOVE_TOPPING));
  EXPECT_EQ(s.topping_count, 2);
  EXPECT_EQ(s.selected, 0);
  EXPECT_EQ(s.mode, MODE_GRAB);

  // Removing the selected (newest) topping leaves `selected` on a slot that
  // is no longer in use, and the mode as it was.
  DesignerState t = with_toppings(2);
  press(t, button_y(REMOVE_TOPPING));
  EXPECT_EQ(t.topping_count, 1);
  EXPECT_EQ(t.selected, 1);
  EXPECT_EQ(t.mode, MODE_SELECTED);
  // The buttons still act on that unused slot only.
  press(t, button_y(CHANGE_COLOR));
  EXPECT_EQ(t.topping_color[1], GREEN);
  EXPECT_EQ(t.topping_color[0], RED);
}

TEST(PanelButtons, ChangeToppingCyclesDiscBarTriangleOnTheSelectedSlot) {
  DesignerState s = with_toppings(3);
  s.selected = 1;
  const DesignerState before = s;
  press(s, button_y(CHANGE_TOPPING));
  EXPECT_EQ(s.topping_shape[1], TOPPING_BAR);
  press(s, button_y(CHANGE_TOPPING));
  EXPECT_EQ(s.topping_shape[1], TOPPING_TRIANGLE);
  press(s, button_y(CHANGE_TOPPING));
  EXPECT_EQ(s.topping_shape[1], TOPPING_DISC);
  EXPECT_EQ(s.topping_shape[0], TOPPING_DISC);
  EXPECT_EQ(s.topping_shape[2], TOPPING_DISC);
  EXPECT_EQ(s.topping_color[1], RED);
  EXPECT_EQ(s.mode, before.mode);
  EXPECT_EQ(s.topping_count, 3);
}

TEST(PanelButtons, ChangeColorVisitsAllColoursAndWraps) {
  DesignerState s = with_toppings(2);
  s.selected = 0;
  press(s, button_y(CHANGE_COLOR));
  EXPECT_EQ(s.topping_color[0], GREEN);  // a new topping's first change
  for (int step = 0; step < PALETTE_SIZE - 1; ++step) {
    press(s, button_y(CHANGE_COLOR));
    ASSERT_GE(s.topping_color[0], 0);
    ASSERT_LT(s.topping_color[0], PALETTE_SIZE);
  }
  EXPECT_EQ(s.topping_color[0], RED);  // 24 steps from red lead back to red
  s.topping_color[0] = GRAY_20;
  press(s, button_y(CHANGE_COLOR));
  EXPECT_EQ(s.topping_color[0], BLACK);
  EXPECT_EQ(s.topping_color[1], RED);
  EXPECT_EQ(s.topping_shape[0], TOPPING_DISC);
}

TEST(PanelButtons, ModeButtonsWorkFromEveryModeWhateverTheCount) {
  for (int toppings : {0, 1, MAX_TOPPINGS}) {
    for (int mode : {MODE_ADD_TOPPING, MODE_GRAB, MODE_SELECTED}) {
      DesignerState s = with_toppings(toppings);
      s.mode = mode;
      press(s, button_y(SELECT_TOPPING));
      EXPECT_EQ(s.mode, MODE_GRAB);
      s.mode = mode;
      press(s, button_y(ADD_TOPPING));
      EXPECT_EQ(s.mode, MODE_ADD_TOPPING);
      EXPECT_EQ(s.topping_count, toppings);
    }
  }
}

TEST(PanelButtons, RowsOutsideTheColumnPressNothing) {
  // Only clicks in the panel are handed over; a stray one must not overflow
  // or act.
  for (int y : {INT_MIN, INT_MIN + 1, -1000, 70, 245, 270, 1000, INT_MAX}) {
    DesignerState s = with_toppings(1);
    s.scoop_count = 2;
    const DesignerState before = s;
    press(s, y);
    EXPECT_EQ(s.scoop_count, before.scoop_count) << "y = " << y;
    EXPECT_EQ(s.mode, before.mode) << "y = " << y;
    EXPECT_EQ(s.topping_count, before.topping_count) << "y = " << y;
    EXPECT_TRUE(same_toppings(s, before)) << "y = " << y;
  }
}
