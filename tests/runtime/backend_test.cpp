// Choosing the backend at run time, the start that cannot open one, and the
// shared menu records' rules.
#include "runtime/platform/backend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "runtime/platform/winsys/menus.h"
#include "runtime/velko.h"
#include "tests/support/test_support.h"

namespace {

struct Choice {
  const char* wanted;  // VELKO_BACKEND, or null for unset
  const char* why;     // what plat_open answers; null when it opens
};

}  // namespace

TEST(Backend, TheEnvironmentPicksOneTheBuildHolds) {
  const Choice choices[] = {
      {nullptr, nullptr},
      {"", nullptr},
      {"headless", nullptr},
      {"gtk", "VELKO_BACKEND names \"gtk\", which this program does not have (it has: headless)"},
      {"Headless",
       "VELKO_BACKEND names \"Headless\", which this program does not have (it has: headless)"},
  };
  for (const Choice& choice : choices) {
    set_environment("VELKO_BACKEND", choice.wanted);
    const char* why = plat_open();
    if (choice.why) {
      ASSERT_NE(why, nullptr) << choice.wanted;
      EXPECT_EQ(std::string(why), choice.why);
    } else {
      EXPECT_EQ(why, nullptr) << (choice.wanted ? choice.wanted : "(unset)");
    }
    EXPECT_STREQ(plat->name, "headless");
    EXPECT_EQ(plat, &headless_backend);
  }
  set_environment("VELKO_BACKEND", nullptr);
}

TEST(BackendDeathTest, StartWithoutABackendSaysWhyAndEndsWithOne) {
  set_environment("VELKO_BACKEND", "win32");
  EXPECT_EXIT(start_runtime(), testing::ExitedWithCode(1),
              "VELKO_BACKEND names \"win32\", which this program does not have");
  set_environment("VELKO_BACKEND", nullptr);
}

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
