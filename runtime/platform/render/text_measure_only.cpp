// Text on software canvases where no glyph library is at hand (the Windows
// build of the headless backend): text is measured but never drawn.
//
// The measures follow a common sans face, so that layouts come out about as
// they do with real glyphs: ascent 0.905 em and descent 0.212 em (each
// rounded), no external leading, and per-character advances by the shape of
// the character (narrow, normal, capital, wide), the characters read from
// the bytes as drawn text reads them (text_bytes.h). The stock fixed-pitch font
// has a 12 pixel em and advances 0.6 em for every character. Everything is a
// pure function of the character and the size, so an extent is always the
// sum of its characters' advances and its height the font's height.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "runtime/platform/render/render.h"
#include "runtime/platform/text_bytes.h"

namespace {

// CreateFontA's height 0 picks the system's default size.
constexpr int kDefaultPixels = 16;
constexpr int kFixedPixels = 12;
// As for drawn text: larger requests are clamped.
constexpr int kMaxPixels = 256;

// Advances in 1/1000 em.
constexpr int kSpace = 280;
constexpr int kNarrow = 250;
constexpr int kNormal = 550;
constexpr int kCapital = 670;
constexpr int kWide = 850;
constexpr int kFixedAdvance = 600;

// em * thousandths / 1000, rounded half up.
int scale(int em, int thousandths) {
  return static_cast<int>((std::int64_t{em} * thousandths + 500) / 1000);
}

int advance_thousandths(char32_t c) {
  if (c == ' ')
    return kSpace;
  if (c > 0 && c < 0x80 && std::strchr("iljI.,:;'!|", static_cast<int>(c)))
    return kNarrow;
  if (c > 0 && c < 0x80 && std::strchr("mwMW@", static_cast<int>(c)))
    return kWide;
  if (c >= 'A' && c <= 'Z')
    return kCapital;
  return kNormal;
}

}  // namespace

struct PlatFont {
  int pixels = 0;
  bool fixed = false;  // the stock fixed-pitch font: never deleted
};

namespace {

int advance(const PlatFont& font, char32_t c) {
  return scale(font.pixels, font.fixed ? kFixedAdvance : advance_thousandths(c));
}

PlatTextMetrics metrics_of(const PlatFont& font) {
  PlatTextMetrics m;
  m.ascent = scale(font.pixels, 905);
  m.height = std::max(m.ascent + scale(font.pixels, 212), 1);
  m.external_leading = 0;
  return m;
}

int clamp_pixels(int char_height) {
  if (char_height == 0)
    return kDefaultPixels;
  // A negative height means the same em height, as CreateFontA reads it.
  const std::int64_t magnitude = char_height < 0 ? -std::int64_t{char_height} : char_height;
  return static_cast<int>(std::min<std::int64_t>(magnitude, kMaxPixels));
}

}  // namespace

PlatFont* render_fixed_font() {
  static PlatFont fixed{kFixedPixels, true};
  return &fixed;
}

PlatFont* render_create_font(int char_height) {
  return new PlatFont{clamp_pixels(char_height), false};
}

void render_delete_font(PlatFont* font) {
  if (font && !font->fixed)
    delete font;
}

void render_text_metrics(PlatCanvas* canvas, PlatFont* font, PlatTextMetrics* metrics) {
  if (!metrics)
    return;
  *metrics = PlatTextMetrics{};
  if (canvas && font)
    *metrics = metrics_of(*font);
}

void render_text_extent(PlatCanvas* canvas, PlatFont* font, const char* text, int count, int* width,
                        int* height) {
  std::int64_t w = 0;
  int h = 0;
  if (canvas && font) {
    h = metrics_of(*font).height;
    text_bytes::Reader reader(text, text ? static_cast<std::size_t>(std::max(count, 0)) : 0);
    for (char32_t c = 0; w < INT_MAX && reader.next(&c);)
      w += advance(*font, c);
  }
  if (width)
    *width = static_cast<int>(std::min<std::int64_t>(w, INT_MAX));
  if (height)
    *height = h;
}

void render_text_out(PlatCanvas*, PlatFont*, std::int64_t, std::int64_t, const char*, int,
                     PlatColor, bool, PlatColor) {
  // Nothing is drawn: there are no glyphs, and an opaque cell alone would be
  // a picture of nothing.
}
