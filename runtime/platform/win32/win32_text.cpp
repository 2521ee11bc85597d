// Fonts and text on GDI: the stock fixed-pitch font, the application font
// made by name at a character height, metrics, extents and text output. A
// call selects the font it is given and puts the previous one back; fonts
// belong to the caller, who deletes the ones it created.
#include <algorithm>
#include <climits>
#include <vector>

#include "runtime/platform/win32/win32_internal.h"

namespace {

// No face of this name exists: the system substitutes its closest normal
// font of the height asked for.
const char* const kFaceName = "VELKO-font";

// Far above any text size the runtime asks for, and small enough that the
// system never renders a glyph of unbounded size.
constexpr int kMaxCharHeight = 4096;

HFONT stock_fixed_font() {
  return static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
}

// The canvas's device context with the font selected for the scope.
struct FontScope {
  FontScope(const W32Canvas* canvas, PlatFont* font)
      : dc(canvas->dc), selection(canvas->dc, w32_hfont(font), false) {}
  HDC dc;
  W32Selection selection;
};

// Characters wholly left of the canvas are dropped before drawing, so the
// position handed to GDI stays near the canvas. Their advances tell where
// the rest begins; the slack covers glyphs that overhang their cells.
// False when nothing of the text can reach the canvas.
bool drop_hidden_start(HDC dc, const TEXTMETRICA& metrics, std::int64_t* x, const char** text,
                       int* count) {
  std::vector<INT> ends(static_cast<std::size_t>(*count));
  SIZE size = {};
  if (!GetTextExtentExPointA(dc, *text, *count, INT_MAX, nullptr, ends.data(), &size))
    return true;  // nothing known: leave the text as it is
  const std::int64_t slack = 2 * (std::int64_t{metrics.tmMaxCharWidth} + metrics.tmHeight);
  if (*x + ends.back() + slack < 0)
    return false;
  int dropped = 0;
  while (dropped < *count - 1 && *x + ends[static_cast<std::size_t>(dropped)] + slack < 0)
    ++dropped;
  if (dropped > 0) {
    *x += ends[static_cast<std::size_t>(dropped - 1)];
    *text += dropped;
    *count -= dropped;
  }
  return true;
}

}  // namespace

PlatFont* w32_fixed_font() {
  return reinterpret_cast<PlatFont*>(stock_fixed_font());
}

PlatFont* w32_create_font(int char_height) {
  const int height = std::clamp(char_height, 0, kMaxCharHeight);
  // A negative height asks for the character height, internal leading
  // excluded; 0 asks for the default height.
  HFONT font = CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, kFaceName);
  return reinterpret_cast<PlatFont*>(font);
}

void w32_delete_font(PlatFont* font) {
  if (font && w32_hfont(font) != stock_fixed_font())
    DeleteObject(w32_hfont(font));
}

void w32_text_metrics(PlatCanvas* canvas, PlatFont* font, PlatTextMetrics* metrics) {
  *metrics = PlatTextMetrics{};
  const W32Canvas* c = w32_canvas(canvas);
  if (!c)
    return;
  FontScope scope(c, font);
  TEXTMETRICA tm = {};
  if (!GetTextMetricsA(scope.dc, &tm))
    return;
  metrics->height = tm.tmHeight;
  metrics->ascent = tm.tmAscent;
  metrics->external_leading = tm.tmExternalLeading;
}

void w32_text_extent(PlatCanvas* canvas, PlatFont* font, const char* text, int count, int* width,
                     int* height) {
  *width = 0;
  *height = 0;
  const W32Canvas* c = w32_canvas(canvas);
  if (!c)
    return;
  FontScope scope(c, font);
  if (!text || count <= 0) {
    // No characters: no width, and the font's height all the same.
    TEXTMETRICA tm = {};
    if (GetTextMetricsA(scope.dc, &tm))
      *height = tm.tmHeight;
    return;
  }
  SIZE size = {};
  if (GetTextExtentPointA(scope.dc, text, count, &size)) {
    *width = size.cx;
    *height = size.cy;
  }
}

void w32_text_out(PlatCanvas* canvas, PlatFont* font, std::int64_t x, std::int64_t y,
                  const char* text, int count, PlatColor text_color, bool opaque,
                  PlatColor background) {
  int width = 0, height = 0;
  W32Canvas* c = w32_canvas(canvas);
  if (!c || !text || count <= 0)
    return;
  w32_canvas_size(c, &width, &height);
  FontScope scope(c, font);
  TEXTMETRICA tm = {};
  GetTextMetricsA(scope.dc, &tm);
  // Text starting right of or below the canvas, or ending above it, shows
  // nothing; what starts left of it may still reach it.
  if (x >= width || y >= height || y + tm.tmHeight <= 0)
    return;
  if (x < 0 && !drop_hidden_start(scope.dc, tm, &x, &text, &count))
    return;
  const COLORREF saved_color = SetTextColor(scope.dc, text_color);
  const int saved_mode = SetBkMode(scope.dc, opaque ? OPAQUE : TRANSPARENT);
  const COLORREF saved_background = opaque ? SetBkColor(scope.dc, background) : CLR_INVALID;
  TextOutA(scope.dc, static_cast<int>(x), static_cast<int>(y), text, count);
  if (saved_background != CLR_INVALID)
    SetBkColor(scope.dc, saved_background);
  SetBkMode(scope.dc, saved_mode);
  SetTextColor(scope.dc, saved_color);
}
