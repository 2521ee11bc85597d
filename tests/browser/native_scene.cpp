// The designer on the headless backend, given clicks and Ctrl shortcuts one
// after another, as a user at the desktop would give them; then the graphics
// window's client area is written to a PNG file. The browser tests compare
// the page's canvas with it, and use the VELKO.SCR it records (in the current
// folder) as a script made on Linux.
//
//   web_native_scene PICTURE.png [ACTION...]
//     X,Y  a left click at runtime point (X, Y)
//     ^L   Ctrl with the letter L (^R records, ^P plays back, ^H halts...)
//
// The actions come 100 ms of virtual time apart, so the timer ticks between
// them while the designer animates.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "designer/designer.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/platform/platform.h"
#include "runtime/platform/render/png_writer.h"
#include "tests/support/client_origin.h"

namespace {

PlatWindow* graphics_window() {
  return headless_find_window("VELKO Graphics");
}

// Schedules one action; false when the text is none of the two forms.
bool schedule(const std::string& action, std::int64_t time) {
  if (action.size() == 2 && action[0] == '^' && action[1] >= 'A' && action[1] <= 'Z') {
    const unsigned letter = static_cast<unsigned char>(action[1]);
    headless_at(time, [letter] { headless_ctrl_press(letter, graphics_window()); });
    return true;
  }
  const auto comma = action.find(',');
  if (comma == std::string::npos)
    return false;
  const char* x_text = action.c_str();
  const char* y_text = x_text + comma + 1;
  char* end_x = nullptr;
  char* end_y = nullptr;
  const long x = std::strtol(x_text, &end_x, 10);
  const long y = std::strtol(y_text, &end_y, 10);
  if (end_x == x_text || end_x != y_text - 1 || end_y == y_text || *end_y != '\0' || x < -1000 ||
      x > 1000 || y < -1000 || y > 1000) {
    return false;
  }
  const int client_x = CLIENT_ORIGIN_X + static_cast<int>(x);
  const int client_y = CLIENT_ORIGIN_Y - static_cast<int>(y);
  headless_at(time,
              [client_x, client_y] { headless_click(client_x, client_y, graphics_window()); });
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: web_native_scene PICTURE.png [X,Y | ^LETTER]...\n", stderr);
    return 64;
  }
  const char* path = argv[1];
  std::int64_t time = 150;  // between the first ticks, 100 ms apart
  for (int i = 2; i < argc; ++i, time += 100) {
    if (!schedule(argv[i], time)) {
      std::fprintf(stderr, "web_native_scene: not an action: %s\n", argv[i]);
      return 64;
    }
  }

  bool written = false;
  headless_at(time + 200, [path, &written] {
    PlatWindow* window = graphics_window();
    PlatCanvas* canvas = window ? headless_window_canvas(window) : nullptr;
    written = canvas && render_write_png(canvas, path);
  });
  cone_main(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL);
  if (!written) {
    std::fprintf(stderr, "web_native_scene: no picture written to %s\n", path);
    return 1;
  }
  return 0;
}
