// The glyph cache: one FreeType size and one set of rendered glyphs per face
// and pixel size, shared by every font object of that size.
#include "runtime/platform/render/text_internal.h"

#include FT_BITMAP_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>

#include "runtime/platform/render/blend.h"
#include "runtime/platform/text_bytes.h"

using namespace text;

namespace {

// value * pixels / units, rounded half away from zero.
int scale_units(std::int64_t value, int pixels, int units) {
  if (units <= 0)
    return 0;
  const std::int64_t scaled = value * pixels;
  const std::int64_t rounded =
      scaled >= 0 ? (2 * scaled + units) / (2 * units) : -((-2 * scaled + units) / (2 * units));
  return static_cast<int>(rounded);
}

int from_26_6(FT_Pos value) {
  return static_cast<int>((value + 32) >> 6);
}

// Sets the pixel size on the entry's FreeType size; answers false when the
// face offers nothing usable.
bool set_size(SizeEntry& e) {
  if (FT_Set_Pixel_Sizes(e.face, 0, static_cast<FT_UInt>(e.pixels)) == 0)
    return true;
  // A bitmap-only face without this size: take the strike nearest to it.
  if (e.face->num_fixed_sizes <= 0)
    return false;
  int best = 0;
  for (int i = 1; i < e.face->num_fixed_sizes; ++i) {
    if (std::abs(e.face->available_sizes[i].height - e.pixels) <
        std::abs(e.face->available_sizes[best].height - e.pixels)) {
      best = i;
    }
  }
  return FT_Select_Size(e.face, best) == 0;
}

// The metrics GDI reports for a TrueType face asked for by em height: ascent
// and descent from the OS/2 table's Windows values, each scaled and rounded;
// the external leading is whatever of the hhea line gap the Windows values
// do not already cover.
void compute_metrics(SizeEntry& e) {
  const FT_Face face = e.face;
  const int em = face->units_per_EM;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  int ascent = 0;
  int descent = 0;
  int leading = 0;
  if (FT_IS_SCALABLE(face) && em > 0 && os2 && os2->version != 0xFFFFu &&
      os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = scale_units(os2->usWinAscent, e.pixels, em);
    descent = scale_units(os2->usWinDescent, e.pixels, em);
    if (hhea) {
      const std::int64_t covered = std::int64_t{os2->usWinAscent} + os2->usWinDescent;
      const std::int64_t line = std::int64_t{hhea->Ascender} - hhea->Descender;
      const std::int64_t gap = hhea->Line_Gap - (covered - line);
      leading = scale_units(std::max<std::int64_t>(gap, 0), e.pixels, em);
    }
  } else if (FT_IS_SCALABLE(face) && em > 0 && face->ascender - face->descender > 0) {
    ascent = scale_units(face->ascender, e.pixels, em);
    descent = scale_units(-std::int64_t{face->descender}, e.pixels, em);
    const std::int64_t gap = std::int64_t{face->height} - (face->ascender - face->descender);
    leading = scale_units(std::max<std::int64_t>(gap, 0), e.pixels, em);
  } else {
    const FT_Size_Metrics& m = face->size->metrics;
    ascent = from_26_6(m.ascender);
    descent = from_26_6(-m.descender);
    leading = std::max(0, from_26_6(m.height) - ascent - descent);
  }
  e.metrics.ascent = std::max(ascent, 0);
  e.metrics.height = std::max(e.metrics.ascent + std::max(descent, 0), 1);
  e.metrics.external_leading = std::max(leading, 0);

  // Glyphs may reach beyond the cell (hinting adds a pixel or two); the
  // face's bounding box bounds them all.
  if (FT_IS_SCALABLE(face) && em > 0) {
    e.reach_above = std::max(scale_units(face->bbox.yMax, e.pixels, em), e.metrics.ascent) + 2;
    e.reach_below = std::max(scale_units(-std::int64_t{face->bbox.yMin}, e.pixels, em),
                             e.metrics.height - e.metrics.ascent) +
                    2;
    e.min_left = std::min(scale_units(face->bbox.xMin, e.pixels, em), 0) - 2;
  } else {
    const int reach = 2 * std::max(e.pixels, e.metrics.height) + 2;
    e.reach_above = reach;
    e.reach_below = reach;
    e.min_left = -reach;
  }
}

}  // namespace

SizeEntry* text::find_size(FT_Face face, int pixels) {
  TextState& s = state();
  for (const auto& entry : s.sizes) {
    if (entry->key == face && entry->pixels == pixels)
      return entry.get();
  }
  auto entry = std::make_unique<SizeEntry>();
  entry->key = face;
  entry->face = face;
  entry->pixels = pixels;
  if (face && FT_New_Size(face, &entry->size) == 0 && FT_Activate_Size(entry->size) == 0 &&
      set_size(*entry)) {
    compute_metrics(*entry);
  } else {
    // No font: lines still advance by the requested height; nothing is drawn.
    if (face && entry->size)
      FT_Done_Size(entry->size);
    entry->face = nullptr;
    entry->size = nullptr;
    entry->metrics.height = pixels;
    entry->metrics.ascent = pixels;
    entry->metrics.external_leading = 0;
  }
  s.sizes.push_back(std::move(entry));
  return s.sizes.back().get();
}

namespace {

// Copies a rendered bitmap into 0..255 coverage.
void take_bitmap(const FT_Bitmap& source, Glyph& g) {
  FT_Bitmap converted;
  FT_Bitmap_Init(&converted);
  const FT_Bitmap* gray = &source;
  if (source.pixel_mode != FT_PIXEL_MODE_GRAY) {
    if (FT_Bitmap_Convert(state().library, &source, &converted, 1) != 0) {
      FT_Bitmap_Done(state().library, &converted);
      return;
    }
    gray = &converted;
  }
  const int levels = std::max(2, static_cast<int>(gray->num_grays));
  g.width = static_cast<int>(gray->width);
  g.rows = static_cast<int>(gray->rows);
  g.coverage.assign(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.rows), 0);
  for (int row = 0; row < g.rows; ++row) {
    // A negative pitch means the rows are stored from the bottom up.
    const std::ptrdiff_t pitch = gray->pitch;
    const unsigned char* line =
        gray->pitch >= 0 ? gray->buffer + row * pitch
                         : gray->buffer + (static_cast<std::ptrdiff_t>(g.rows) - 1 - row) * -pitch;
    for (int col = 0; col < g.width; ++col) {
      const int value = std::min<int>(line[col], levels - 1);
      g.coverage[static_cast<std::size_t>(row) * g.width + col] =
          static_cast<std::uint8_t>(value * 255 / (levels - 1));
    }
  }
  FT_Bitmap_Done(state().library, &converted);
}

// Where the glyph of a character is kept, with the face's index of it.
Glyph& slot_of(SizeEntry& e, char32_t c, FT_UInt* index) {
  *index = 0;
  if (c < e.latin1.size()) {
    if (!e.latin1[c].ready && e.face)
      *index = FT_Get_Char_Index(e.face, c);
    return e.latin1[c];
  }
  const auto found = e.others.find(c);
  if (found != e.others.end())
    return found->second;
  // A character the face lacks has index 0, its missing-glyph box, kept once
  // for all of them.
  *index = e.face ? FT_Get_Char_Index(e.face, c) : 0;
  if (*index == 0)
    return e.missing;
  if (e.others.size() >= kMaxOtherGlyphs)
    e.others.clear();
  return e.others[c];
}

}  // namespace

const Glyph& text::glyph_of(SizeEntry& e, char32_t c) {
  FT_UInt index = 0;
  Glyph& g = slot_of(e, c, &index);
  if (g.ready)
    return g;
  g.ready = true;
  if (!e.face || FT_Activate_Size(e.size) != 0)
    return g;
  // Outlines of scalable faces are always rendered, for an even grey look
  // (embedded bitmaps are often two-level).
  const FT_Int32 flags = FT_IS_SCALABLE(e.face) ? FT_LOAD_NO_BITMAP : FT_LOAD_DEFAULT;
  if (FT_Load_Glyph(e.face, index, flags) != 0 &&
      (index == 0 || FT_Load_Glyph(e.face, 0, flags) != 0)) {
    return g;
  }
  FT_GlyphSlot slot = e.face->glyph;
  g.advance = std::clamp(from_26_6(slot->advance.x), 0, 4 * kMaxPixels);
  if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
    return g;
  }
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  take_bitmap(slot->bitmap, g);
  return g;
}

int text::clamp_pixels(int char_height) {
  if (char_height == 0)
    return kDefaultPixels;
  // A negative height means the same em height, as CreateFontA reads it.
  const std::int64_t magnitude = char_height < 0 ? -std::int64_t{char_height} : char_height;
  return static_cast<int>(std::min<std::int64_t>(magnitude, kMaxPixels));
}

std::int64_t text::run_width(SizeEntry& e, const char* text, int count, std::int64_t limit) {
  std::int64_t width = 0;
  text_bytes::Reader reader(text, static_cast<std::size_t>(std::max(count, 0)));
  for (char32_t c = 0; width < limit && reader.next(&c);)
    width += glyph_of(e, c).advance;
  return width;
}

bool text::draw_glyph(PlatCanvas* canvas, const Glyph& g, std::int64_t left, std::int64_t top,
                      std::uint32_t ink) {
  const std::int64_t c0 = std::max<std::int64_t>(0, -left);
  const std::int64_t c1 = std::min<std::int64_t>(g.width, canvas->width - left);
  const std::int64_t r0 = std::max<std::int64_t>(0, -top);
  const std::int64_t r1 = std::min<std::int64_t>(g.rows, canvas->height - top);
  if (c0 >= c1 || r0 >= r1)
    return false;
  // c0 and r0 skip what lies left of and above the canvas, so the pointer
  // names a pixel on it.
  return render_blend_box(canvas->pixels.data() + (top + r0) * canvas->width + left + c0,
                          canvas->width, g.coverage.data() + r0 * g.width + c0, g.width,
                          static_cast<std::size_t>(c1 - c0), static_cast<std::size_t>(r1 - r0),
                          ink);
}
