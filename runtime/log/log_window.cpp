// The log window: VELKO_log with its ring of the 25 latest lines, the drawing
// of one line at the bottom, the replay on repaint, and the logging switch.
#include "runtime/log/log_window.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "runtime/draw/palette.h"
#include "runtime/platform/observer.h"
#include "runtime/platform/text_bytes.h"
#include "runtime/velko.h"
#include "runtime/window/run_menu.h"
#include "runtime/window/window.h"

std::array<std::string, LOG_RING_SIZE> log_ring;
int log_first = -1;
int log_next = 0;
unsigned char logging_enabled = 1;

namespace {

int next_slot(int slot) {
  return slot + 1 < LOG_RING_SIZE ? slot + 1 : 0;
}

void store_line(const char* text, std::size_t length) {
  if (log_first == log_next) {
    // The ring is full: the oldest line gives up its slot to the new one.
    log_ring[log_first].clear();
    log_first = next_slot(log_first);
  }
  log_ring[log_next].assign(text, length);
  if (log_first < 0)
    log_first = log_next;
  log_next = next_slot(log_next);
}

void replay_lines() {
  int drawn = 0;
  for (int i = log_first;; i = next_slot(i), ++drawn) {
    if (i == log_next && drawn > 0)
      break;
    if (i < 0)
      break;
    draw_log_line(log_ring[i].c_str());
  }
}

}  // namespace

int VELKO_log(const char* format, ...) {
  char buffer[LOG_BUFFER_SIZE] = "";
  if (format) {
    va_list args;
    va_start(args, format);
    const int formatted = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    // A longer line is cut at the buffer's end, before a UTF-8 character
    // the cut would split; a format error stores nothing.
    if (formatted < 0)
      buffer[0] = '\0';
    if (formatted >= LOG_BUFFER_SIZE)
      buffer[text_bytes::utf8_cut(buffer, LOG_BUFFER_SIZE - 1)] = '\0';
  }
  const std::size_t length = std::strlen(buffer);
  store_line(buffer, length);
  if (plat_observer)
    plat_observer->log_line(buffer);
  draw_log_line(buffer);
  return static_cast<int>(length);
}

void draw_log_line(const char* text) {
  PlatCanvas* canvas = plat->get_canvas(log_window);
  if (!canvas)
    return;
  PlatFont* font = plat->draw->fixed_font();
  PlatTextMetrics metrics;
  plat->draw->text_metrics(canvas, font, &metrics);
  const int h = metrics.height + metrics.external_leading;

  plat->draw->scroll(canvas, -h);
  int right = 0;
  int bottom = 0;
  plat->client_size(log_window, &right, &bottom);
  const PlatColor background = palette_rgb[WHITE];
  plat->draw->fill_rect(canvas, 0, bottom - h, right, bottom, background);

  std::size_t n = std::strlen(text);
  if (n > 0 && text[n - 1] == '\n')
    --n;
  plat->draw->text_out(canvas, font, LOG_LEFT_MARGIN, bottom - h, text, static_cast<int>(n),
                       palette_rgb[BLACK], true, background);
  plat->release_canvas(log_window, canvas);
}

PlatResult log_window_proc(PlatWindow* window, unsigned kind, PlatWParam wparam,
                           PlatLParam lparam) {
  switch (kind) {
    case PLAT_MSG_PAINT:
      plat->begin_paint(window);
      replay_lines();
      plat->end_paint(window);
      return 0;
    case PLAT_MSG_KEYDOWN:
    case PLAT_MSG_KEYUP:
      // Keys typed into the log window act as if typed into the graphics window.
      plat->post_message(graphics_window, kind, wparam, lparam);
      return 0;
    default:
      return plat->default_handler(window, kind, wparam, lparam);
  }
}

int VELKO_set_logging(int on) {
  if (!graphics_window)
    return 0;
  logging_enabled = on ? 1 : 0;
  plat->check_menu_item(run_menu, IDM_LOGGING, logging_enabled != 0);
  if (logging_enabled)
    VELKO_show_log(1);
  return 1;
}

int VELKO_show_log(int show) {
  return plat->show_window(log_window, show ? PLAT_SW_SHOW : PLAT_SW_HIDE) ? 1 : 0;
}
