// The cone's hit test and the three editing modes, on the designer's state.
#include <gtest/gtest.h>

#include <climits>

#include "designer/designer.h"
#include "runtime/velko.h"

namespace {

void click(DesignerState& s, int x, int y) {
  click_cone(x, y, s.scoop_count, s.topping_count, s.topping_color, s.topping_shape, s.topping_x,
             s.topping_y, s.mode, s.selected);
}

// Adds a topping at (x, y) through the editor, as the user would.
void add(DesignerState& s, int x, int y) {
  s.mode = MODE_ADD_TOPPING;
  const int before = s.topping_count;
  click(s, x, y);
  ASSERT_EQ(s.topping_count, before + 1) << "(" << x << ", " << y << ") is not on the cone";
}

bool same(const DesignerState& a, const DesignerState& b) {
  if (a.scoop_count != b.scoop_count || a.mode != b.mode || a.topping_count != b.topping_count ||
      a.selected != b.selected) {
    return false;
  }
  for (int k = 0; k < MAX_TOPPINGS; ++k) {
    if (a.topping_x[k] != b.topping_x[k] || a.topping_y[k] != b.topping_y[k] ||
        a.topping_shape[k] != b.topping_shape[k] || a.topping_color[k] != b.topping_color[k]) {
      return false;
    }
  }
  return true;
}

}  // namespace

TEST(OnCone, EdgePointsOfTheBottomScoop) {
  for (int scoops = 1; scoops <= 3; ++scoops) {
    // The centre line itself is hidden by the cone; with more scoops it is
    // exactly 57 from the middle scoop's centre.
    EXPECT_EQ(on_cone(0, 25, scoops), 0) << scoops;
    EXPECT_EQ(on_cone(0, 26, scoops), 1) << scoops;
    EXPECT_EQ(on_cone(56, 26, scoops), 1) << scoops;  // 3137
    EXPECT_EQ(on_cone(57, 26, scoops), 0) << scoops;  // 3250
    EXPECT_EQ(on_cone(-56, 26, scoops), 1) << scoops;
    EXPECT_EQ(on_cone(-57, 26, scoops), 0) << scoops;
    // The lower half of the bottom scoop and the cone itself do not count.
    EXPECT_EQ(on_cone(0, 0, scoops), 0) << scoops;
    EXPECT_EQ(on_cone(30, 20, scoops), 0) << scoops;
    EXPECT_EQ(on_cone(0, -100, scoops), 0) << scoops;
  }
}

TEST(OnCone, TopOfTheStackFollowsTheScoopCount) {
  EXPECT_EQ(on_cone(0, 81, 1), 1);
  EXPECT_EQ(on_cone(0, 82, 1), 0);
  EXPECT_EQ(on_cone(0, 138, 2), 1);
  EXPECT_EQ(on_cone(0, 139, 2), 0);
  EXPECT_EQ(on_cone(0, 195, 3), 1);
  EXPECT_EQ(on_cone(0, 196, 3), 0);
  // The upper scoops are whole discs: their sides count below their centres.
  EXPECT_EQ(on_cone(50, 70, 1), 0);
  EXPECT_EQ(on_cone(50, 70, 2), 1);  // 2500 + 144 from (0, 82)
  EXPECT_EQ(on_cone(50, 130, 2), 0);
  EXPECT_EQ(on_cone(50, 130, 3), 1);  // 2500 + 81 from (0, 139)
}

TEST(OnCone, FarPointsAreNeverOnTheCone) {
  const int far[] = {INT_MIN, INT_MIN + 1, -65536, 65536, 65536 + 25, INT_MAX - 1, INT_MAX};
  for (int scoops = 1; scoops <= 3; ++scoops) {
    for (int x : far) {
      for (int y : far) {
        EXPECT_EQ(on_cone(x, y, scoops), 0) << x << ", " << y;
      }
      // 65536 squared wraps to 0 in 32 bits: the far point must not land on
      // a scoop's centre.
      EXPECT_EQ(on_cone(x, 30, scoops), 0) << x;
      EXPECT_EQ(on_cone(x, 82, scoops), 0) << x;
      EXPECT_EQ(on_cone(0, x, scoops), 0) << x;
      EXPECT_EQ(on_cone(10, x, scoops), 0) << x;
    }
  }
}

TEST(AddTopping, ANewToppingIsARedDiscAtTheClickAndSelected) {
  DesignerState s;
  click(s, 10, 50);
  EXPECT_EQ(s.topping_count, 1);
  EXPECT_EQ(s.topping_x[0], 10);
  EXPECT_EQ(s.topping_y[0], 50);
  EXPECT_EQ(s.topping_shape[0], TOPPING_DISC);
  EXPECT_EQ(s.topping_color[0], RED);
  EXPECT_EQ(s.selected, 0);
  EXPECT_EQ(s.mode, MODE_SELECTED);

  add(s, -10, 60);
  EXPECT_EQ(s.selected, 1);
  EXPECT_EQ(s.topping_x[1], -10);
  EXPECT_EQ(s.topping_x[0], 10);  // the earlier one stays
}

TEST(AddTopping, OffTheConeOrWithTenToppingsNothingChanges) {
  DesignerState s;
  const DesignerState fresh = s;
  click(s, 0, -100);  // on the brown cone
  click(s, 0, 25);
  click(s, 0, 82);  // above the only scoop
  click(s, -240, 150);
  EXPECT_TRUE(same(s, fresh));

  for (int k = 0; k < MAX_TOPPINGS; ++k)
    add(s, k - 5, 40 + k);
  s.mode = MODE_ADD_TOPPING;
  const DesignerState full = s;
  click(s, 0, 50);
  EXPECT_TRUE(same(s, full));
  EXPECT_EQ(s.mode, MODE_ADD_TOPPING);
}

TEST(MoveTopping, TheSelectedToppingJumpsToAnyClickOnTheCone) {
  DesignerState s;
  s.scoop_count = 3;
  add(s, 0, 40);
  add(s, 20, 60);
  s.selected = 0;
  s.mode = MODE_SELECTED;
  click(s, -30, 170);
  EXPECT_EQ(s.topping_x[0], -30);
  EXPECT_EQ(s.topping_y[0], 170);
  EXPECT_EQ(s.mode, MODE_SELECTED);
  EXPECT_EQ(s.topping_x[1], 20);  // the other one stays
  click(s, 5, 30);
  EXPECT_EQ(s.topping_x[0], 5);
  EXPECT_EQ(s.topping_y[0], 30);

  const DesignerState before = s;
  click(s, 0, -100);
  click(s, 0, 196);
  click(s, INT_MIN, INT_MAX);
  EXPECT_TRUE(same(s, before));
}

TEST(MoveTopping, AStaleSelectedSlotMovesOnlyThatSlot) {
  DesignerState s;
  add(s, 0, 40);
  add(s, 20, 60);
  s.topping_count = 1;  // "Remove Topping" took the selected one
  ASSERT_EQ(s.selected, 1);
  click(s, -10, 50);
  EXPECT_EQ(s.topping_count, 1);
  EXPECT_EQ(s.topping_x[0], 0);
  EXPECT_EQ(s.topping_y[0], 40);
  EXPECT_EQ(s.topping_x[1], -10);
  EXPECT_EQ(s.topping_y[1], 50);
  EXPECT_EQ(s.mode, MODE_SELECTED);
}

TEST(GrabTopping, ReachIsFourOnEachAxis) {
  DesignerState s;
  add(s, 0, 50);
  add(s, 30, 40);  // out of reach of every click below
  const struct {
    int dx, dy;
    bool grabs;
  } cases[] = {{4, 4, true},  {-4, -4, true}, {4, -4, true},  {0, 0, true},
               {5, 0, false}, {0, 5, false},  {-5, 0, false}, {0, -5, false},
               {5, 5, false}, {4, 5, false},  {-5, 4, false}};
  for (const auto& c : cases) {
    DesignerState t = s;
    t.mode = MODE_GRAB;
    t.selected = 1;
    click(t, c.dx, 50 + c.dy);
    EXPECT_EQ(t.mode, c.grabs ? MODE_SELECTED : MODE_GRAB) << c.dx << ", " << c.dy;
    EXPECT_EQ(t.selected, c.grabs ? 0 : 1) << c.dx << ", " << c.dy;
    EXPECT_EQ(t.topping_x[0], 0);  // grabbing does not move
    EXPECT_EQ(t.topping_y[0], 50);
  }
}

TEST(GrabTopping, TheHighestSlotWithinReachWins) {
  DesignerState s;
  s.scoop_count = 2;
  add(s, 0, 50);
  add(s, 3, 52);
  add(s, 30, 40);
  add(s, -2, 48);
  add(s, 10, 80);
  s.mode = MODE_GRAB;
  click(s, 1, 50);  // reaches slots 0, 1 and 3
  EXPECT_EQ(s.selected, 3);
  EXPECT_EQ(s.mode, MODE_SELECTED);

  // Slots beyond the count are not looked at.
  s.topping_count = 3;
  s.mode = MODE_GRAB;
  click(s, 1, 50);
  EXPECT_EQ(s.selected, 1);
}

TEST(GrabTopping, NothingWithinReachOrOffTheConeKeepsGrabbing) {
  DesignerState s;
  s.mode = MODE_GRAB;
  click(s, 0, 50);  // no toppings at all
  EXPECT_EQ(s.mode, MODE_GRAB);

  s.scoop_count = 3;
  add(s, 0, 170);   // on the top scoop
  add(s, 30, 100);  // on the middle one
  s.selected = 1;
  s.mode = MODE_GRAB;
  click(s, 20, 60);
  EXPECT_EQ(s.mode, MODE_GRAB);
  EXPECT_EQ(s.selected, 1);

  // After "Remove Scoop" the topping on the lost scoop stays where it was, but
  // a click is grabbed only where it lies on a remaining scoop.
  s.scoop_count = 2;
  click(s, 0, 170);
  EXPECT_EQ(s.mode, MODE_GRAB);
  EXPECT_EQ(s.selected, 1);
  s.topping_y[0] = 141;  // now just above the middle scoop's top
  click(s, 0, 138);
  EXPECT_EQ(s.mode, MODE_SELECTED);
  EXPECT_EQ(s.selected, 0);
  // In MODE_SELECTED it can be moved back onto the scoops.
  click(s, 0, 100);
  EXPECT_EQ(s.topping_y[0], 100);
}
