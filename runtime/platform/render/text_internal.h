// Text on our canvases through FreeType: what the face choice
// (text_faces.cpp or text_faces_embedded.cpp), the glyph cache
// (text_glyphs.cpp) and the seam's text operations (text.cpp) share.
//
// On Linux two faces are used, each the first installed one of a preference
// list built in here, so that every machine with these fonts draws the same
// pixels whatever else it has installed:
// - the application face: Liberation Sans, which has Arial's metrics (Arial
//   is what Windows commonly puts in for an unknown face name asked for at
//   normal weight), then DejaVu Sans, then whatever Fontconfig's sans gives;
// - the fixed-pitch face: Liberation Mono, then DejaVu Sans Mono, then
//   whatever Fontconfig's "monospace" gives.
// Both are looked up once, on the first use of any font, always at normal
// weight and upright. The browser has neither Fontconfig nor these files:
// there the first choices, Liberation Sans and Liberation Mono, are built
// into the program, cut down to the characters of the languages text is
// written in and renamed VELKO Sans and VELKO Mono (cmake/web_text.cmake),
// and give the same pixels.
//
// Every pixel size of a face has one FreeType size and one glyph cache
// shared by all font objects of that size; a PlatFont is only a handle on
// that shared entry, so creating and deleting fonts per command is cheap and
// a full redraw renders no glyph twice.
//
// Glyphs are antialiased: FreeType's grayscale coverage is blended into the
// canvas in the text colour.
//
// A text's bytes are read by the rule of runtime/platform/text_bytes.h:
// UTF-8 when the whole text is valid UTF-8, else Windows-1252 byte by byte.
// Control characters (newline, tab, ...), the bytes Windows-1252 leaves
// undefined and characters the face lacks are ordinary characters too: each
// is drawn as whatever glyph the face maps it to, which for a character the
// face lacks is glyph 0, its missing-glyph box, and advances by that glyph's
// width. Callers that want lines split them before drawing.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/platform/render/render.h"

namespace text {

// CreateFontA's height 0 picks the system's default size; here that is a
// fixed 16 pixel em height.
constexpr int kDefaultPixels = 16;
// The stock fixed-pitch font's em height.
constexpr int kFixedPixels = 12;
// Larger requests are clamped: glyph caches grow with the square of the size.
constexpr int kMaxPixels = 256;
// Glyphs kept per size beyond U+00FF: room for a few scripts at once, and a
// bound on the memory of a program that draws every character there is.
constexpr std::size_t kMaxOtherGlyphs = 1024;
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

// One face at one pixel size: its metrics and its glyphs, one per character.
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
  // Glyphs by character, made on first use: U+0000..U+00FF directly, the
  // other characters the face holds in a map, which is emptied when it
  // reaches kMaxOtherGlyphs, and every character it lacks as one glyph.
  std::array<Glyph, 256> latin1;
  std::unordered_map<char32_t, Glyph> others;
  Glyph missing;
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

TextState& state();

// Opens both faces on first use (text.cpp); a face that cannot be had is
// replaced by the other.
void start_text();
// Opens the build's two faces into s.sans and s.mono, with where each came
// from, leaving null what it cannot open; s.library is ready. On Linux
// Fontconfig picks them (text_faces.cpp); in the browser they are built into
// the program (text_faces_embedded.cpp).
void open_faces(TextState& s);

// The glyph cache (text_glyphs.cpp).
// The entry of one face at one pixel size, made on first use.
SizeEntry* find_size(FT_Face face, int pixels);
const Glyph& glyph_of(SizeEntry& e, char32_t c);
// The pixel size a character height asks for.
int clamp_pixels(int char_height);
// Advance width of the characters of the first count bytes, stopping once it
// reaches limit.
std::int64_t run_width(SizeEntry& e, const char* text, int count, std::int64_t limit);
// Draws one glyph bitmap with its top-left pixel at (left, top), clipped.
// Answers whether any pixel was written.
bool draw_glyph(PlatCanvas* canvas, const Glyph& g, std::int64_t left, std::int64_t top,
                std::uint32_t ink);

}  // namespace text

struct PlatFont {
  text::SizeEntry* entry = nullptr;
  bool stock = false;  // the fixed-pitch font: never deleted
};
