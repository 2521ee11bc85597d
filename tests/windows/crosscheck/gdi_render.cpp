// Draws the cross-check corpus with GDI, as the drawing command executor
// does on Windows, into a 601 x 540 DIB section selected into a memory DC,
// and writes every command's pixels to a picture file.
//
//   gdi_render <pictures file>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/windows/crosscheck/corpus.h"
#include "tests/windows/crosscheck/picture_file.h"

namespace {

int sx(int x) {
  return corpus::kOriginX + x;
}
int sy(int y) {
  return corpus::kOriginY - y;
}

// Pen and brush of a shape: a solid pen of the width; width 0 fills with a
// solid brush of the same colour, a wider outline leaves the inside alone.
void shape(HDC dc, const corpus::Command& c) {
  const COLORREF colour = c.ink.value;
  HPEN pen = CreatePen(PS_SOLID, c.width, colour);
  HBRUSH brush =
      c.width == 0 ? CreateSolidBrush(colour) : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  HGDIOBJ old_pen = SelectObject(dc, pen);
  HGDIOBJ old_brush = SelectObject(dc, brush);
  switch (c.kind) {
    case corpus::TRIANGLE: {
      const POINT points[3] = {{sx(c.x1), sy(c.y1)}, {sx(c.x2), sy(c.y2)}, {sx(c.x3), sy(c.y3)}};
      Polygon(dc, points, 3);
      break;
    }
    case corpus::RECTANGLE:
      Rectangle(dc, sx(c.x1), sy(c.y1), sx(c.x2) + 1, sy(c.y2) + 1);
      break;
    case corpus::OVAL:
      Ellipse(dc, sx(c.x1), sy(c.y1), sx(c.x2) + 1, sy(c.y2) + 1);
      break;
    default:
      break;
  }
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(pen);
  DeleteObject(brush);  // the stock hollow brush is not deleted by this
}

void line(HDC dc, const corpus::Command& c) {
  HPEN pen = CreatePen(PS_SOLID, c.width, c.ink.value);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  MoveToEx(dc, sx(c.x1), sy(c.y1), nullptr);
  LineTo(dc, sx(c.x2), sy(c.y2));
  SelectObject(dc, old_pen);
  DeleteObject(pen);
}

// Lines split at newlines; the first stands on the anchor, each further one
// a text height lower.
void text(HDC dc, const corpus::Command& c) {
  SetTextColor(dc, c.ink.value);
  const int old_mode = GetBkMode(dc);
  SetBkMode(dc, TRANSPARENT);
  HFONT font = CreateFontA(-c.x2, 0, 0, 0, 400, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "VELKO-font");
  HGDIOBJ old_font = SelectObject(dc, font);
  const std::string& s = c.text;
  SIZE extent{};
  GetTextExtentPointA(dc, s.c_str(), static_cast<int>(s.size()), &extent);
  std::size_t start = 0;
  for (int k = 0;; ++k) {
    const std::size_t end = s.find('\n', start);
    const std::size_t length = (end == std::string::npos ? s.size() : end) - start;
    TextOutA(dc, sx(c.x1), sy(c.y1) + (k - 1) * extent.cy, s.c_str() + start,
             static_cast<int>(length));
    if (end == std::string::npos)
      break;
    start = end + 1;
  }
  SetBkMode(dc, old_mode);
  SelectObject(dc, old_font);
  DeleteObject(font);
}

void draw(HDC dc, const corpus::Command& c) {
  switch (c.kind) {
    case corpus::TRIANGLE:
    case corpus::RECTANGLE:
    case corpus::OVAL:
      shape(dc, c);
      break;
    case corpus::LINE:
      line(dc, c);
      break;
    case corpus::PIXEL:
      SetPixel(dc, sx(c.x1), sy(c.y1), c.ink.value);
      break;
    case corpus::TEXT:
      text(dc, c);
      break;
    default:
      break;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gdi_render <pictures file>\n");
    return 2;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = corpus::kWidth;
  info.bmiHeader.biHeight = -corpus::kHeight;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dc || !dib || !bits) {
    std::fprintf(stderr, "gdi_render: cannot make the DIB section\n");
    return 1;
  }
  HGDIOBJ old_bitmap = SelectObject(dc, dib);
  auto* surface = static_cast<std::uint32_t*>(bits);

  const std::vector<corpus::Command> commands = corpus::commands();
  std::FILE* out = std::fopen(argv[1], "wb");
  bool ok = out && corpus::write_header(out, commands.size());
  for (std::size_t i = 0; ok && i < commands.size(); ++i) {
    GdiFlush();
    for (int p = 0; p < corpus::kWidth * corpus::kHeight; ++p)
      surface[p] = corpus::kBackground;
    draw(dc, commands[i]);
    GdiFlush();
    ok = corpus::write_picture(out, i, corpus::crop(surface));
  }
  if (out && std::fclose(out) != 0)
    ok = false;
  SelectObject(dc, old_bitmap);
  DeleteObject(dib);
  DeleteDC(dc);
  if (!ok) {
    std::fprintf(stderr, "gdi_render: cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("gdi_render: %zu commands drawn\n", commands.size());
  return 0;
}
