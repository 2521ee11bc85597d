// The log window: the ring of 25 lines, drawing at the bottom, replay on
// repaint, key forwarding and the logging switch.
#include <gtest/gtest.h>

#include <string>

#include "runtime/draw/palette.h"
#include "runtime/log/log_window.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/platform/soft/soft.h"
#include "runtime/velko.h"
#include "runtime/window/run_menu.h"
#include "runtime/window/window.h"
#include "tests/support/test_support.h"

namespace {

int line_height() {
  PlatTextMetrics m;
  plat_text_metrics(plat_get_canvas(log_window), plat_fixed_font(), &m);
  return m.height + m.external_leading;
}

int text_width(const std::string& text) {
  int w = 0, h = 0;
  plat_text_extent(plat_get_canvas(log_window), plat_fixed_font(), text.c_str(),
                   static_cast<int>(text.size()), &w, &h);
  return w;
}

// Rightmost non-white column in rows [top, top + h) of the log window; -1 if
// the band is blank.
int band_right_edge(int top, int h) {
  PlatCanvas* c = headless_window_canvas(log_window);
  int edge = -1;
  for (int y = std::max(top, 0); y < std::min(top + h, c->height); ++y) {
    for (int x = 0; x < c->width; ++x) {
      if (soft_canvas_pixel(c, x, y) != palette_rgb[WHITE])
        edge = std::max(edge, x);
    }
  }
  return edge;
}

void repaint_log() {
  PlatMessage paint{log_window, PLAT_MSG_PAINT, 0, 0};
  plat_dispatch_message(&paint);
}

}  // namespace

TEST(LogRing, FillsWrapsAndDropsTheOldest) {
  EXPECT_EQ(log_first, -1);
  EXPECT_EQ(log_next, 0);
  VELKO_log("line %d\n", 1);
  EXPECT_EQ(log_first, 0);
  EXPECT_EQ(log_next, 1);
  for (int i = 2; i <= 25; ++i)
    VELKO_log("line %d\n", i);
  EXPECT_EQ(log_next, 0);
  EXPECT_EQ(log_first, 0);
  EXPECT_EQ(log_ring[0], "line 1\n");
  VELKO_log("line %d\n", 26);
  EXPECT_EQ(log_first, 1);
  EXPECT_EQ(log_next, 1);
  EXPECT_EQ(log_ring[0], "line 26\n");
  std::vector<std::string> lines = log_lines();
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines.front(), "line 2\n");
  EXPECT_EQ(lines.back(), "line 26\n");
}

TEST(LogRing, StoresExactlyWhatWasFormatted) {
  EXPECT_EQ(VELKO_log("%s", ""), 0);
  EXPECT_EQ(VELKO_log("two\n\n"), 5);
  EXPECT_EQ(VELKO_log("in%sside", "\n"), 7);
  std::vector<std::string> lines = log_lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "two\n\n");
  EXPECT_EQ(lines[2], "in\nside");
}

TEST(LogRing, LongLinesAreCutAt1023Characters) {
  const std::string long_text(5000, 'x');
  EXPECT_EQ(VELKO_log("%s!", long_text.c_str()), 1023);
  EXPECT_EQ(log_lines().back(), std::string(1023, 'x'));
}

TEST(LogRing, BeforeStartLinesAreStoredAndComeBackOnTheFirstRepaint) {
  EXPECT_EQ(VELKO_log("early %d\n", 7), 8);
  start_runtime();
  repaint_log();
  int w = 0, h = 0;
  plat_client_size(log_window, &w, &h);
  EXPECT_GT(band_right_edge(h - line_height(), line_height()), LOG_LEFT_MARGIN);
}

TEST(LogWindow, NewLineScrollsTheOthersUpByOneLine) {
  start_runtime();
  repaint_log();
  int w = 0, bottom = 0;
  plat_client_size(log_window, &w, &bottom);
  const int h = line_height();
  ASSERT_GT(h, 0);
  VELKO_log("MMMM\n");
  const int edge = band_right_edge(bottom - h, h);
  EXPECT_GE(edge, LOG_LEFT_MARGIN);
  EXPECT_LT(edge, LOG_LEFT_MARGIN + text_width("MMMM"));
  // An empty line scrolls as well and leaves a blank bottom line.
  EXPECT_EQ(VELKO_log("%s", ""), 0);
  EXPECT_EQ(band_right_edge(bottom - h, h), -1);
  EXPECT_EQ(band_right_edge(bottom - 2 * h, h), edge);
}

TEST(LogWindow, RepaintReplaysTheRingNewestAtTheBottom) {
  start_runtime();
  // Line k holds k letters, so each band's width tells which line it is.
  for (int k = 1; k <= 26; ++k)
    VELKO_log("%s\n", std::string(k, 'W').c_str());
  plat_fill_rect(headless_window_canvas(log_window), 0, 0, 5000, 5000, palette_rgb[RED]);
  headless_resize_window(log_window, 700, 200);
  repaint_log();
  const int h = line_height();
  for (int i = 0; (i + 1) * h <= 200; ++i) {
    const int k = 26 - i;
    const int edge = band_right_edge(200 - (i + 1) * h, h);
    EXPECT_LT(edge, LOG_LEFT_MARGIN + text_width(std::string(k, 'W'))) << "line " << k;
    EXPECT_GT(edge, LOG_LEFT_MARGIN + text_width(std::string(k - 1, 'W'))) << "line " << k;
  }
}

TEST(LogWindow, KeysTypedThereReachTheGraphicsWindow) {
  start_runtime();
  headless_key_press('K', log_window);
  Event e = next_event();
  EXPECT_EQ(e.kind, VELKO_KBD);
  EXPECT_EQ(e.key, 'k');
}

TEST(LoggingSwitch, RefusedBeforeStart) {
  EXPECT_EQ(VELKO_set_logging(0), 0);
  EXPECT_EQ(logging_enabled, 1);
  EXPECT_EQ(VELKO_show_log(1), 0);
}

TEST(LoggingSwitch, SwitchesTheFlagAndCheckMarkAndShowsOnlyWhenOn) {
  start_runtime();
  EXPECT_EQ(VELKO_show_log(0), 1);  // shown by start
  EXPECT_EQ(VELKO_show_log(0), 0);
  EXPECT_EQ(VELKO_set_logging(0), 1);
  EXPECT_EQ(logging_enabled, 0);
  EXPECT_FALSE(headless_menu_checked(run_menu, IDM_LOGGING));
  EXPECT_FALSE(headless_window_visible(log_window));
  EXPECT_EQ(VELKO_set_logging(1), 1);
  EXPECT_EQ(logging_enabled, 1);
  EXPECT_TRUE(headless_menu_checked(run_menu, IDM_LOGGING));
  EXPECT_TRUE(headless_window_visible(log_window));
  // Switching off leaves the window as it is.
  EXPECT_EQ(VELKO_set_logging(0), 1);
  EXPECT_TRUE(headless_window_visible(log_window));
}
