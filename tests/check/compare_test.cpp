// The class check's comparisons on their own: pixels against a tolerance,
// and the line difference of logs and events.
#include "tools/check/compare.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/check/picture.h"

namespace {

check::Picture filled(int width, int height, int grey) {
  check::Picture p;
  p.width = width;
  p.height = height;
  p.rgb.assign(static_cast<std::size_t>(width) * height * 3, static_cast<std::uint8_t>(grey));
  return p;
}

}  // namespace

TEST(ClassCompare, PixelsCountAgainstTheTolerance) {
  const check::Picture reference = filled(10, 10, 100);
  check::Picture near = reference, far = reference;
  near.rgb[0] = 110;        // one channel of pixel (0,0) 10 levels off
  far.rgb[3 * 55 + 2] = 0;  // one channel of pixel (5,5) 100 levels off
  far.rgb[3 * 99] = 101;    // and pixel (9,9) one level off
  const struct {
    const char* name;
    const check::Picture& got;
    int tolerance;
    long long differing, beyond;
  } cases[] = {
      {"alike", reference, 0, 0, 0},          {"near, exact", near, 0, 1, 1},
      {"near, tolerant", near, 10, 1, 0},     {"far, tolerant", far, 10, 2, 1},
      {"far, more tolerant", far, 100, 2, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    check::Picture difference;
    const auto result = check::compare_pictures(c.got, reference, c.tolerance, &difference);
    EXPECT_TRUE(result.same_size);
    EXPECT_EQ(result.total, 100);
    EXPECT_EQ(result.differing, c.differing);
    EXPECT_EQ(result.beyond_tolerance, c.beyond);
    EXPECT_DOUBLE_EQ(result.share_percent(), static_cast<double>(c.beyond));
  }
  // The difference picture: red beyond the tolerance, yellow within it.
  check::Picture difference;
  check::compare_pictures(far, reference, 10, &difference);
  EXPECT_EQ(difference.rgb[3 * 55], 230);
  EXPECT_EQ(difference.rgb[3 * 55 + 1], 0);
  EXPECT_EQ(difference.rgb[3 * 99 + 1], 200);
}

TEST(ClassCompare, PicturesOfOtherSizesDifferWhereOnlyOneHasPixels) {
  const auto result = check::compare_pictures(filled(12, 10, 50), filled(10, 11, 50), 255, nullptr);
  EXPECT_FALSE(result.same_size);
  EXPECT_EQ(result.total, 12 * 11);
  EXPECT_EQ(result.beyond_tolerance, 12 * 11 - 10 * 10);
}

TEST(ClassCompare, LinesDifferAsInsertedRemovedOrChanged) {
  using Lines = std::vector<std::string>;
  const Lines reference = {"a", "b", "c", "d"};
  const struct {
    const char* name;
    Lines got;
    long long common, only_reference, only_got;
    Lines shown;
  } cases[] = {
      {"alike", reference, 4, 0, 0, {"  a", "  b", "  c", "  d"}},
      {"one more", {"a", "b", "x", "c", "d"}, 4, 0, 1, {"  a", "  b", "+ x", "  c", "  d"}},
      {"one less", {"a", "c", "d"}, 3, 1, 0, {"  a", "- b", "  c", "  d"}},
      {"one changed", {"a", "b", "C", "d"}, 3, 1, 1, {"  a", "  b", "+ C", "- c", "  d"}},
      {"nothing", {}, 0, 4, 0, {"- a", "- b", "- c", "- d"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const check::LineDiff diff = check::diff_lines(c.got, reference, 100);
    EXPECT_EQ(diff.common, c.common);
    EXPECT_EQ(diff.only_reference, c.only_reference);
    EXPECT_EQ(diff.only_got, c.only_got);
    EXPECT_EQ(diff.lines, c.shown);
  }
  EXPECT_EQ(check::diff_lines({"x"}, reference, 2).lines.size(), 2u);  // bounded
}
