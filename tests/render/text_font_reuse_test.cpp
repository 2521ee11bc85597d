// Fonts are created and deleted for every text command; the handles of
// deleted fonts are kept and handed out again, which must not mix up sizes.
#include <gtest/gtest.h>

#include <set>

#include "tests/render/text_support.h"

namespace {

TEST(TextFontReuse, ReusedHandlesTakeTheirNewSizeAndLiveOnesStayDistinct) {
  CanvasPtr canvas(render_canvas_create(8, 8));
  PlatTextMetrics big, small;
  {
    FontPtr a(plat->draw->create_font(40));
    plat->draw->text_metrics(canvas.get(), a.get(), &big);
  }
  {
    FontPtr b(plat->draw->create_font(10));
    plat->draw->text_metrics(canvas.get(), b.get(), &small);
  }
  ASSERT_GT(big.height, small.height);
  // Sizes in turn, as the designer's redraw asks for them: each handle
  // measures as its own size, whatever handle it was before.
  for (int round = 0; round < 3; ++round) {
    for (int size : {40, 10, 40}) {
      FontPtr font(plat->draw->create_font(size));
      PlatTextMetrics m;
      plat->draw->text_metrics(canvas.get(), font.get(), &m);
      EXPECT_EQ(m.height, size == 40 ? big.height : small.height) << size;
    }
  }
  // Fonts alive at the same time are distinct, however many were deleted.
  std::set<PlatFont*> live;
  std::vector<FontPtr> fonts;
  for (int i = 0; i < 6; ++i) {
    fonts.emplace_back(plat->draw->create_font(12 + i));
    EXPECT_TRUE(live.insert(fonts.back().get()).second);
  }
}

TEST(TextFontReuse, DeletingTwiceOrTheStockFontIsHarmless) {
  PlatFont* font = plat->draw->create_font(14);
  plat->draw->delete_font(font);
  plat->draw->delete_font(font);  // handed out again only once
  PlatFont* first = plat->draw->create_font(14);
  PlatFont* second = plat->draw->create_font(14);
  EXPECT_NE(first, second);
  plat->draw->delete_font(first);
  plat->draw->delete_font(second);
  plat->draw->delete_font(plat->draw->fixed_font());
  CanvasPtr canvas(render_canvas_create(8, 8));
  PlatTextMetrics m;
  plat->draw->text_metrics(canvas.get(), plat->draw->fixed_font(), &m);
  EXPECT_GT(m.height, 0);
}

}  // namespace
