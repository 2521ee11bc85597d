// Fonts are created and deleted for every text command; the handles of
// deleted fonts are kept and handed out again, which must not mix up sizes.
#include <gtest/gtest.h>

#include <set>

#include "tests/soft/text_support.h"

namespace {

TEST(TextFontReuse, ReusedHandlesTakeTheirNewSizeAndLiveOnesStayDistinct) {
  CanvasPtr canvas(soft_canvas_create(8, 8));
  PlatTextMetrics big, small;
  {
    FontPtr a(plat_create_font(40));
    plat_text_metrics(canvas.get(), a.get(), &big);
  }
  {
    FontPtr b(plat_create_font(10));
    plat_text_metrics(canvas.get(), b.get(), &small);
  }
  ASSERT_GT(big.height, small.height);
  // Sizes in turn, as the designer's redraw asks for them: each handle
  // measures as its own size, whatever handle it was before.
  for (int round = 0; round < 3; ++round) {
    for (int size : {40, 10, 40}) {
      FontPtr font(plat_create_font(size));
      PlatTextMetrics m;
      plat_text_metrics(canvas.get(), font.get(), &m);
      EXPECT_EQ(m.height, size == 40 ? big.height : small.height) << size;
    }
  }
  // Fonts alive at the same time are distinct, however many were deleted.
  std::set<PlatFont*> live;
  std::vector<FontPtr> fonts;
  for (int i = 0; i < 6; ++i) {
    fonts.emplace_back(plat_create_font(12 + i));
    EXPECT_TRUE(live.insert(fonts.back().get()).second);
  }
}

TEST(TextFontReuse, DeletingTwiceOrTheStockFontIsHarmless) {
  PlatFont* font = plat_create_font(14);
  plat_delete_font(font);
  plat_delete_font(font);  // handed out again only once
  PlatFont* first = plat_create_font(14);
  PlatFont* second = plat_create_font(14);
  EXPECT_NE(first, second);
  plat_delete_font(first);
  plat_delete_font(second);
  plat_delete_font(plat_fixed_font());
  CanvasPtr canvas(soft_canvas_create(8, 8));
  PlatTextMetrics m;
  plat_text_metrics(canvas.get(), plat_fixed_font(), &m);
  EXPECT_GT(m.height, 0);
}

}  // namespace
