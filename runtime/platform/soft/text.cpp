// Text on software canvases through FreeType, faces chosen by Fontconfig.
//
// Two faces are used, each the first installed one of a preference list
// built in here, so that every machine with these fonts draws the same
// pixels whatever else it has installed:
// - the application face: Liberation Sans, which has Arial's metrics (Arial
//   is what Windows commonly puts in for an unknown face name asked for at
//   normal weight), then DejaVu Sans, then whatever Fontconfig's sans gives;
// - the fixed-pitch face: Liberation Mono, then DejaVu Sans Mono, then
//   whatever Fontconfig's "monospace" gives.
// Both are looked up once, on the first use of any font, always at normal
// weight and upright.
//
// Every pixel size of a face has one FreeType size and one glyph cache
// shared by all font objects of that size; a PlatFont is only a handle on
// that shared entry, so creating and deleting fonts per command is cheap and
// a full redraw renders no glyph twice.
//
// Glyphs are antialiased: FreeType's grayscale coverage is blended into the
// canvas in the text colour.
//
// Bytes are Windows-1252 characters. Control characters (newline, tab, ...)
// and bytes that code page leaves undefined are ordinary characters too:
// each is drawn as whatever glyph the face maps it to, which for nearly every
// face is its missing-glyph box, and advances by that glyph's width. Callers
// that want lines split them before drawing.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "runtime/platform/soft/blend.h"
#include "runtime/platform/soft/soft.h"

namespace {

// CreateFontA's height 0 picks the system's default size; here that is a
// fixed 16 pixel em height.
constexpr int kDefaultPixels = 16;
// The stock fixed-pitch font's em height.
constexpr int kFixedPixels = 12;
// Larger requests are clamped: glyph caches grow with the square of the size.
constexpr int kMaxPixels = 256;
// Coordinates beyond this cannot reach the canvas with any run of at most
// INT_MAX glyphs, and anything inside it can be summed without overflow.
constexpr std::int64_t kFarAway = std::int64_t{1} << 60;

struct Glyph {
  bool ready = false;
  int left = 0;  // bitmap's left edge relative to the pen position
  int top = 0;   // bitmap's top row above the baseline
  int width = 0;
  int rows = 0;
  int advance = 0;                     // whole pixels, never negative
  std::vector<std::uint8_t> coverage;  // width x rows, 0..255
};

// One face at one pixel size: its metrics and its glyphs, one per byte.
struct SizeEntry {
  FT_Face key = nullptr;   // the face this entry was asked for
  FT_Face face = nullptr;  // null: no font could be found, nothing is drawn
  FT_Size size = nullptr;
  int pixels = 0;
  PlatTextMetrics metrics;
  // Bounds on every glyph of the face at this size, for early clipping.
  int reach_above = 0;  // rows above the baseline
  int reach_below = 0;  // rows below the baseline
  int min_left = 0;     // smallest bitmap left edge relative to the pen
  std::array<Glyph, 256> glyphs;
};

struct TextState {
  bool started = false;
  FT_Library library = nullptr;
  FT_Face sans = nullptr;  // the application face
  FT_Face mono = nullptr;  // the fixed-pitch face
  std::string sans_file;   // where each face was found
  std::string mono_file;
  std::vector<std::unique_ptr<SizeEntry>> sizes;
};

TextState& state() {
  static TextState text_state;
  return text_state;
}

}  // namespace

struct PlatFont {
  SizeEntry* entry = nullptr;
  bool stock = false;  // the fixed-pitch font: never deleted
};

namespace {

// One entry of a preference list: a family that is taken only when it is
// installed, or a generic name whose match is taken whatever it is.
struct FacePreference {
  const char* family;
  bool take_any;
};

constexpr std::array<FacePreference, 3> kApplicationFaces = {{
    {"Liberation Sans", false},
    {"DejaVu Sans", false},
    {"sans-serif", true},
}};
constexpr std::array<FacePreference, 3> kFixedFaces = {{
    {"Liberation Mono", false},
    {"DejaVu Sans Mono", false},
    {"monospace", true},
}};

// Whether one of a matched font's family names is the family. Fontconfig
// always answers a match, often of another family altogether.
bool has_family(FcPattern* match, const char* family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (name && FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0)
      return true;
  }
  return false;
}

// Opens the font a configuration matches for the preference at normal
// weight and upright; null when its family is not installed or the file
// cannot be opened. The file's name goes to *file.
FT_Face open_preferred_face(FcConfig* config, const FacePreference& preference, std::string* file) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern)
    return nullptr;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(preference.family));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match)
    return nullptr;
  FT_Face face = nullptr;
  FcChar8* name = nullptr;
  int index = 0;
  if ((preference.take_any || has_family(match, preference.family)) &&
      FcPatternGetString(match, FC_FILE, 0, &name) == FcResultMatch && name) {
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch)
      index = 0;
    if (FT_New_Face(state().library, reinterpret_cast<const char*>(name), index, &face) == 0) {
      *file = reinterpret_cast<const char*>(name);
    } else {
      face = nullptr;
    }
  }
  FcPatternDestroy(match);
  return face;
}

// The first face of the list that is installed and opens, or null.
FT_Face open_first_face(FcConfig* config, const std::array<FacePreference, 3>& list,
                        std::string* file) {
  for (const FacePreference& preference : list) {
    if (FT_Face face = open_preferred_face(config, preference, file))
      return face;
  }
  return nullptr;
}

// Opens both faces on first use. Fontconfig is needed only to pick them: a
// private configuration is loaded and dropped again, so nothing of it stays
// behind, and whatever else in the process uses Fontconfig is not disturbed.
void start_text() {
  TextState& s = state();
  if (s.started)
    return;
  s.started = true;
  if (FT_Init_FreeType(&s.library) != 0)
    s.library = nullptr;
  if (s.library) {
    if (FcConfig* config = FcInitLoadConfigAndFonts()) {
      s.sans = open_first_face(config, kApplicationFaces, &s.sans_file);
      s.mono = open_first_face(config, kFixedFaces, &s.mono_file);
      FcConfigDestroy(config);
    }
  }
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

}  // namespace

SoftFace soft_text_face(bool fixed) {
  start_text();
  const TextState& s = state();
  SoftFace chosen;
  const FT_Face face = fixed ? s.mono : s.sans;
  if (face) {
    chosen.family = face->family_name ? face->family_name : "";
    chosen.file = fixed ? s.mono_file : s.sans_file;
  }
  return chosen;
}

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

SizeEntry* find_size(FT_Face face, int pixels) {
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

// Windows-1252 to Unicode. 0x80..0x9F hold the code page's own characters;
// its five undefined bytes stay as the C1 control codes.
FT_ULong unicode_of(unsigned char byte) {
  static constexpr std::array<std::uint16_t, 32> kHigh = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (byte >= 0x80 && byte <= 0x9F)
    return kHigh[byte - 0x80];
  return byte;
}

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

const Glyph& glyph_of(SizeEntry& e, unsigned char byte) {
  Glyph& g = e.glyphs[byte];
  if (g.ready)
    return g;
  g.ready = true;
  if (!e.face || FT_Activate_Size(e.size) != 0)
    return g;
  const FT_UInt index = FT_Get_Char_Index(e.face, unicode_of(byte));
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

int clamp_pixels(int char_height) {
  if (char_height == 0)
    return kDefaultPixels;
  // A negative height means the same em height, as CreateFontA reads it.
  const std::int64_t magnitude = char_height < 0 ? -std::int64_t{char_height} : char_height;
  return static_cast<int>(std::min<std::int64_t>(magnitude, kMaxPixels));
}

// Advance width of the first count bytes, stopping once it reaches limit.
std::int64_t run_width(SizeEntry& e, const char* text, int count, std::int64_t limit) {
  std::int64_t width = 0;
  for (int i = 0; i < count && width < limit; ++i) {
    width += glyph_of(e, static_cast<unsigned char>(text[i])).advance;
  }
  return width;
}

// Draws one glyph bitmap with its top-left pixel at (left, top), clipped.
// Answers whether any pixel was written.
bool draw_glyph(PlatCanvas* canvas, const Glyph& g, std::int64_t left, std::int64_t top,
                std::uint32_t ink) {
  const std::int64_t c0 = std::max<std::int64_t>(0, -left);
  const std::int64_t c1 = std::min<std::int64_t>(g.width, canvas->width - left);
  const std::int64_t r0 = std::max<std::int64_t>(0, -top);
  const std::int64_t r1 = std::min<std::int64_t>(g.rows, canvas->height - top);
  if (c0 >= c1 || r0 >= r1)
    return false;
  // c0 and r0 skip what lies left of and above the canvas, so the pointer
  // names a pixel on it.
  return soft_blend_box(canvas->pixels.data() + (top + r0) * canvas->width + left + c0,
                        canvas->width, g.coverage.data() + r0 * g.width + c0, g.width,
                        static_cast<std::size_t>(c1 - c0), static_cast<std::size_t>(r1 - r0), ink);
}

}  // namespace

PlatFont* soft_fixed_font() {
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

PlatFont* soft_create_font(int char_height) {
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

void soft_delete_font(PlatFont* font) {
  if (!font || font->stock || !font->entry)
    return;  // a stock font, or one deleted already
  font->entry = nullptr;
  spare_fonts().push_back(font);
}

void soft_text_metrics(PlatCanvas* canvas, PlatFont* font, PlatTextMetrics* metrics) {
  if (!metrics)
    return;
  *metrics = PlatTextMetrics{};
  if (!canvas || !font)
    return;
  *metrics = font->entry->metrics;
}

void soft_text_extent(PlatCanvas* canvas, PlatFont* font, const char* text, int count, int* width,
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

void soft_text_out(PlatCanvas* canvas, PlatFont* font, std::int64_t x, std::int64_t y,
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
      const std::uint32_t fill = soft_pixel_from_color(background);
      for (std::int64_t row = top; row < bottom; ++row) {
        std::uint32_t* line = canvas->pixels.data() + row * width;
        std::fill(line + left, line + right, fill);
      }
      changed = true;
    }
  }

  const std::uint32_t ink = soft_pixel_from_color(text_color);
  std::int64_t pen = x;
  for (int i = 0; i < count && pen + e.min_left < width; ++i) {
    const Glyph& g = glyph_of(e, static_cast<unsigned char>(text[i]));
    if (!g.coverage.empty() && pen + g.left + g.width > 0) {
      changed = draw_glyph(canvas, g, pen + g.left, baseline - g.top, ink) || changed;
    }
    pen += g.advance;
  }
  if (changed)
    soft_canvas_touch(canvas);
}
