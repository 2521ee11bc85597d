// The cone designer: its state, the control panel, the cone editor and the
// drawing of the scene.
#pragma once

inline constexpr int MAX_TOPPINGS = 10;
inline constexpr int SCOOP_RADIUS = 57;

enum : int {
  MODE_ADD_TOPPING = 1,
  MODE_GRAB = 2,
  MODE_SELECTED = 3,
};

enum : int {
  TOPPING_BAR = 0,
  TOPPING_TRIANGLE = 1,
  TOPPING_DISC = 2,
};

struct DesignerState {
  int scoop_count = 1;
  int mode = MODE_ADD_TOPPING;
  int topping_count = 0;
  int selected = 0;
  int topping_x[MAX_TOPPINGS] = {};
  int topping_y[MAX_TOPPINGS] = {};
  int topping_shape[MAX_TOPPINGS] = {};
  int topping_color[MAX_TOPPINGS] = {};
  int quit = 0;
};

// The designer's main routine: starts the runtime, runs the event loop until
// a quit event, shuts the runtime down and returns 0.
int cone_main(void* instance, void* prev_instance, char* command_line, int show_mode);

// When set, called after every event once the scene has been drawn again, so
// that tests and fuzzers can watch the state through the real main routine.
extern void (*designer_observer)(const DesignerState& state);

// Control panel.
void draw_panel();
int in_panel(int x, int y);
void press_button(int x, int y, int& scoop_count, int topping_color[], int topping_shape[],
                  int& topping_count, int& mode, int& selected);

// Cone hit test and topping editing.
int on_cone(int x, int y, int scoop_count);
void click_cone(int x, int y, int scoop_count, int& topping_count, int topping_color[],
                int topping_shape[], int topping_x[], int topping_y[], int& mode, int& selected);

// Scene drawing.
void draw_background();
void draw_status(int mode);
void draw_scoops(int scoop_count);
void draw_cone();
void draw_toppings(const int topping_x[], const int topping_y[], const int topping_shape[],
                   const int topping_color[], int topping_count);
void draw_bar_topping(int x, int y, int color);
void draw_triangle_topping(int x, int y);
void draw_disc_topping(int x, int y, int color);
