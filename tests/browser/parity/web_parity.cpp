// The web build's pixels against the Linux build's. The same program is built
// twice, for Linux and for WebAssembly; each draws, through the drawing
// command executor on the headless backend, every command of the rasteriser
// cross-check's corpus (text included), sheets of all 256 bytes and of the
// alphabets the faces hold beyond them, and the strings of the text table,
// in both faces, each alone on a white surface:
//
//   web_parity draw <pictures file>     writes what it drew, and its faces
//   web_parity compare <pictures file>  compares that with what it draws
//
// The web build draws under node; the Linux build compares. compare exits 1
// when a pixel or a face differs, naming the pictures that differ, and 2
// when the file is not one this program wrote. Both first check that a copy
// between canvases carries every changed pixel, whatever its place in a row
// (the row comparison is vector code in WebAssembly): a failure exits 1.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/platform/render/render.h"
#include "runtime/platform/text_bytes.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"
#include "tests/support/text_table.h"
#include "tests/windows/crosscheck/corpus.h"
#include "tests/windows/crosscheck/draw_corpus.h"
#include "tests/windows/crosscheck/picture_file.h"

namespace {

// Lines of text in one face at one size. The sheets hold runs of characters,
// 16 a line: below U+0100 as bytes, each a Windows-1252 character (no line
// of 16 of them is UTF-8), every character 8-bit text can draw and the
// missing-glyph box of the others; above, in UTF-8, the alphabets of the
// other languages the faces hold (Latin Extended-A, Greek, Cyrillic). Then
// each string of the text table.
struct TextPicture {
  bool fixed;  // the fixed-pitch face, at its one size; else the application face
  int size;    // the application face's character height (0: the default)
  std::vector<std::string> lines;
  std::string what;
};

std::vector<TextPicture> character_pictures() {
  constexpr int kFaceSizes[][2] = {{false, 12}, {false, 0}, {false, 32}, {true, 0}};
  constexpr int kRuns[][2] = {{0, 0x7F},      {0x80, 0xFF},   {0x100, 0x17F},
                              {0x370, 0x3FF}, {0x400, 0x47F}, {0x480, 0x4FF}};
  std::vector<TextPicture> all;
  for (const auto& face : kFaceSizes) {
    for (const auto& run : kRuns) {
      char what[80];
      std::snprintf(what, sizeof what, "U+%04X..U+%04X in the %s face, size %d", run[0], run[1],
                    face[0] ? "fixed-pitch" : "application", face[1]);
      TextPicture p{face[0] != 0, face[1], {}, what};
      for (int c = run[0]; c <= run[1]; ++c) {
        if (c % 16 == 0)
          p.lines.emplace_back();
        if (c < 0x100)
          p.lines.back() += static_cast<char>(c);
        else
          text_bytes::append_utf8(p.lines.back(), static_cast<char32_t>(c));
      }
      all.push_back(p);
    }
  }
  for (const TextCase& t : text_cases()) {
    for (bool fixed : {false, true})
      all.push_back({fixed, 24, {t.bytes}, std::string("the text table's ") + t.name});
  }
  return all;
}

corpus::Picture draw_text_picture(const TextPicture& p) {
  clear_corpus_surface();
  PlatFont* font = p.fixed ? plat->draw->fixed_font() : plat->draw->create_font(p.size);
  PlatTextMetrics metrics;
  plat->draw->text_metrics(surface_dc, font, &metrics);
  for (std::size_t i = 0; i < p.lines.size(); ++i) {
    plat->draw->text_out(surface_dc, font, 4, 4 + static_cast<int>(i) * metrics.height,
                         p.lines[i].data(), static_cast<int>(p.lines[i].size()), 0x000000, false,
                         0);
  }
  if (!p.fixed)
    plat->draw->delete_font(font);
  return corpus::crop(surface_dc->pixels.data());
}

std::string describe(const std::vector<corpus::Command>& commands, std::size_t i) {
  char buffer[160];
  if (i >= commands.size())
    return character_pictures()[i - commands.size()].what;
  const corpus::Command& c = commands[i];
  if (c.kind == corpus::TEXT) {
    std::string shown;
    for (char ch : c.text)
      shown += ch == '\n' ? std::string("\\n") : std::string(1, ch);
    std::snprintf(buffer, sizeof buffer, "text size %d at (%d,%d) \"%s\"", c.x2, c.x1, c.y1,
                  shown.c_str());
  } else {
    std::snprintf(buffer, sizeof buffer, "%s width %d (%d,%d) (%d,%d) (%d,%d)",
                  corpus::kKindNames[c.kind], c.width, c.x1, c.y1, c.x2, c.y2, c.x3, c.y3);
  }
  return buffer;
}

// The faces as one line each: the font file's name without its folder, then
// the family. The browser's faces carry names of their own; their file is
// the one they were made from.
std::string faces_text() {
  std::string text;
  for (bool fixed : {false, true}) {
    const RenderFace face = render_text_face(fixed);
    const std::size_t slash = face.file.find_last_of('/');
    text += slash == std::string::npos ? face.file : face.file.substr(slash + 1);
    text += "|" + face.family + "\n";
  }
  return text;
}

// The font files of faces_text's lines: the same files give the same glyphs.
std::string face_files(const std::string& faces) {
  std::string files;
  bool in_file = true;
  for (char c : faces) {
    if (c == '|')
      in_file = false;
    if (in_file)
      files += c;
    if (c == '\n') {
      files += c;
      in_file = true;
    }
  }
  return files;
}

// One pixel changed at every place of rows of many widths, each copied to a
// canvas that held the row as it was: the copy must carry it over.
bool copies_every_changed_pixel() {
  bool ok = true;
  for (int width = 1; ok && width <= 600; width += width < 70 ? 1 : 131) {
    PlatCanvas* src = render_canvas_create(width, 2);
    PlatCanvas* dst = render_canvas_create(width, 2);
    for (int x = 0; x < width; ++x) {
      src->pixels[static_cast<std::size_t>(width + x)] = 0xABCDEF;
      render_blit(dst, 0, 0, width, 2, src, 0, 0);
      const bool copied = dst->pixels == src->pixels;
      src->pixels[static_cast<std::size_t>(width + x)] = 0;
      render_blit(dst, 0, 0, width, 2, src, 0, 0);
      if (!copied || dst->pixels != src->pixels) {
        std::fprintf(stderr, "web_parity: a copy lost the pixel at %d of a row of %d\n", x, width);
        ok = false;
        break;
      }
    }
    render_canvas_destroy(src);
    render_canvas_destroy(dst);
  }
  return ok;
}

bool write_all(const std::string& path, const std::vector<corpus::Picture>& pictures) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  bool ok = corpus::write_header(f, pictures.size());
  for (std::size_t i = 0; ok && i < pictures.size(); ++i)
    ok = corpus::write_picture(f, i, pictures[i]);
  ok = std::fclose(f) == 0 && ok;
  std::FILE* faces = std::fopen((path + ".faces").c_str(), "w");
  if (!faces)
    return false;
  const std::string text = faces_text();
  ok = std::fputs(text.c_str(), faces) >= 0 && ok;
  return std::fclose(faces) == 0 && ok;
}

std::string read_faces(const std::string& path) {
  std::string text;
  if (std::FILE* f = std::fopen((path + ".faces").c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, f))
      text += buffer;
    std::fclose(f);
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const bool draw = argc == 3 && std::strcmp(argv[1], "draw") == 0;
  if (!draw && !(argc == 3 && std::strcmp(argv[1], "compare") == 0)) {
    std::fprintf(stderr, "usage: web_parity draw|compare <pictures file>\n");
    return 2;
  }
  const std::string path = argv[2];
  if (!copies_every_changed_pixel())
    return 1;
  VELKO_start(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL);
  VELKO_set_logging(0);

  const std::vector<corpus::Command> commands = corpus::commands();
  std::vector<corpus::Picture> pictures;
  for (const corpus::Command& c : commands)
    pictures.push_back(draw_corpus_command(c));
  for (const TextPicture& p : character_pictures())
    pictures.push_back(draw_text_picture(p));

  if (draw) {
    if (!write_all(path, pictures)) {
      std::fprintf(stderr, "web_parity: cannot write %s\n", path.c_str());
      return 2;
    }
    std::printf("web_parity: %zu pictures in %s\n", pictures.size(), path.c_str());
    return 0;
  }

  std::vector<corpus::Picture> other;
  if (!corpus::read_pictures(path.c_str(), pictures.size(), &other)) {
    std::fprintf(stderr, "web_parity: %s is not a pictures file of %zu pictures\n", path.c_str(),
                 pictures.size());
    return 2;
  }
  // Without a face here, no text would be drawn on either side and the
  // comparison would prove nothing about it.
  if (render_text_face(false).family.empty()) {
    std::fprintf(stderr, "web_parity: no font found here to compare text with\n");
    return 2;
  }
  const std::string faces = faces_text(), other_faces = read_faces(path);
  const bool same = face_files(faces) == face_files(other_faces);
  if (!same)
    std::printf("faces differ: here\n%sthere\n%s", faces.c_str(), other_faces.c_str());
  std::size_t differing = 0, shown = 0, text_pictures = 0;
  constexpr std::size_t kShown = 10;
  const std::size_t text_count = character_pictures().size();
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const bool text = i >= commands.size() || commands[i].kind == corpus::TEXT;
    text_pictures += text;
    const corpus::Comparison c = corpus::compare(pictures[i], other[i]);
    if (c.differing == 0)
      continue;
    ++differing;
    if (shown++ < kShown) {
      std::printf("#%zu %s: %lld of %lld pixels differ\n", i, describe(commands, i).c_str(),
                  c.differing, c.compared);
    }
  }
  std::printf(
      "%zu of %zu pictures differ (%zu commands, %zu of them text, and %zu pictures of "
      "characters and strings)\n",
      differing, pictures.size(), commands.size(), text_pictures - text_count, text_count);
  return same && differing == 0 ? 0 : 1;
}
