// The Windows program under Wine with its prefix's DPI at 192 (a display at
// 200 %). The program is per-monitor DPI aware, so Wine does not stretch
// it: it scales itself by 2. The graphics window is twice as large, its
// picture is made of sharp 2x2 blocks, and clicks land on the same runtime
// points as at 1x.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/draw/palette.h"
#include "tests/desktop/desktop_support.h"

namespace {

constexpr int SCALE = 2;

// A prefix of its own, with its DPI at 192; made once for the process.
std::string scaled_prefix() {
  static TempDir dir;
  static bool made = false;
  if (!made) {
    made = true;
    setenv("WINEPREFIX", dir.path().c_str(), 1);
    run_command({VELKO_SOURCE_DIR "/scripts/wine-prefix.sh", dir.path()});
    for (const char* key : {"HKCU\\Control Panel\\Desktop", "HKCC\\Software\\Fonts"}) {
      run_command(
          {"wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "192", "/f"});
    }
    run_command({"wineserver", "-w"});
  }
  return dir.path();
}

// A click at a runtime point, and what must then be at another.
struct Step {
  const char* what;
  int click_x;  // INT_MIN: no click
  int click_y;
  int check_x;
  int check_y;
  int color;
};
const Step kSteps[] = {
    {"the first scene: the cone", INT_MIN, INT_MIN, 0, -100, BROWN},
    {"Add Scoop: a second scoop", -240, 232, 0, 110, TURQUOISE},
    {"a click on the scoop: a red disc", 30, 60, 24, 60, RED},
    {"Change Color: the disc turns green", -240, 107, 24, 60, GREEN},
};

TEST(WineScaled, TwiceAsLargeSharp2x2BlocksAndClicksLandAlike) {
  scaled_prefix();
  TempDir dir;
  Child app(std::vector<std::string>{"wine", VELKO_WINE_PROGRAM}, dir.path());
  const unsigned long window = find_window("VELKO Graphics", 30000);
  ASSERT_NE(window, 0u) << "no window: " << app.stderr_text();

  // The panel's corner, runtime point (-295, 245), found at twice its size,
  // places every other runtime point.
  Image shot;
  int corner_x = 0, corner_y = 0;
  const std::int64_t deadline = now_ms() + 10000;
  bool found = false;
  while (!found && now_ms() < deadline) {
    shot = capture(window);
    found = find_panel_corner(shot, &corner_x, &corner_y, SCALE);
    if (!found)
      sleep_ms(100);
  }
  ASSERT_TRUE(found) << "no panel at twice its size (" << shot.width << " x " << shot.height << ")";
  EXPECT_GE(shot.width, SCALE * 595) << "the window is not twice as large";
  const auto device_x = [&](int x) { return corner_x + SCALE * (x + 295); };
  const auto device_y = [&](int y) { return corner_y + SCALE * (245 - y); };

  for (const Step& step : kSteps) {
    if (step.click_x != INT_MIN) {
      run_command({"xdotool", "mousemove", "--window", std::to_string(window),
                   std::to_string(device_x(step.click_x) + 1),
                   std::to_string(device_y(step.click_y) + 1), "click", "1"});
    }
    const std::int64_t until = now_ms() + 5000;
    while (shot.at(device_x(step.check_x), device_y(step.check_y)) != palette_rgb[step.color] &&
           now_ms() < until) {
      sleep_ms(100);
      shot = capture(window);
    }
    EXPECT_EQ(shot.at(device_x(step.check_x), device_y(step.check_y)), palette_rgb[step.color])
        << step.what;
    std::string why;
    EXPECT_TRUE(is_blocks(shot, corner_x, corner_y, SCALE, &why)) << step.what << ": " << why;
  }
  run_command({"xdotool", "windowfocus", "--sync", std::to_string(window), "key", "ctrl+q"});
  EXPECT_EQ(app.wait_exit(10000), 0);
  run_command({"wineserver", "-k"});
}

}  // namespace

int main(int argc, char** argv) {
  setenv("WINEDEBUG", "-all", 1);
  setenv("WINEDLLOVERRIDES", "mscoree=;mshtml=", 1);
  // Room for the window at 2x.
  return desktop_test_main(argc, argv, nullptr, "2048x1536x24");
}
