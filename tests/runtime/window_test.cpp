// Start-up, the two windows, the origin, the surface and its dirty flag,
// repaint and shut-down.
#include "runtime/window/window.h"

#include <gtest/gtest.h>

#include "runtime/draw/palette.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/platform/render/render.h"
#include "runtime/velko.h"
#include "runtime/window/events.h"
#include "tests/support/client_origin.h"
#include "tests/support/test_support.h"

namespace {

void expect_frame(PlatWindow* w, int x, int y, int width, int height) {
  int fx = 0, fy = 0, fw = 0, fh = 0;
  headless_window_frame(w, &fx, &fy, &fw, &fh);
  EXPECT_EQ(fx, x);
  EXPECT_EQ(fy, y);
  EXPECT_EQ(fw, width);
  EXPECT_EQ(fh, height);
}

}  // namespace

TEST(Window, NothingExistsBeforeStart) {
  EXPECT_EQ(graphics_window, nullptr);
  EXPECT_EQ(origin_x, 0);
  EXPECT_EQ(origin_y, 0);
  EXPECT_EQ(surface_dirty, 1);
  EXPECT_EQ(VELKO_set_run_mode(VELKO_RUN_ANIMATE), 0);
  EXPECT_EQ(animate, 0);
}

TEST(Window, StartMakesBothWindowsAsDescribed) {
  EXPECT_EQ(VELKO_start(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL), 1);
  ASSERT_NE(graphics_window, nullptr);
  ASSERT_NE(log_window, nullptr);

  EXPECT_EQ(headless_window_title(graphics_window), "VELKO Graphics");
  EXPECT_EQ(headless_window_class(graphics_window), "DrawWndClass");
  EXPECT_FALSE(headless_window_resizable(graphics_window));
  expect_frame(graphics_window, 0, 0, 601, 540);

  EXPECT_EQ(headless_window_title(log_window), "VELKO Text");
  EXPECT_EQ(headless_window_class(log_window), "TextWndClass");
  EXPECT_TRUE(headless_window_resizable(log_window));
  expect_frame(log_window, 0, 513, 1024, 256);

  EXPECT_TRUE(headless_window_visible(graphics_window));
  EXPECT_TRUE(headless_window_visible(log_window));

  // The client area of the fixed frame with its menu bar puts the origin at
  // the centre, rounded down.
  int w = 0, h = 0;
  plat->client_size(graphics_window, &w, &h);
  EXPECT_EQ(w, CLIENT_WIDTH);
  EXPECT_EQ(h, CLIENT_HEIGHT);
  EXPECT_EQ(origin_x, CLIENT_ORIGIN_X);
  EXPECT_EQ(origin_y, CLIENT_ORIGIN_Y);

  ASSERT_NE(surface_dc, nullptr);
  EXPECT_EQ(surface_dc->width, SURFACE_WIDTH);
  EXPECT_EQ(surface_dc->height, SURFACE_HEIGHT);
  EXPECT_EQ(VELKO_finish(), 1);
}

TEST(Window, LogWindowFollowsTheScreenSize) {
  headless_set_screen_size(1280, 1024);
  start_runtime();
  expect_frame(log_window, 0, 683, 1280, 341);
}

TEST(Window, PreviousInstanceRegistersNoClassAndNothingBreaks) {
  int previous = 1;
  EXPECT_EQ(VELKO_start(nullptr, &previous, nullptr, PLAT_SW_SHOWNORMAL), 1);
  EXPECT_EQ(graphics_window, nullptr);
  EXPECT_EQ(log_window, nullptr);
  // Not started: the requests that test for it refuse; the rest do no harm.
  EXPECT_EQ(VELKO_set_run_mode(VELKO_RUN_ANIMATE), 0);
  EXPECT_EQ(VELKO_set_logging(1), 0);
  EXPECT_EQ(VELKO_show_log(1), 0);
  EXPECT_GT(VELKO_log("still %s\n", "stored"), 0);
  EXPECT_EQ(VELKO_finish(), 1);
}

TEST(Window, OriginFollowsEverySizeMessage) {
  start_runtime();
  headless_resize_window(graphics_window, 301, 201);
  EXPECT_EQ(origin_x, 150);
  EXPECT_EQ(origin_y, 100);
  // A click at the origin's pixel is the runtime point (0, 0); (10, 10) is
  // ten pixels right of and above it.
  headless_click(150, 100);
  Event e = next_event();
  EXPECT_EQ(e.kind, VELKO_MOUSE);
  EXPECT_EQ(e.x, 0);
  EXPECT_EQ(e.y, 0);
  headless_click(160, 90);
  e = next_event();
  EXPECT_EQ(e.x, 10);
  EXPECT_EQ(e.y, 10);
}

TEST(Window, FirstPassCopiesTheSurfaceEvenWhenNothingWasDrawn) {
  start_runtime();
  plat->draw->fill_rect(surface_dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, palette_rgb[ORANGE]);
  EXPECT_EQ(surface_dirty, 1);
  headless_click(10, 10);
  next_event();
  EXPECT_EQ(surface_dirty, 0);
  PlatCanvas* window = headless_window_canvas(graphics_window);
  EXPECT_EQ(render_canvas_pixel(window, 0, 0), palette_rgb[ORANGE]);
  EXPECT_EQ(render_canvas_pixel(window, 594, 495), palette_rgb[ORANGE]);
}

TEST(Window, CleanSurfaceIsNotCopiedAgain) {
  start_runtime();
  headless_click(10, 10);
  next_event();
  ASSERT_EQ(surface_dirty, 0);
  // Paint the window behind the runtime's back: a clean surface must not
  // overwrite it on the next pass.
  PlatCanvas* window = headless_window_canvas(graphics_window);
  plat->draw->set_pixel(window, 5, 5, palette_rgb[BLUE]);
  headless_click(10, 10);
  next_event();
  EXPECT_EQ(render_canvas_pixel(window, 5, 5), palette_rgb[BLUE]);
  // Something drawn marks the surface, and the next pass brings it over.
  plat->draw->set_pixel(surface_dc, 5, 5, palette_rgb[GREEN]);
  surface_dirty = 1;
  headless_click(10, 10);
  next_event();
  EXPECT_EQ(render_canvas_pixel(window, 5, 5), palette_rgb[GREEN]);
}

TEST(Window, RepaintErasesCopiesTheSurfaceAndClearsTheFlag) {
  start_runtime();
  plat->draw->fill_rect(surface_dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, palette_rgb[PINK]);
  PlatCanvas* window = headless_window_canvas(graphics_window);
  plat->draw->fill_rect(window, 0, 0, 595, 496, palette_rgb[BLACK]);
  const int paints = headless_paint_count(graphics_window);
  // Hiding and showing the window asks for a repaint.
  plat->show_window(graphics_window, PLAT_SW_HIDE);
  plat->show_window(graphics_window, PLAT_SW_SHOW);
  surface_dirty = 1;
  PlatMessage m;
  bool painted = false;
  while (plat->peek_message(&m)) {
    if (m.kind == PLAT_MSG_PAINT && m.window == graphics_window) {
      plat->dispatch_message(&m);
      painted = true;
      break;
    }
    plat->dispatch_message(&m);
  }
  ASSERT_TRUE(painted);
  EXPECT_EQ(headless_paint_count(graphics_window), paints + 1);
  EXPECT_EQ(surface_dirty, 0);
  EXPECT_EQ(render_canvas_pixel(window, 300, 200), palette_rgb[PINK]);
}

TEST(Window, ClosingTheGraphicsWindowQuitsWithTheTimerStopped) {
  start_runtime();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  headless_at(150, [] { headless_close_window(graphics_window); });
  std::vector<Event> events = events_until_quit(10);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, VELKO_PERIODIC);
  EXPECT_EQ(events[0].time_ms, 100);
  EXPECT_EQ(events[1].kind, VELKO_QUIT);
  EXPECT_EQ(events[1].time_ms, 150);
  EXPECT_TRUE(headless_window_destroyed(graphics_window));
  // No timer is left: with nothing scheduled, a further wait cannot advance
  // to a timer expiry.
  const long long before = headless_now_ms();
  PlatMessage m;
  EXPECT_FALSE(plat->peek_message(&m));
  headless_advance_ms(1000);
  EXPECT_FALSE(plat->peek_message(&m));
  EXPECT_EQ(headless_now_ms(), before + 1000);
}

TEST(Window, ClosingTheLogWindowLeavesTheRunGoing) {
  start_runtime();
  headless_close_window(log_window);
  headless_click(client_x(3), client_y(4));
  Event e = next_event();
  EXPECT_EQ(e.kind, VELKO_MOUSE);
  EXPECT_TRUE(headless_window_destroyed(log_window));
  // Lines are still stored, drawn nowhere; nothing brings the window back.
  EXPECT_GT(VELKO_log("after the close\n"), 0);
  EXPECT_EQ(log_lines().back(), "after the close\n");
  EXPECT_EQ(VELKO_set_logging(1), 1);
  EXPECT_EQ(VELKO_show_log(1), 0);
  EXPECT_FALSE(headless_window_visible(log_window));
}
