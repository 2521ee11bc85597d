// The designer's click path: arbitrary series of clicks, keys, Ctrl
// shortcuts and Run menu commands through the real main routine on the
// headless backend. After every event the designer's state must stay within
// its limits.
//
// Each input is a series of actions, two bytes and more each, handed to the
// backend at increasing virtual times; when they are used up the backend
// closes the graphics window, which ends the run. Every input starts a fresh
// runtime and a fresh backend, with no script file.
#include <cstdint>
#include <cstdio>
#include <string>

#include "designer/designer.h"
#include "fuzz/fuzz_support.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/velko.h"
#include "runtime/window/run_menu.h"
#include "runtime/window/script.h"
#include "runtime/window/window.h"

namespace {

constexpr int MAX_ACTIONS = 100;
// Events per input: the actions and the ticks between them, and a script
// played back more than once, with room to spare.
constexpr int MAX_EVENTS = 100000;

int events_seen = 0;

void check_state(const DesignerState& s) {
  fuzz_require(s.scoop_count >= 1 && s.scoop_count <= 3, "one to three scoops");
  fuzz_require(s.topping_count >= 0 && s.topping_count <= MAX_TOPPINGS, "zero to ten toppings");
  fuzz_require(s.selected >= 0 && s.selected < MAX_TOPPINGS, "selected is a slot");
  fuzz_require(s.mode >= MODE_ADD_TOPPING && s.mode <= MODE_SELECTED, "a known mode");
  for (int i = 0; i < s.topping_count; ++i) {
    fuzz_require(s.topping_shape[i] >= TOPPING_BAR && s.topping_shape[i] <= TOPPING_DISC,
                 "a known shape");
    fuzz_require(s.topping_color[i] >= 0 && s.topping_color[i] < PALETTE_SIZE, "a palette colour");
  }
  fuzz_require(++events_seen <= MAX_EVENTS, "the run ends");
}

// The Run menu commands the user can choose, greyed ones included (choosing
// them does nothing).
constexpr unsigned menu_ids[] = {IDM_ANIMATE,  IDM_HALT,     IDM_STEP, IDM_LOGGING, IDM_RECORD,
                                 IDM_PLAYBACK, IDM_PLAY_ONE, IDM_QUIT, IDM_INFO};
constexpr unsigned shortcut_keys[] = {'A', 'H', 'F', 'L', 'R', 'P', 'O', 'Q'};

// Client pixel of a runtime point on the graphics window (595 x 496 client
// area, so the origin is (297, 248)).
int client_x(int x) {
  return 297 + x;
}
int client_y(int y) {
  return 248 - y;
}

// Lines of clicks anywhere in 32 bits, keys and short runs of ticks.
std::string hand_written_script(FuzzInput& in, int lines) {
  std::string script;
  char line[64];
  for (int i = 0; i < lines; ++i) {
    const std::uint8_t kind = in.byte();
    if (kind % 3 == 0) {
      const int x = in.argument();
      const int y = in.argument();
      std::snprintf(line, sizeof line, "VELKO_MOUSE(%d, %d);\n", x, y);
    } else if (kind % 3 == 1) {
      std::snprintf(line, sizeof line, "VELKO_KBD(%d);\n", in.byte());
    } else {
      std::snprintf(line, sizeof line, "VELKO_PERIODIC(%d);\n", kind % 20);
    }
    script += line;
  }
  return script;
}

void schedule_actions(FuzzInput& in) {
  std::int64_t time = 1;
  for (int n = 0; n < MAX_ACTIONS && !in.empty(); ++n) {
    const std::uint8_t op = in.byte();
    const std::uint8_t a = in.byte();
    switch (op % 14) {
      case 0:
      case 1:
      case 2: {
        // A button: row a % 7, somewhere inside it.
        const int y = 245 - 25 * (a % 7) - 1 - (a / 7) % 24;
        headless_at(time, [y] { headless_click(client_x(-240), client_y(y)); });
        break;
      }
      case 3:
      case 4:
      case 5: {
        // On or near the cone.
        const int x = static_cast<int>(a % 128) - 64;
        const int y = static_cast<int>(in.byte()) - 40;
        headless_at(time, [x, y] { headless_click(client_x(x), client_y(y)); });
        break;
      }
      case 6: {
        // Anywhere a button message can say, far outside the window too.
        const int cx = a << 8 | in.byte();
        const int cy = in.byte() << 8 | in.byte();
        headless_at(time, [cx, cy] { headless_click(cx, cy); });
        break;
      }
      case 7:
        headless_at(time, [a] { headless_key_press(a, graphics_window); });
        break;
      case 8: {
        const unsigned key = shortcut_keys[a % std::size(shortcut_keys)];
        headless_at(time, [key] { headless_ctrl_press(key, graphics_window); });
        break;
      }
      case 9: {
        const unsigned id = menu_ids[a % std::size(menu_ids)];
        headless_at(time, [id] { headless_choose_menu(graphics_window, id); });
        break;
      }
      case 10:
        // Ctrl held down or let go alone, and keys into the log window.
        if (a & 1)
          headless_at(time, [a] {
            headless_key_down(PLAT_VK_CONTROL, a & 2 ? log_window : graphics_window);
          });
        else
          headless_at(time, [a] {
            headless_key_up(PLAT_VK_CONTROL, a & 2 ? log_window : graphics_window);
          });
        break;
      case 11:
        // Time passes: up to three ticks.
        time += a % 32 * 10;
        break;
      case 12: {
        // A flood: up to 31 clicks and as many keys queued at once.
        const int cx = in.byte() * 3;
        const int cy = in.byte() * 2;
        headless_at(time, [a, cx, cy] {
          for (int i = 0; i < a % 32; ++i) {
            headless_click(cx, cy);
            headless_key_press('A' + i % 26, graphics_window);
          }
        });
        break;
      }
      default: {
        // A hand-written script, played back: far-away points that no click
        // can give.
        const std::string script = hand_written_script(in, a % 8 + 1);
        headless_at(time, [script] {
          if (std::FILE* file = std::fopen(SCRIPT_FILE_NAME, "wb")) {
            std::fputs(script.c_str(), file);
            std::fclose(file);
          }
          headless_choose_menu(graphics_window, IDM_PLAYBACK);
        });
        break;
      }
    }
    time += 7;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_enter_scratch_dir(argc, argv);
  designer_observer = check_state;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::remove(SCRIPT_FILE_NAME);
  events_seen = 0;
  FuzzInput in(data, size);
  schedule_actions(in);
  fuzz_use_small_screen();
  cone_main(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL);
  fuzz_forget_runtime();
  return 0;
}
