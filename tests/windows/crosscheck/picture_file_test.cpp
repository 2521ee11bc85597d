// The cross-check's pictures: cropping a surface, the file between the two
// sides, and the comparison.
#include "tests/windows/crosscheck/picture_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

using Surface = std::vector<std::uint32_t>;

Surface blank() {
  return Surface(static_cast<std::size_t>(corpus::kWidth) * corpus::kHeight, corpus::kBackground);
}

void put(Surface& s, int x, int y, std::uint32_t v) {
  s[static_cast<std::size_t>(y) * corpus::kWidth + x] = v;
}

corpus::Picture picture_with(std::initializer_list<std::array<int, 3>> pixels) {
  Surface s = blank();
  for (const auto& p : pixels)
    put(s, p[0], p[1], static_cast<std::uint32_t>(p[2]));
  return corpus::crop(s.data());
}

}  // namespace

TEST(CrosscheckPicture, CropKeepsTheBoxOfEveryChangedPixel) {
  EXPECT_EQ(corpus::crop(blank().data()).width, 0);
  // The unused top byte of a DIB pixel does not count as a change.
  Surface s = blank();
  put(s, 5, 5, corpus::kBackground | 0xFF000000u);
  EXPECT_EQ(corpus::crop(s.data()).width, 0);

  const corpus::Picture p = picture_with({{10, 20, 0x11}, {12, 19, 0x22}, {600, 539, 0x33}});
  EXPECT_EQ(p.left, 10);
  EXPECT_EQ(p.top, 19);
  EXPECT_EQ(p.width, 591);
  EXPECT_EQ(p.height, 521);
  EXPECT_EQ(p.at(10, 20), 0x11u);
  EXPECT_EQ(p.at(12, 19), 0x22u);
  EXPECT_EQ(p.at(600, 539), 0x33u);
  EXPECT_EQ(p.at(11, 20), corpus::kBackground);
  EXPECT_EQ(p.at(0, 0), corpus::kBackground);  // outside the box
}

TEST(CrosscheckPicture, ComparisonCountsWhatEitherSideChanged) {
  struct Case {
    const char* name;
    corpus::Picture a, b;
    long long compared, differing;
  };
  const Case cases[] = {
      {"both empty", {}, {}, 0, 0},
      {"same", picture_with({{1, 1, 7}, {3, 2, 7}}), picture_with({{1, 1, 7}, {3, 2, 7}}), 2, 0},
      {"one more", picture_with({{1, 1, 7}}), picture_with({{1, 1, 7}, {2, 1, 7}}), 2, 1},
      {"other colour", picture_with({{1, 1, 7}}), picture_with({{1, 1, 8}}), 1, 1},
      {"apart", picture_with({{0, 0, 7}}), picture_with({{600, 539, 7}}), 2, 2},
      {"one empty", {}, picture_with({{4, 4, 1}, {5, 5, 1}}), 2, 2},
  };
  for (const Case& c : cases) {
    const corpus::Comparison r = corpus::compare(c.a, c.b);
    EXPECT_EQ(r.compared, c.compared) << c.name;
    EXPECT_EQ(r.differing, c.differing) << c.name;
    const corpus::Comparison back = corpus::compare(c.b, c.a);
    EXPECT_EQ(back.differing, c.differing) << c.name;
  }
}

TEST(CrosscheckPicture, FilesReadBackAndWrongOnesAreRefused) {
  ScopedTempDir dir;
  const std::vector<corpus::Picture> pictures = {
      picture_with({{3, 4, 0x123456}, {9, 8, 0x654321}}), {}, picture_with({{600, 0, 1}})};
  auto write = [&](const char* path, std::size_t count, std::size_t cut) {
    std::FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(corpus::write_header(f, count));
    for (std::size_t i = 0; i < pictures.size(); ++i)
      ASSERT_TRUE(corpus::write_picture(f, i, pictures[i]));
    std::fclose(f);
    if (cut > 0) {
      const std::string bytes = read_file(path);
      write_file(path, bytes.substr(0, bytes.size() - cut));
    }
  };
  write("good", pictures.size(), 0);
  std::vector<corpus::Picture> back;
  ASSERT_TRUE(corpus::read_pictures("good", pictures.size(), &back));
  ASSERT_EQ(back.size(), pictures.size());
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    EXPECT_EQ(back[i].left, pictures[i].left) << i;
    EXPECT_EQ(back[i].top, pictures[i].top) << i;
    EXPECT_EQ(back[i].width, pictures[i].width) << i;
    EXPECT_EQ(back[i].height, pictures[i].height) << i;
    EXPECT_EQ(back[i].pixels, pictures[i].pixels) << i;
  }
  // Another corpus's count, a cut-off file, no file, a box off the surface.
  EXPECT_FALSE(corpus::read_pictures("good", pictures.size() + 1, &back));
  write("short", pictures.size(), 3);
  EXPECT_FALSE(corpus::read_pictures("short", pictures.size(), &back));
  EXPECT_FALSE(corpus::read_pictures("missing", pictures.size(), &back));
  corpus::Picture wide;
  wide.left = 590;
  wide.width = 20;
  wide.height = 1;
  wide.pixels.assign(20, 1);
  std::FILE* f = std::fopen("wide", "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(corpus::write_header(f, 1) && corpus::write_picture(f, 0, wide));
  std::fclose(f);
  EXPECT_FALSE(corpus::read_pictures("wide", 1, &back));
}

TEST(CrosscheckCorpus, EveryKindAndWidthIsThere) {
  const std::vector<corpus::Command> commands = corpus::commands();
  int seen[6][6] = {};
  for (const corpus::Command& c : commands) {
    ASSERT_LT(c.kind, 6u);
    ASSERT_GE(c.width, 0);
    ASSERT_LE(c.width, 5);
    ++seen[c.kind][c.width];
  }
  for (std::uint32_t kind : {corpus::TRIANGLE, corpus::RECTANGLE, corpus::OVAL, corpus::LINE}) {
    for (int w = 0; w <= 5; ++w)
      EXPECT_GT(seen[kind][w], 10) << corpus::kKindNames[kind] << " " << w;
  }
  EXPECT_GT(seen[corpus::PIXEL][0], 0);
  EXPECT_GT(seen[corpus::TEXT][0], 0);
  // The same commands every time: both sides must agree on the numbering.
  const std::vector<corpus::Command> again = corpus::commands();
  ASSERT_EQ(again.size(), commands.size());
  for (std::size_t i = 0; i < commands.size(); ++i) {
    EXPECT_EQ(again[i].kind, commands[i].kind);
    EXPECT_EQ(again[i].x1, commands[i].x1);
    EXPECT_EQ(again[i].text, commands[i].text);
  }
}
