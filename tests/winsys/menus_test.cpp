// The window system's menu records: where a popup hangs and which menus a
// window takes.
#include "runtime/platform/winsys/menus.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

TEST(MenuRecords, APopupHangsFromOneBarAndOnlyBarsAreAttached) {
  start_runtime();
  PlatMenu* bar = plat->create_menu_bar();
  PlatMenu* other_bar = plat->create_menu_bar();
  PlatMenu* popup = plat->create_popup_menu();
  plat->append_menu_item(popup, PLAT_MENU_STRING, 41, "&One");
  plat->append_popup(bar, popup, "&First");
  plat->append_popup(other_bar, popup, "&Second");
  EXPECT_EQ(bar->items.size(), 1u);
  EXPECT_TRUE(other_bar->items.empty());
  EXPECT_EQ(winsys_find_item(bar, 41), popup->items[0].get());
  EXPECT_EQ(winsys_find_item(other_bar, 41), nullptr);

  PlatWindow* window = plat->create_window("DrawWndClass", "menus", false, 0, 0, 300, 200, nullptr);
  plat->set_menu(window, popup);  // a popup is no menu bar
  EXPECT_EQ(popup->window, nullptr);
  plat->set_menu(window, bar);
  EXPECT_EQ(winsys_menu_window(popup), window);
  plat->set_menu(window, other_bar);
  EXPECT_EQ(winsys_menu_window(popup), nullptr);  // the old bar is taken off
  EXPECT_EQ(other_bar->window, window);
}

}  // namespace
