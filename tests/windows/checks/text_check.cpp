// Text on the win32 backend: every string of the text table, in the created
// font and in the log window's fixed-pitch font, is measured and drawn
// exactly as GDI's wide-character calls measure and draw the characters it
// must show, with ink on the surface.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/platform/render/render.h"
#include "runtime/platform/win32/win32_internal.h"
#include "tests/support/text_table.h"
#include "tests/windows/checks/check_report.h"
#include "tests/windows/checks/dc_pixels.h"

namespace {

constexpr int W = 601;
constexpr int H = 80;
constexpr PlatColor kPaper = 0x00FFFFFF;
constexpr PlatColor kInk = 0x00000000;

// The characters in UTF-16, from the table's characters.
std::wstring utf16_of(const std::u32string& characters) {
  std::wstring wide;
  for (char32_t c : characters) {
    if (c >= 0x10000) {
      wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(c);
    }
  }
  return wide;
}

std::vector<std::uint32_t> pixels_of(PlatCanvas* canvas) {
  return dc_pixels(w32_canvas(canvas)->dc, W, H);
}

int ink_of(const std::vector<std::uint32_t>& pixels) {
  int n = 0;
  for (std::uint32_t p : pixels)
    n += p != render_pixel_from_color(kPaper);
  return n;
}

void check_strings(CheckReport& report, PlatCanvas* surface, PlatCanvas* reference, PlatFont* font,
                   const char* face) {
  HDC dc = w32_canvas(reference)->dc;
  for (const TextCase& t : text_cases()) {
    const std::wstring wide = utf16_of(t.shown);
    const int count = static_cast<int>(t.bytes.size());
    win32_draw.fill_rect(surface, 0, 0, W, H, kPaper);
    win32_draw.text_out(surface, font, 4, 4, t.bytes.data(), count, kInk, false, 0);
    int width = 0, height = 0;
    win32_draw.text_extent(surface, font, t.bytes.data(), count, &width, &height);

    win32_draw.fill_rect(reference, 0, 0, W, H, kPaper);
    HGDIOBJ previous = SelectObject(dc, w32_hfont(font));
    SetTextColor(dc, kInk);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 4, 4, wide.c_str(), static_cast<int>(wide.size()));
    SIZE size = {};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, previous);

    const std::vector<std::uint32_t> got = pixels_of(surface);
    const int ink = ink_of(got);
    report.expect(got == pixels_of(reference) && ink > 0 && width == size.cx,
                  std::string(face) + ", " + t.name + ": drawn and measured as GDI draws its " +
                      "characters (" + std::to_string(ink) + " pixels of ink, " +
                      std::to_string(width) + " wide)");
  }
}

}  // namespace

int main() {
  CheckReport report("Text in UTF-8 and Windows-1252, through the win32 backend");
  PlatCanvas* surface = win32_draw.create_surface(nullptr, W, H);
  PlatCanvas* reference = win32_draw.create_surface(nullptr, W, H);
  if (!report.expect(surface && reference, "two surfaces"))
    return report.finish();
  PlatFont* font = win32_draw.create_font(24);
  check_strings(report, surface, reference, font, "created font");
  win32_draw.delete_font(font);
  check_strings(report, surface, reference, win32_draw.fixed_font(), "fixed-pitch font");
  return report.finish();
}
