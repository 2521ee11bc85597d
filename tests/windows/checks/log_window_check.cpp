// The runtime's log window on the win32 backend: lines written with
// VELKO_log appear at the bottom of the window, one line height apart, each
// pushing the earlier ones up (ScrollDC), in the stock fixed-pitch font from
// the left margin; and a repaint, which replays the ring of the 25 latest
// lines, shows those lines exactly as they were drawn.
#include <string>
#include <vector>

#include "runtime/platform/win32/win32_internal.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"
#include "tests/windows/checks/check_report.h"
#include "tests/windows/checks/dc_pixels.h"

namespace {

constexpr int kLines = 30;
constexpr int kRing = 25;

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;  // 0x00RRGGBB, top row first

  bool dark(int x, int y) const {
    const std::uint32_t p = rgb[static_cast<std::size_t>(y) * width + x];
    return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 128;
  }
  // Dark pixels in rows [top, bottom) and columns [left, right).
  int dark_in(int left, int top, int right, int bottom) const {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x)
        n += dark(x, y);
    }
    return n;
  }
};

// The client area of a window as it is on the screen.
Pixels client_pixels(HWND hwnd) {
  RECT rect = {};
  GetClientRect(hwnd, &rect);
  Pixels p;
  p.width = rect.right;
  p.height = rect.bottom;
  HDC window = GetDC(hwnd);
  p.rgb = dc_pixels(window, p.width, p.height);
  ReleaseDC(hwnd, window);
  return p;
}

// Hands out the messages that are there for a while (repaints, the timer).
void pump(int ms) {
  const DWORD until = GetTickCount() + static_cast<DWORD>(ms);
  while (GetTickCount() < until) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

int line_height(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ previous = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, previous);
  ReleaseDC(hwnd, dc);
  return tm.tmHeight + tm.tmExternalLeading;
}

}  // namespace

int main() {
  CheckReport report("The runtime's log window on the win32 backend");
  VELKO_start(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
  const HWND log = w32_hwnd(log_window);
  if (!report.expect(IsWindow(log) && IsWindowVisible(log), "the log window is there and shown"))
    return report.finish();
  pump(300);

  for (int i = 1; i <= kLines; ++i)
    VELKO_log("line %02d of the log, written live\n", i);
  const Pixels live = client_pixels(log);
  const int h = line_height(log);
  report.note("client area " + std::to_string(live.width) + " x " + std::to_string(live.height) +
              ", line height " + std::to_string(h));
  if (!report.expect(h > 0 && live.height >= kRing * h, "the window holds the ring's 25 lines"))
    return report.finish();

  // Line k from the bottom (0: the newest) fills rows [bottom - (k+1)h, bottom - kh).
  const auto band_top = [&](int k) { return live.height - (k + 1) * h; };
  bool every_line_inked = true;
  for (int k = 0; k < kRing; ++k)
    every_line_inked =
        every_line_inked && live.dark_in(0, band_top(k), live.width, band_top(k) + h) > 20;
  report.expect(every_line_inked, "each of the 25 bottom line bands holds text");
  report.expect(live.dark_in(0, 0, 5, live.height) == 0, "nothing left of the 5-pixel margin");
  // Lines of the same length end at the same column: the font is fixed-pitch.
  const auto right_end = [&](int k) {
    int last = -1;
    for (int x = 0; x < live.width; ++x) {
      if (live.dark_in(x, band_top(k), x + 1, band_top(k) + h) > 0)
        last = x;
    }
    return last;
  };
  report.expect(right_end(0) > 5 && right_end(0) == right_end(24),
                "equal lines end at the same column (" + std::to_string(right_end(0)) + ")");

  InvalidateRect(log, nullptr, TRUE);
  UpdateWindow(log);
  const Pixels replayed = client_pixels(log);
  const int ring_top = band_top(kRing - 1);
  bool same = replayed.width == live.width && replayed.height == live.height;
  for (int y = ring_top; same && y < live.height; ++y) {
    for (int x = 0; same && x < live.width; ++x)
      same = replayed.rgb[static_cast<std::size_t>(y) * live.width + x] ==
             live.rgb[static_cast<std::size_t>(y) * live.width + x];
  }
  report.expect(same, "a repaint replays the 25 latest lines exactly as they were drawn");
  report.expect(replayed.dark_in(0, 0, replayed.width, ring_top) == 0,
                "above them the repaint leaves the window blank (the older lines are gone)");

  VELKO_finish();
  return report.finish();
}
