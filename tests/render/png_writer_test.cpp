// PNG pictures of a canvas, read back with libpng.
#include "runtime/platform/render/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

struct Picture {
  bool ok = false;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  std::uint32_t at(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return (std::uint32_t{rgb[i]} << 16) | (std::uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
  }
};

Picture read_png(const std::string& path) {
  Picture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return picture;
  // The stored format: 8-bit RGB without alpha.
  const bool rgb8 = image.format == PNG_FORMAT_RGB;
  image.format = PNG_FORMAT_RGB;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  picture.ok = png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) && rgb8;
  png_image_free(&image);
  return picture;
}

PlatCanvas* patterned_canvas(int width, int height) {
  PlatCanvas* canvas = render_canvas_create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      canvas->pixels[static_cast<std::size_t>(y) * width + x] =
          (static_cast<std::uint32_t>(x * 40) << 16) | (static_cast<std::uint32_t>(y * 60) << 8) |
          static_cast<std::uint32_t>(255 - x - y);
    }
  }
  return canvas;
}

}  // namespace

TEST(PngWriter, WritesTheCanvasPixelsAsRgb) {
  ScopedTempDir dir;
  PlatCanvas* canvas = patterned_canvas(5, 3);
  canvas->pixels[0] = 0x00996633u;  // brown as stored: red 0x99, green 0x66, blue 0x33
  ASSERT_TRUE(render_write_png(canvas, "whole.png"));
  const Picture picture = read_png("whole.png");
  ASSERT_TRUE(picture.ok);
  ASSERT_EQ(picture.width, 5);
  ASSERT_EQ(picture.height, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(picture.at(x, y), canvas->pixels[static_cast<std::size_t>(y) * 5 + x]) << x << y;
    }
  }
  render_canvas_destroy(canvas);
}

TEST(PngWriter, WritesTheTopLeftPartWhenAsked) {
  ScopedTempDir dir;
  PlatCanvas* canvas = patterned_canvas(6, 4);
  ASSERT_TRUE(render_write_png(canvas, "part.png", 4, 2));
  const Picture picture = read_png("part.png");
  ASSERT_TRUE(picture.ok);
  ASSERT_EQ(picture.width, 4);
  ASSERT_EQ(picture.height, 2);
  EXPECT_EQ(picture.at(3, 1), canvas->pixels[1 * 6 + 3]);
  render_canvas_destroy(canvas);
}

TEST(PngWriter, FailuresAnswerFalseAndLeaveNoFile) {
  ScopedTempDir dir;
  PlatCanvas* canvas = patterned_canvas(4, 4);
  EXPECT_FALSE(render_write_png(canvas, "missing-folder/picture.png"));
  EXPECT_FALSE(render_write_png(canvas, "too-big.png", 5, 4));
  EXPECT_FALSE(file_exists("too-big.png"));
  EXPECT_FALSE(render_write_png(nullptr, "none.png"));
  EXPECT_FALSE(render_write_png(canvas, nullptr));
  PlatCanvas* empty = render_canvas_create(0, 0);
  EXPECT_FALSE(render_write_png(empty, "empty.png"));
  EXPECT_FALSE(file_exists("empty.png"));
  render_canvas_destroy(empty);
  // A device that takes no bytes: the failure is reported, the device stays.
  if (file_exists("/dev/full")) {
    EXPECT_FALSE(render_write_png(canvas, "/dev/full"));
    EXPECT_TRUE(file_exists("/dev/full"));
  }
  render_canvas_destroy(canvas);
}
