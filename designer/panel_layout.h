// Where the control panel stands: a column of seven buttons at the left edge
// of the graphics window, in runtime coordinates. The panel draws and hits
// by these numbers; the tests, the tools and the benchmarks click by them.
#pragma once

#include "runtime/velko.h"

// Button i spans y from PANEL_TOP - BUTTON_HEIGHT * i down to
// PANEL_TOP - BUTTON_HEIGHT * (i + 1); the outline lies on the edges.
inline constexpr int PANEL_LEFT = -295;
inline constexpr int PANEL_RIGHT = -185;
inline constexpr int PANEL_TOP = 245;
inline constexpr int PANEL_BOTTOM = 70;
inline constexpr int BUTTON_HEIGHT = 25;

// Each label starts at LABEL_X and stands on LABEL_TOP_Y - BUTTON_HEIGHT * i.
inline constexpr int LABEL_X = -285;
inline constexpr int LABEL_TOP_Y = 227;
inline constexpr int LABEL_PTSIZE = 12;

enum PanelButton : int {
  ADD_SCOOP = 0,
  REMOVE_SCOOP = 1,
  ADD_TOPPING = 2,
  REMOVE_TOPPING = 3,
  CHANGE_TOPPING = 4,
  CHANGE_COLOR = 5,
  SELECT_TOPPING = 6,
  BUTTON_COUNT = 7,
};

struct PanelLabel {
  const char* text;
  int color;
};

inline constexpr PanelLabel PANEL_LABELS[BUTTON_COUNT] = {
    {"Add Scoop", FOREST_GREEN}, {"Remove Scoop", RED},    {"Add Topping", FOREST_GREEN},
    {"Remove Topping", RED},     {"Change Topping", BLUE}, {"Change Color", BLUE},
    {"Select Topping", ORANGE},
};

// A point well inside button i, where a click presses it: the middle of the
// column, 13 below the button's top edge.
inline constexpr int BUTTON_X = (PANEL_LEFT + PANEL_RIGHT) / 2;
constexpr int button_y(int index) {
  return PANEL_TOP - 13 - BUTTON_HEIGHT * index;
}
