// The seam's text operations on our canvases: the start of the text engine,
// fonts as handles on the shared glyph cache, metrics, extents and drawing.
#include <algorithm>
#include <climits>
#include <cstdio>

#include "runtime/platform/render/text_internal.h"
#include "runtime/platform/text_bytes.h"

using namespace text;

TextState& text::state() {
  static TextState text_state;
  return text_state;
}

// Opens both faces on first use, whichever way the build finds them.
void text::start_text() {
  TextState& s = state();
  if (s.started)
    return;
  s.started = true;
  if (FT_Init_FreeType(&s.library) != 0)
    s.library = nullptr;
  if (s.library)
    open_faces(s);
  // Either face stands in for the other rather than drawing nothing.
  if (!s.sans) {
    s.sans = s.mono;
    s.sans_file = s.mono_file;
  }
  if (!s.mono) {
    s.mono = s.sans;
    s.mono_file = s.sans_file;
  }
  if (!s.sans)
    std::fputs("no font found: text will not be drawn\n", stderr);
}

RenderFace render_text_face(bool fixed) {
  start_text();
  const TextState& s = state();
  RenderFace chosen;
  const FT_Face face = fixed ? s.mono : s.sans;
  if (face) {
    chosen.family = face->family_name ? face->family_name : "";
    chosen.file = fixed ? s.mono_file : s.sans_file;
  }
  return chosen;
}

PlatFont* render_fixed_font() {
  static PlatFont fixed;
  if (!fixed.entry) {
    start_text();
    fixed.entry = find_size(state().mono, kFixedPixels);
    fixed.stock = true;
  }
  return &fixed;
}

namespace {

// Deleted handles are kept for the next font, so that a text command, which
// creates and deletes its font, allocates nothing.
std::vector<PlatFont*>& spare_fonts() {
  static auto* spare = new std::vector<PlatFont*>;
  return *spare;
}

}  // namespace

PlatFont* render_create_font(int char_height) {
  start_text();
  auto& spare = spare_fonts();
  PlatFont* font = nullptr;
  if (spare.empty()) {
    font = new PlatFont;
  } else {
    font = spare.back();
    spare.pop_back();
  }
  font->entry = find_size(state().sans, clamp_pixels(char_height));
  return font;
}

void render_delete_font(PlatFont* font) {
  if (!font || font->stock || !font->entry)
    return;  // a stock font, or one deleted already
  font->entry = nullptr;
  spare_fonts().push_back(font);
}

void render_text_metrics(PlatCanvas* canvas, PlatFont* font, PlatTextMetrics* metrics) {
  if (!metrics)
    return;
  *metrics = PlatTextMetrics{};
  if (!canvas || !font)
    return;
  *metrics = font->entry->metrics;
}

void render_text_extent(PlatCanvas* canvas, PlatFont* font, const char* text, int count, int* width,
                        int* height) {
  int w = 0;
  int h = 0;
  if (canvas && font) {
    h = font->entry->metrics.height;
    if (text && count > 0 && font->entry->face) {
      w = static_cast<int>(run_width(*font->entry, text, count, INT_MAX));
    }
  }
  if (width)
    *width = w;
  if (height)
    *height = h;
}

void render_text_out(PlatCanvas* canvas, PlatFont* font, std::int64_t x, std::int64_t y,
                     const char* text, int count, PlatColor text_color, bool opaque,
                     PlatColor background) {
  if (!canvas || !font || !text || count <= 0)
    return;
  SizeEntry& e = *font->entry;
  if (!e.face || canvas->width <= 0 || canvas->height <= 0)
    return;
  if (x <= -kFarAway || x >= kFarAway || y <= -kFarAway || y >= kFarAway)
    return;
  const std::int64_t width = canvas->width;
  const std::int64_t height = canvas->height;
  const std::int64_t baseline = y + e.metrics.ascent;
  // Nothing of the run, cell or glyph, can reach a row of the canvas.
  if (baseline + e.reach_below <= 0 || baseline - e.reach_above >= height)
    return;

  bool changed = false;
  if (opaque) {
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t bottom = std::min<std::int64_t>(y + e.metrics.height, height);
    const std::int64_t right =
        x >= width ? x : std::min(x + run_width(e, text, count, width - x), width);
    if (left < right && top < bottom) {
      const std::uint32_t fill = render_pixel_from_color(background);
      for (std::int64_t row = top; row < bottom; ++row) {
        std::uint32_t* line = canvas->pixels.data() + row * width;
        std::fill(line + left, line + right, fill);
      }
      changed = true;
    }
  }

  const std::uint32_t ink = render_pixel_from_color(text_color);
  std::int64_t pen = x;
  text_bytes::Reader reader(text, static_cast<std::size_t>(count));
  for (char32_t c = 0; pen + e.min_left < width && reader.next(&c);) {
    const Glyph& g = glyph_of(e, c);
    if (!g.coverage.empty() && pen + g.left + g.width > 0) {
      changed = draw_glyph(canvas, g, pen + g.left, baseline - g.top, ink) || changed;
    }
    pen += g.advance;
  }
  if (changed)
    render_canvas_touch(canvas);
}
