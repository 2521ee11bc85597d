// Writes a canvas to an 8-bit RGB PNG file through libpng.
#include "runtime/platform/render/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

struct ErrorContext {
  const char* path;
};

[[noreturn]] void on_png_error(png_structp png, png_const_charp message) {
  const auto* context = static_cast<const ErrorContext*>(png_get_error_ptr(png));
  std::fprintf(stderr, "cannot write PNG %s: %s\n", context->path, message);
  png_longjmp(png, 1);
}

void on_png_warning(png_structp png, png_const_charp message) {
  const auto* context = static_cast<const ErrorContext*>(png_get_error_ptr(png));
  std::fprintf(stderr, "PNG %s: %s\n", context->path, message);
}

// Encodes the rows into an open file. No object with a destructor lives in
// this frame, so libpng's long jump out of an error skips nothing.
bool encode(std::FILE* file, ErrorContext* context, png_bytepp rows, int width, int height) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, context, on_png_error, on_png_warning);
  if (!png) {
    std::fprintf(stderr, "cannot write PNG %s: out of memory\n", context->path);
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    std::fprintf(stderr, "cannot write PNG %s: out of memory\n", context->path);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // The runtime's pictures are areas of flat colour, which compress as well
  // unfiltered: choosing a filter for each row took two thirds of the time
  // and made the file no smaller.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_write_info(png, info);
  // The rows are the canvas's own 0x00RRGGBB words: libpng leaves out their
  // unused byte, and in memory on a little-endian machine they run B, G, R.
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  png_set_filler(png, 0, PNG_FILLER_BEFORE);
#else
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  png_set_bgr(png);
#endif
  png_write_image(png, rows);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool render_write_png(const PlatCanvas* canvas, const char* path, int width, int height) {
  const char* name = path ? path : "(no path)";
  if (!canvas || !path) {
    std::fprintf(stderr, "cannot write PNG %s: no %s given\n", name, canvas ? "path" : "canvas");
    return false;
  }
  if (width <= 0 || height <= 0) {
    width = canvas->width;
    height = canvas->height;
  }
  if (width > canvas->width || height > canvas->height) {
    std::fprintf(stderr, "cannot write PNG %s: %d x %d is larger than the %d x %d canvas\n", name,
                 width, height, canvas->width, canvas->height);
    return false;
  }
  if (width <= 0 || height <= 0) {
    std::fprintf(stderr, "cannot write PNG %s: the canvas is empty\n", name);
    return false;
  }

  // libpng copies each row before it changes it, so it reads the canvas as
  // it is, with no copy of the picture of our own.
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    rows[static_cast<std::size_t>(y)] = reinterpret_cast<png_bytep>(const_cast<std::uint32_t*>(
        canvas->pixels.data() +
        static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas->width)));
  }

  std::FILE* file = std::fopen(path, "wb");
  if (!file) {
    std::fprintf(stderr, "cannot write PNG %s: %s\n", path, std::strerror(errno));
    return false;
  }
  ErrorContext context{path};
  bool ok = encode(file, &context, rows.data(), width, height);
  if (std::fflush(file) != 0 || std::ferror(file)) {
    if (ok)
      std::fprintf(stderr, "cannot write PNG %s: %s\n", path, std::strerror(errno));
    ok = false;
  }
  if (std::fclose(file) != 0 && ok) {
    std::fprintf(stderr, "cannot write PNG %s: %s\n", path, std::strerror(errno));
    ok = false;
  }
  // A half-written file is no picture: leave none behind (but never remove
  // what is not a plain file, such as a device).
  std::error_code ignored;
  if (!ok && std::filesystem::is_regular_file(path, ignored))
    std::remove(path);
  return ok;
}
