// The log window: the ring of 25 lines, drawing at the bottom, replay on
// repaint, key forwarding and the logging switch.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "runtime/draw/palette.h"
#include "runtime/log/log_window.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/platform/render/render.h"
#include "runtime/platform/text_bytes.h"
#include "runtime/velko.h"
#include "runtime/window/run_menu.h"
#include "runtime/window/window.h"
#include "tests/support/test_support.h"
#include "tests/support/text_table.h"

namespace {

int line_height() {
  PlatTextMetrics m;
  plat->draw->text_metrics(plat->get_canvas(log_window), plat->draw->fixed_font(), &m);
  return m.height + m.external_leading;
}

// Whether rows [top, top + h) of the log window show exactly the text as one
// line of the log, black on white from the left margin: compared with the
// line drawn on a canvas of its own, so nothing is assumed about where a
// glyph's ink lies in its cell.
bool band_shows(int top, int h, const std::string& text) {
  PlatCanvas* c = headless_window_canvas(log_window);
  if (top < 0 || top + h > c->height)
    return false;
  std::unique_ptr<PlatCanvas, void (*)(PlatCanvas*)> line(render_canvas_create(c->width, h),
                                                          render_canvas_destroy);
  plat->draw->fill_rect(line.get(), 0, 0, c->width, h, palette_rgb[WHITE]);
  plat->draw->text_out(line.get(), plat->draw->fixed_font(), LOG_LEFT_MARGIN, 0, text.c_str(),
                       static_cast<int>(text.size()), palette_rgb[BLACK], true, palette_rgb[WHITE]);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < c->width; ++x) {
      if (render_canvas_pixel(c, x, top + y) != render_canvas_pixel(line.get(), x, y))
        return false;
    }
  }
  return true;
}

void repaint_log() {
  PlatMessage paint{log_window, PLAT_MSG_PAINT, 0, 0};
  plat->dispatch_message(&paint);
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
  // A cut inside a UTF-8 character drops that character, so the line stays
  // UTF-8; in Windows-1252 text every byte is a character. Drawn text is cut
  // the same way.
  start_runtime();
  const std::string x1021(1021, 'x');
  const struct {
    std::string text;
    std::string stored;
  } cuts[] = {
      {x1021 + "€", x1021},                             // 3 bytes from 1022
      {x1021 + "ab€", x1021 + "ab"},                    // ends right before it
      {x1021 + "a\xF0\x9F\x98\x80", x1021 + "a"},       // 4 bytes from 1023
      {x1021 + "\xE9\xE9\xE9", x1021 + "\xE9\xE9"},     // Windows-1252
      {"\xE9" + x1021 + "€", "\xE9" + x1021 + "\xE2"},  // not UTF-8 before the cut
  };
  for (const auto& cut : cuts) {
    EXPECT_EQ(VELKO_log("%s", cut.text.c_str()), static_cast<int>(cut.stored.size()));
    EXPECT_EQ(log_lines().back(), cut.stored);
    EXPECT_EQ(VELKO_print_at(BLACK, 0, 0, 12, "%s", cut.text.c_str()),
              static_cast<int>(cut.stored.size()));
  }
}

TEST(LogRing, BeforeStartLinesAreStoredAndComeBackOnTheFirstRepaint) {
  EXPECT_EQ(VELKO_log("early %d\n", 7), 8);
  start_runtime();
  repaint_log();
  int w = 0, h = 0;
  plat->client_size(log_window, &w, &h);
  EXPECT_TRUE(band_shows(h - line_height(), line_height(), "early 7"));
}

TEST(LogWindow, NewLineScrollsTheOthersUpByOneLine) {
  start_runtime();
  repaint_log();
  int w = 0, bottom = 0;
  plat->client_size(log_window, &w, &bottom);
  const int h = line_height();
  ASSERT_GT(h, 0);
  VELKO_log("MMMM\n");
  EXPECT_TRUE(band_shows(bottom - h, h, "MMMM"));
  EXPECT_FALSE(band_shows(bottom - h, h, ""));
  // An empty line scrolls as well and leaves a blank bottom line.
  EXPECT_EQ(VELKO_log("%s", ""), 0);
  EXPECT_TRUE(band_shows(bottom - h, h, ""));
  EXPECT_TRUE(band_shows(bottom - 2 * h, h, "MMMM"));
}

TEST(LogWindow, LinesShowTheCharactersOfTheirText) {
  start_runtime();
  int right = 0, bottom = 0;
  plat->client_size(log_window, &right, &bottom);
  for (const TextCase& t : text_cases()) {
    VELKO_log("%s\n", t.bytes.c_str());
    std::string shown;
    for (char32_t c : t.shown)
      text_bytes::append_utf8(shown, c);
    EXPECT_TRUE(band_shows(bottom - line_height(), line_height(), shown)) << t.name;
  }
}

TEST(LogWindow, RepaintReplaysTheRingNewestAtTheBottom) {
  start_runtime();
  const auto text_of = [](int k) { return "ring line " + std::to_string(k); };
  for (int k = 1; k <= 26; ++k)
    VELKO_log("%s\n", text_of(k).c_str());
  plat->draw->fill_rect(headless_window_canvas(log_window), 0, 0, 5000, 5000, palette_rgb[RED]);
  headless_resize_window(log_window, 700, 200);
  repaint_log();
  // Band i from the bottom holds line 26 - i, and not its older neighbour.
  const int h = line_height();
  ASSERT_GT(h, 0);
  for (int i = 0; (i + 1) * h <= 200; ++i) {
    const int k = 26 - i;
    EXPECT_TRUE(band_shows(200 - (i + 1) * h, h, text_of(k))) << "line " << k;
    EXPECT_FALSE(band_shows(200 - (i + 1) * h, h, text_of(k - 1))) << "line " << k;
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
