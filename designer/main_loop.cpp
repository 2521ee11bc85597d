// The designer's main routine: start-up, the event loop with its redraw after
// every event, and shut-down.
#include "designer/designer.h"
#include "runtime/velko.h"

void (*designer_observer)(const DesignerState& state) = nullptr;

namespace {

void redraw(const DesignerState& s) {
  draw_background();
  draw_panel();
  draw_status(s.mode);
  draw_scoops(s.scoop_count);
  draw_cone();
  draw_toppings(s.topping_x, s.topping_y, s.topping_shape, s.topping_color, s.topping_count);
}

}  // namespace

int cone_main(void* instance, void* prev_instance, char* command_line, int show_mode) {
  DesignerState s;
  VELKO_start(instance, prev_instance, command_line, show_mode);
  VELKO_show_log(0);
  VELKO_set_logging(0);
  VELKO_wipe();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  s.quit = 0;

  int x = 0;
  int y = 0;
  char key = 0;
  while (!s.quit) {
    switch (VELKO_next_event(&x, &y, &key)) {
      case VELKO_MOUSE:
        if (in_panel(x, y)) {
          press_button(x, y, s.scoop_count, s.topping_color, s.topping_shape, s.topping_count,
                       s.mode, s.selected);
        } else {
          click_cone(x, y, s.scoop_count, s.topping_count, s.topping_color, s.topping_shape,
                     s.topping_x, s.topping_y, s.mode, s.selected);
        }
        break;
      case VELKO_QUIT:
        s.quit = 1;
        break;
      default:  // key events and periodic ticks change nothing
        break;
    }
    redraw(s);
    if (designer_observer)
      designer_observer(s);
  }

  VELKO_finish();
  return 0;
}
