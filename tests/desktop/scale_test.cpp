// The designer on a display scaled 2x (GDK_SCALE=2 on a private X server)
// against the same designer at 1x: the graphics window is twice as large,
// each pixel of its client area is the 1x pixel as an exact 2x2 block, after
// each click as at the start (so a click lands on the same runtime point),
// and the log window is scaled too. At 1x, both windows of the log program
// show the strings of the text table exactly as the headless backend draws
// them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "runtime/platform/headless/headless.h"
#include "runtime/platform/render/render.h"
#include "runtime/window/window.h"
#include "tests/desktop/desktop_support.h"
#include "tests/desktop/log_program.h"

namespace {

constexpr int CLIENT_WIDTH = 595;
constexpr int CLIENT_HEIGHT = 496;
constexpr int ORIGIN_X = 297;
constexpr int ORIGIN_Y = 248;

// What is done before each capture: a click at a runtime point, or nothing.
struct Step {
  const char* what;
  int x;
  int y;
};
constexpr Step kSteps[] = {
    {"the first scene", INT_MIN, INT_MIN},
    {"Add Scoop pressed", -240, 232},
    {"a topping dropped on the scoop, off its centre", 31, 61},
    {"Change Color pressed", -240, 107},
};

struct Session {
  int window_width = 0;
  int window_height = 0;
  std::vector<Image> clients;  // the client area after each step
};

// The client area lies at the bottom of the capture, below the menu bar.
Image client_of(const Image& shot, int scale) {
  return crop(shot, 0, shot.height - CLIENT_HEIGHT * scale, CLIENT_WIDTH * scale,
              CLIENT_HEIGHT * scale);
}

// Captures until the picture stops changing (and differs from before, when
// a click should have changed it).
Image settled(unsigned long window, const Image* before) {
  Image last = capture(window);
  const std::int64_t deadline = now_ms() + 5000;
  while (now_ms() < deadline) {
    sleep_ms(150);
    Image next = capture(window);
    if (next.rgb == last.rgb && (!before || next.rgb != before->rgb))
      return next;
    last = std::move(next);
  }
  return last;
}

// The log window of the log program, and its graphics window's client area,
// at this scale.
struct LogProgramWindows {
  Image log;
  Image client;
};

LogProgramWindows log_program_windows(int scale) {
  TempDir dir;
  Child app(std::vector<std::string>{VELKO_LOG_PROGRAM}, dir.path(),
            {"GDK_SCALE=" + std::to_string(scale), "GDK_DPI_SCALE"});
  const unsigned long log = find_window("VELKO Text", 20000);
  EXPECT_NE(log, 0u) << "no log window at scale " << scale << ": " << app.stderr_text();
  LogProgramWindows shots;
  if (log != 0)
    shots.log = settled(log, nullptr);
  if (const unsigned long window = find_window("VELKO Graphics", 5000)) {
    shots.client = client_of(settled(window, nullptr), scale);
    run_command({"xdotool", "windowfocus", "--sync", std::to_string(window), "key", "ctrl+q"});
  }
  EXPECT_EQ(app.wait_exit(5000), 0) << "at scale " << scale;
  return shots;
}

// Pixels of a capture that differ from the canvas's, over the capture's
// rows from top_row and columns 0..width, the canvas's rows from its
// canvas_row.
int differing(const Image& shot, int top_row, const PlatCanvas* canvas, int canvas_row, int width,
              int rows) {
  int n = 0;
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < width; ++x)
      n += shot.at(x, top_row + y) != render_canvas_pixel(canvas, x, canvas_row + y);
  }
  return n;
}

Session run_designer(int scale) {
  Session session;
  TempDir dir;
  Child app(std::vector<std::string>{VELKO_CONE_PATH}, dir.path(),
            {"GDK_SCALE=" + std::to_string(scale), "GDK_DPI_SCALE"});
  const unsigned long window = find_window("VELKO Graphics", 20000);
  EXPECT_NE(window, 0u) << "no window at scale " << scale << ": " << app.stderr_text();
  if (window == 0)
    return session;
  Image shot;
  for (const Step& step : kSteps) {
    if (step.x != INT_MIN) {
      const int top = shot.height - CLIENT_HEIGHT * scale;
      run_command({"xdotool", "mousemove", "--window", std::to_string(window),
                   std::to_string(scale * (ORIGIN_X + step.x) + scale / 2),
                   std::to_string(top + scale * (ORIGIN_Y - step.y) + scale / 2), "click", "1"});
    }
    shot = settled(window, step.x != INT_MIN ? &shot : nullptr);
    session.clients.push_back(client_of(shot, scale));
  }
  session.window_width = shot.width;
  session.window_height = shot.height;
  run_command({"xdotool", "windowfocus", "--sync", std::to_string(window), "key", "ctrl+q"});
  EXPECT_EQ(app.wait_exit(5000), 0) << "at scale " << scale;
  return session;
}

TEST(Scaled, TwiceAsLargeEveryPixelA2x2BlockAndClicksLandAlike) {
  const Session one = run_designer(1);
  const Session two = run_designer(2);
  ASSERT_EQ(one.clients.size(), std::size(kSteps));
  ASSERT_EQ(two.clients.size(), std::size(kSteps));
  EXPECT_EQ(two.window_width, 2 * one.window_width);
  EXPECT_GE(two.window_height, 2 * CLIENT_HEIGHT);
  for (std::size_t i = 0; i < std::size(kSteps); ++i) {
    std::string why;
    EXPECT_TRUE(is_scaled_copy(two.clients[i], one.clients[i], 2, &why))
        << kSteps[i].what << ": " << why;
    if (i > 0) {
      EXPECT_NE(one.clients[i].rgb, one.clients[i - 1].rgb) << kSteps[i].what << " changed nothing";
    }
  }
}

// The log window fills a share of the screen in logical pixels, so its size
// follows the screen's; what it shows must be sharp 2x2 blocks too.
TEST(Scaled, LogWindowTextIsSharp2x2Blocks) {
  const Image log = log_program_windows(2).log;
  ASSERT_FALSE(log.empty()) << "no log window at 2x";
  std::string why;
  EXPECT_TRUE(is_blocks(log, 0, 0, 2, &why)) << "log window: " << why;
  const Image picked = pick_blocks(log, 0, 0, 2);
  EXPECT_NE(std::count(picked.rgb.begin(), picked.rgb.end(), picked.rgb[0]),
            static_cast<std::ptrdiff_t>(picked.rgb.size()))
      << "the log window shows nothing";
}

// The same program on the headless backend, in this process, draws what the
// GTK program shows: the graphics window's client area is the surface's
// top-left part, and the log window's bottom lines, one per string of the
// table, match from the left edge.
TEST(Scaled, AtOneTheTextTableShowsAsTheHeadlessBackendDrawsIt) {
  const LogProgramWindows gtk = log_program_windows(1);
  ASSERT_FALSE(gtk.log.empty() || gtk.client.empty());
  VELKO_start(nullptr, nullptr, nullptr, 1);
  log_program_draws();
  EXPECT_EQ(differing(gtk.client, 0, surface_dc, 0, CLIENT_WIDTH, CLIENT_HEIGHT), 0);

  PlatCanvas* log = headless_window_canvas(log_window);
  ASSERT_NE(log, nullptr);
  PlatTextMetrics metrics;
  plat->draw->text_metrics(log, plat->draw->fixed_font(), &metrics);
  const int rows =
      static_cast<int>(text_cases().size()) * (metrics.height + metrics.external_leading);
  ASSERT_TRUE(rows > 0 && rows <= std::min(log->height, gtk.log.height));
  EXPECT_EQ(differing(gtk.log, gtk.log.height - rows, log, log->height - rows,
                      std::min(log->width, gtk.log.width), rows),
            0);
}

}  // namespace

int main(int argc, char** argv) {
  // Room for the window at 2x: 1190 x 992 and the menu bar.
  return desktop_test_main(argc, argv, nullptr, "2048x1536x24");
}
