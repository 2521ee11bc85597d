// The public drawing operations under arbitrary 32-bit arguments.
//
// Each input is a series of calls: an operation byte, then its arguments
// (see FuzzInput::argument). After each call: the result is what the
// operation promises, every stored log line fits its 1023 characters, and
// where the call's effect on one pixel is certain (a pixel, the centre of a
// filled rectangle or of a disc, on the surface) that pixel has the colour.
// Each call's time must stay bounded by the surface's size, whatever the
// arguments; the runs use -timeout for that.
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/draw/palette.h"
#include "runtime/log/log_window.h"
#include "runtime/platform/render/render.h"
#include "runtime/platform/text_bytes.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"

namespace {

constexpr int MAX_TEXT = 1500;  // beyond the 1023 characters a text may hold
constexpr int MAX_CALLS = 24;

int checked(int color) {
  return color >= 0 && color < PALETTE_SIZE ? color : RED;
}

// The surface pixel of a runtime point, when the point is on the surface.
bool surface_pixel(std::int64_t x, std::int64_t y, PlatColor* color) {
  const std::int64_t sx = origin_x + x;
  const std::int64_t sy = origin_y - y;
  if (sx < 0 || sy < 0 || sx >= SURFACE_WIDTH || sy >= SURFACE_HEIGHT)
    return false;
  *color = render_canvas_pixel(surface_dc, static_cast<int>(sx), static_cast<int>(sy));
  return true;
}

void require_pixel(std::int64_t x, std::int64_t y, int color, const char* what) {
  PlatColor got = 0;
  if (surface_pixel(x, y, &got))
    fuzz_require(got == palette_rgb[static_cast<std::size_t>(checked(color))], what);
}

// The row fills trust that a canvas holds exactly width x height pixels.
void require_canvas_whole(const PlatCanvas* canvas) {
  if (!canvas)
    return;
  fuzz_require(canvas->pixels.size() == static_cast<std::size_t>(canvas->width) *
                                            static_cast<std::size_t>(canvas->height),
               "a canvas holds width x height pixels");
}

void require_log_bounded() {
  for (int i = 0; i < fuzz_log_line_count(); ++i) {
    const std::string& line = fuzz_log_line(i);
    fuzz_require(line.size() <= LOG_BUFFER_SIZE - 1, "a log line fits 1023 characters");
    const std::string utf8 = text_bytes::to_utf8(line.data(), line.size());
    fuzz_require(text_bytes::is_utf8(utf8.data(), utf8.size()), "a log line reads as UTF-8");
  }
}

// What of a text is kept: all of it up to 1023 bytes, else 1023 bytes less a
// UTF-8 character the cut would split.
int kept(const std::string& text) {
  if (text.size() <= 1023)
    return static_cast<int>(text.size());
  const int cut = static_cast<int>(text_bytes::utf8_cut(text.data(), 1023));
  fuzz_require(cut >= 1020, "a cut drops at most the 3 bytes of a split character");
  return cut;
}

std::int64_t magnitude(int value) {
  return value < 0 ? -std::int64_t{value} : value;
}

void circle(FuzzInput& in) {
  const int color = in.argument(), x = in.argument(), y = in.argument(), r = in.argument();
  fuzz_require(VELKO_circle(color, x, y, r) == 1, "circle answers 1");
  if (magnitude(r) >= 2 && magnitude(r) < 100000)
    require_pixel(x, y, color, "a disc covers its centre");
}

void triangle(FuzzInput& in) {
  int a[8];
  for (int& v : a)
    v = in.argument();
  fuzz_require(VELKO_triangle(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]) == 1,
               "triangle answers 1");
}

void rectangle(FuzzInput& in) {
  const int color = in.argument(), x1 = in.argument(), y1 = in.argument(), x2 = in.argument(),
            y2 = in.argument(), width = in.argument();
  fuzz_require(VELKO_rectangle(color, x1, y1, x2, y2, width) == 1, "rectangle answers 1");
  if (width == 0)
    require_pixel((std::int64_t{x1} + x2) / 2, (std::int64_t{y1} + y2) / 2, color,
                  "a filled rectangle covers its centre");
}

void line(FuzzInput& in) {
  const int color = in.argument(), x1 = in.argument(), y1 = in.argument(), x2 = in.argument(),
            y2 = in.argument(), width = in.argument();
  fuzz_require(VELKO_line(color, x1, y1, x2, y2, width) == 1, "line answers 1");
}

void pixel(FuzzInput& in) {
  const int color = in.argument(), x = in.argument(), y = in.argument();
  fuzz_require(VELKO_pixel(color, x, y) == 1, "pixel answers 1");
  require_pixel(x, y, color, "a pixel has its colour");
}

void print_text(FuzzInput& in) {
  const int color = in.argument(), x = in.argument(), y = in.argument(), size = in.argument();
  const std::string text = in.text(MAX_TEXT);
  const int count = VELKO_print_at(color, x, y, size, "%s", text.c_str());
  fuzz_require(count == kept(text), "print_at counts the characters it kept");
}

// A padded number: the caller's format makes texts of any length up to the
// padding, so the cut at 1023 characters is met from a format, not only
// from a long argument.
void print_padded(FuzzInput& in) {
  const int color = in.argument(), x = in.argument(), y = in.argument(), size = in.argument();
  const int padding = static_cast<int>(in.raw32() % 4096) - 2048;
  const int value = in.argument();
  const std::string text = in.text(64);
  const int count = VELKO_print_at(color, x, y, size, "%*d\n%s", padding, value, text.c_str());
  fuzz_require(count >= 0 && count <= 1023, "print_at keeps at most 1023 characters");
}

void log_text(FuzzInput& in) {
  const std::string text = in.text(MAX_TEXT);
  const int count = VELKO_log("%s", text.c_str());
  fuzz_require(count == kept(text), "VELKO_log counts the characters it kept");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_enter_scratch_dir(argc, argv);
  fuzz_start_runtime();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_reset_runtime_state();
  FuzzInput in(data, size);
  for (int calls = 0; calls < MAX_CALLS && !in.empty(); ++calls) {
    switch (in.byte() % 11) {
      case 0:
        circle(in);
        break;
      case 1:
        triangle(in);
        break;
      case 2:
        rectangle(in);
        break;
      case 3:
        line(in);
        break;
      case 4:
        pixel(in);
        break;
      case 5:
        print_text(in);
        break;
      case 6:
        print_padded(in);
        break;
      case 7:
        log_text(in);
        break;
      case 8:
        fuzz_require(VELKO_wipe() == 1, "wipe answers 1");
        require_pixel(0, 0, WHITE, "a wiped surface is white");
        break;
      case 9:
        fuzz_require(VELKO_set_logging(in.byte() & 1) == 1, "set_logging answers 1 once started");
        break;
      default:
        VELKO_show_log(in.byte() & 1);
        break;
    }
    require_log_bounded();
    require_canvas_whole(surface_dc);
    require_canvas_whole(plat->get_canvas(log_window));
  }
  return 0;
}
