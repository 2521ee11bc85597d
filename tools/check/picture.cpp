// PNG files through libpng's simplified interface, and pixel comparison.
#include "tools/check/picture.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace check {

namespace {

// Finishes a read begun from memory.
bool finish_read(png_image* image, Picture* picture, std::string* why) {
  image->format = PNG_FORMAT_RGB;
  // A window is never this large; a file that says so is refused, not
  // allocated.
  if (image->width == 0 || image->height == 0 || image->width > 8192 || image->height > 8192) {
    *why = "the picture's size is out of range";
    png_image_free(image);
    return false;
  }
  picture->width = static_cast<int>(image->width);
  picture->height = static_cast<int>(image->height);
  picture->rgb.assign(PNG_IMAGE_SIZE(*image), 0);
  if (!png_image_finish_read(image, nullptr, picture->rgb.data(), 0, nullptr)) {
    *why = image->message;
    png_image_free(image);
    return false;
  }
  return true;
}

}  // namespace

bool read_png_bytes(const std::string& bytes, Picture* picture, std::string* why) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (bytes.empty() || !png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    *why = image.message[0] ? image.message : "not a PNG file";
    png_image_free(&image);
    return false;
  }
  return finish_read(&image, picture, why);
}

bool write_png(const std::string& path, const Picture& picture) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, picture.rgb.data(), 0, nullptr) != 0;
}

bool png_size(const std::string& bytes, int* width, int* height) {
  static const char signature[] = "\x89PNG\r\n\x1a\n";
  if (bytes.size() < 24 || bytes.compare(0, 8, signature, 8) != 0 ||
      bytes.compare(12, 4, "IHDR") != 0)
    return false;
  auto big_endian = [&](std::size_t at) {
    return static_cast<int>((static_cast<unsigned char>(bytes[at]) << 24) |
                            (static_cast<unsigned char>(bytes[at + 1]) << 16) |
                            (static_cast<unsigned char>(bytes[at + 2]) << 8) |
                            static_cast<unsigned char>(bytes[at + 3]));
  };
  *width = big_endian(16);
  *height = big_endian(20);
  return *width > 0 && *height > 0;
}

namespace {

// A few differing pixels vanish in a thumbnail: each gets a pink ring of
// radius 6 around it, on the pixels that agree.
void ring_differences(Picture* d) {
  const auto red = [d](int x, int y) {
    const std::uint8_t* p = &d->rgb[(static_cast<std::size_t>(y) * d->width + x) * 3];
    return p[0] == 230 && p[1] == 0 && p[2] == 0;
  };
  std::vector<std::pair<int, int>> marked;
  for (int y = 0; y < d->height; ++y)
    for (int x = 0; x < d->width; ++x)
      if (red(x, y))
        marked.emplace_back(x, y);
  for (const auto& [cx, cy] : marked) {
    for (int y = std::max(0, cy - 6); y <= std::min(d->height - 1, cy + 6); ++y) {
      for (int x = std::max(0, cx - 6); x <= std::min(d->width - 1, cx + 6); ++x) {
        const int r2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        std::uint8_t* p = &d->rgb[(static_cast<std::size_t>(y) * d->width + x) * 3];
        const bool agrees = p[0] == p[1] && p[1] == p[2];
        if (r2 >= 16 && r2 <= 36 && agrees) {
          p[0] = 255, p[1] = 120, p[2] = 160;
        }
      }
    }
  }
}

}  // namespace

PixelComparison compare_pictures(const Picture& got, const Picture& reference, int tolerance,
                                 Picture* difference) {
  PixelComparison result;
  const int width = std::max(got.width, reference.width);
  const int height = std::max(got.height, reference.height);
  result.same_size = got.width == reference.width && got.height == reference.height;
  result.total = static_cast<long long>(width) * height;
  if (result.same_size && got.rgb == reference.rgb)
    return result;  // alike: no picture of the differences is needed
  if (difference) {
    difference->width = width;
    difference->height = height;
    difference->rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool in_got = x < got.width && y < got.height;
      const bool in_ref = x < reference.width && y < reference.height;
      std::uint8_t* out =
          difference ? &difference->rgb[(static_cast<std::size_t>(y) * width + x) * 3] : nullptr;
      if (!in_got || !in_ref) {
        ++result.differing;
        ++result.beyond_tolerance;
        if (out) {
          out[0] = 255, out[1] = 0, out[2] = 255;
        }
        continue;
      }
      const std::uint8_t* a = &got.rgb[(static_cast<std::size_t>(y) * got.width + x) * 3];
      const std::uint8_t* b =
          &reference.rgb[(static_cast<std::size_t>(y) * reference.width + x) * 3];
      int most = 0;
      for (int c = 0; c < 3; ++c)
        most = std::max(most, std::abs(a[c] - b[c]));
      if (most > 0)
        ++result.differing;
      if (most > tolerance)
        ++result.beyond_tolerance;
      if (!out)
        continue;
      if (most > tolerance) {
        out[0] = 230, out[1] = 0, out[2] = 0;
      } else if (most > 0) {
        out[0] = 250, out[1] = 200, out[2] = 0;
      } else {
        // The reference in light grey, so the differences stand out and the
        // scene can still be made out around them.
        const int grey = (b[0] * 30 + b[1] * 59 + b[2] * 11) / 100;
        out[0] = out[1] = out[2] = static_cast<std::uint8_t>(190 + grey / 4);
      }
    }
  }
  if (difference && result.beyond_tolerance > 0 && result.beyond_tolerance < 2000)
    ring_differences(difference);
  return result;
}

}  // namespace check
