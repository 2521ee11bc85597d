// The desktop program's timing for the benchmarks (VELKO_TIMING): the
// start-up marks in their order, the watched pixel, and one line per click.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "designer/panel_layout.h"
#include "runtime/draw/palette.h"
#include "tests/desktop/desktop_support.h"
#include "tests/support/client_origin.h"

namespace {

bool wait_for(const std::string& path, const std::string& name, int timeout_ms) {
  const std::int64_t deadline = now_ms() + timeout_ms;
  while (now_ms() < deadline) {
    if (read_marks(path).count(name) > 0)
      return true;
    sleep_ms(20);
  }
  return false;
}

std::string brown() {
  const PlatColor c = palette_rgb[BROWN];
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return text;
}

TEST(Timing, StartUpMarksInOrderThenOneLinePerClick) {
  TempDir dir;
  const std::string file = dir.path() + "/timing.txt";
  // Runtime point (0, -100) is inside the cone.
  const std::string watch =
      std::to_string(CLIENT_ORIGIN_X) + "," + std::to_string(CLIENT_ORIGIN_Y + 100) + "," + brown();
  Child app(VELKO_CONE_PATH, dir.path(),
            {"VELKO_TIMING=" + file, "VELKO_TIMING_WATCH=" + watch, "VELKO_BACKEND"});
  ASSERT_TRUE(wait_for(file, "scene", 10000)) << app.stderr_text();
  const auto marks = read_marks(file);
  for (const char* name : {"toolkit", "windows", "fonts", "first_draw", "scene"})
    ASSERT_EQ(marks.count(name), 1u) << name;
  EXPECT_GT(marks.find("toolkit")->second, 0);
  EXPECT_LE(marks.find("toolkit")->second, marks.find("windows")->second);
  EXPECT_LE(marks.find("windows")->second, marks.find("first_draw")->second);
  // The cone appears with the first scene, drawn after the first tick.
  EXPECT_GE(marks.find("scene")->second, marks.find("windows")->second + 90);

  const unsigned long window = find_window("VELKO Graphics", 5000);
  ASSERT_NE(window, 0u);
  // Add Scoop; the menu bar lies above the
  // client area, so the click is placed from the window's bottom.
  const CommandResult geometry =
      run_command({"xdotool", "getwindowgeometry", std::to_string(window)});
  int width = 0, height = 0;
  ASSERT_EQ(std::sscanf(geometry.out.c_str() + geometry.out.find("Geometry: "), "Geometry: %dx%d",
                        &width, &height),
            2);
  const int x = CLIENT_ORIGIN_X + BUTTON_X;
  const int y = height - CLIENT_HEIGHT + CLIENT_ORIGIN_Y - button_y(ADD_SCOOP);
  run_command({"xdotool", "mousemove", "--window", std::to_string(window), std::to_string(x),
               std::to_string(y), "click", "1"});
  ASSERT_TRUE(wait_for(file, "click", 5000));
  const auto after = read_marks(file);
  EXPECT_EQ(after.count("click"), 1u);
  const double latency_us = after.find("click")->second;
  EXPECT_GT(latency_us, 0);
  EXPECT_LT(latency_us, 5e6);
  EXPECT_EQ(after.count("scene"), 1u);  // reported once only
}

TEST(Timing, OffUnlessAsked) {
  TempDir dir;
  Child app(VELKO_CONE_PATH, dir.path(), {"VELKO_TIMING", "VELKO_BACKEND"});
  ASSERT_NE(find_window("VELKO Graphics", 10000), 0u);
  sleep_ms(300);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    files += entry.path().filename() != "stdout.txt" && entry.path().filename() != "stderr.txt";
  EXPECT_EQ(files, 0);
}

}  // namespace

int main(int argc, char** argv) {
  return desktop_test_main(argc, argv);
}
