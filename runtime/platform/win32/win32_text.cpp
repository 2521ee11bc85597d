// Fonts and text on GDI: the stock fixed-pitch font, the application font
// made by name at a character height, metrics, extents and text output. A
// call selects the font it is given and puts the previous one back; fonts
// belong to the caller, who deletes the ones it created.
//
// Text is read by the rule every backend reads it by (text_bytes.h): UTF-8
// when the whole text is, else Windows-1252. It is converted to UTF-16 and
// measured and drawn with the wide-character calls, so that Windows shows
// the characters the other backends show.
#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "runtime/platform/text_bytes.h"
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

// The characters of count bytes of text in UTF-16: never more units than
// bytes.
std::wstring wide_of(const char* text, int count) {
  std::wstring wide;
  wide.reserve(static_cast<std::size_t>(count));
  text_bytes::Reader reader(text, static_cast<std::size_t>(count));
  for (char32_t c = 0; reader.next(&c);) {
    if (c >= 0x10000) {
      wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(c);
    }
  }
  return wide;
}

int length_of(const std::wstring& wide) {
  return static_cast<int>(std::min<std::size_t>(wide.size(), INT_MAX));
}

bool low_surrogate(wchar_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Characters wholly left of the canvas are dropped before drawing, so the
// position handed to GDI stays near the canvas. Their advances tell where
// the rest begins; the slack covers glyphs that overhang their cells.
// False when nothing of the text can reach the canvas.
bool drop_hidden_start(HDC dc, const TEXTMETRICA& metrics, std::int64_t* x, const wchar_t** text,
                       int* count) {
  std::vector<INT> ends(static_cast<std::size_t>(*count));
  SIZE size = {};
  if (!GetTextExtentExPointW(dc, *text, *count, INT_MAX, nullptr, ends.data(), &size))
    return true;  // nothing known: leave the text as it is
  const std::int64_t slack = 2 * (std::int64_t{metrics.tmMaxCharWidth} + metrics.tmHeight);
  if (*x + ends.back() + slack < 0)
    return false;
  int dropped = 0;
  while (dropped < *count - 1 && *x + ends[static_cast<std::size_t>(dropped)] + slack < 0)
    ++dropped;
  // A character beyond U+FFFF is two units: it goes whole or stays whole.
  if (dropped > 0 && low_surrogate((*text)[dropped]))
    --dropped;
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
  const std::wstring wide = wide_of(text, count);
  SIZE size = {};
  if (GetTextExtentPoint32W(scope.dc, wide.c_str(), length_of(wide), &size)) {
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
  const std::wstring wide = wide_of(text, count);
  const wchar_t* units = wide.c_str();
  int length = length_of(wide);
  if (length == 0)
    return;
  if (x < 0 && !drop_hidden_start(scope.dc, tm, &x, &units, &length))
    return;
  const COLORREF saved_color = SetTextColor(scope.dc, text_color);
  const int saved_mode = SetBkMode(scope.dc, opaque ? OPAQUE : TRANSPARENT);
  const COLORREF saved_background = opaque ? SetBkColor(scope.dc, background) : CLR_INVALID;
  TextOutW(scope.dc, static_cast<int>(x), static_cast<int>(y), units, length);
  if (saved_background != CLR_INVALID)
    SetBkColor(scope.dc, saved_background);
  SetBkMode(scope.dc, saved_mode);
  SetTextColor(scope.dc, saved_color);
}
