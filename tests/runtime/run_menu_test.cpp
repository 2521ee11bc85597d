// The Run menu: its items, its commands and their Ctrl+letter shortcuts.
#include "runtime/window/run_menu.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/log/log_window.h"
#include "tests/support/script_helpers.h"
#include "tests/support/test_support.h"

namespace {

struct ExpectedItem {
  unsigned flags;
  unsigned id;
  const char* text;
};

TEST(RunMenu, BuiltOnTheGraphicsWindowWithSixteenItems) {
  start_runtime();
  PlatMenu* bar = headless_window_menu(graphics_window);
  ASSERT_NE(bar, nullptr);
  const auto bar_items = headless_menu_items(bar);
  ASSERT_EQ(bar_items.size(), 1u);
  EXPECT_EQ(bar_items[0].text, "&Run");
  EXPECT_EQ(bar_items[0].popup, run_menu);
  EXPECT_GE(headless_menu_bar_draws(graphics_window), 1);

  const std::vector<ExpectedItem> expected = {
      {0, 1, "&Animate\tCtrl+A"},
      {0, 2, "&Halt animation\tCtrl+H"},
      {0, 3, "Advance one &frame\tCtrl+F"},
      {2048, 0, ""},
      // The three switches are checkable; the rest are commands.
      {8 | PLAT_MENU_CHECKABLE, 4, "&Logging\tCtrl+L"},
      {2048, 0, ""},
      {PLAT_MENU_CHECKABLE, 5, "&Record Script\tCtrl+R"},
      {PLAT_MENU_CHECKABLE, 6, "&Playback Script\tCtrl+P"},
      {0, 7, "Play &One Script\tCtrl+O"},
      {2048, 0, ""},
      {0, 8, "&Quit\tCtrl+Q"},
      {2048, 0, ""},
      {1, 9, "VELKO runtime " VELKO_VERSION_STRING},
  };
  const auto items = headless_menu_items(run_menu);
  ASSERT_EQ(items.size(), 16u);
  for (std::size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(i);
    if (i < expected.size()) {
      EXPECT_EQ(items[i].flags, expected[i].flags);
      EXPECT_EQ(items[i].id, expected[i].id);
      EXPECT_EQ(items[i].text, expected[i].text);
    } else {
      // The information items: greyed, id 9, short, no shortcut.
      EXPECT_EQ(items[i].flags, PLAT_MENU_GRAYED);
      EXPECT_EQ(items[i].id, IDM_INFO);
      EXPECT_FALSE(items[i].text.empty());
      EXPECT_LE(items[i].text.size(), 40u);
      EXPECT_EQ(items[i].text.find('\t'), std::string::npos);
    }
    // Only Logging starts with a check mark, matching the logging switch.
    EXPECT_EQ(items[i].checked, i == 4);
  }
  EXPECT_EQ(logging_enabled, 1);
  EXPECT_FALSE(headless_choose_menu(graphics_window, IDM_INFO));
}

// How a command reaches the runtime in these cases.
enum class Via { menu_command, shortcut, shift_shortcut };

void carry_out(Via via, unsigned id) {
  static const unsigned letter[] = {0, 'A', 'H', 'F', 'L', 'R', 'P', 'O', 'Q'};
  switch (via) {
    case Via::menu_command:
      run_menu_command(id);
      break;
    case Via::shortcut:
      run_menu_key_down(PLAT_VK_CONTROL);
      run_menu_key_down(letter[id]);
      run_menu_key_up(letter[id]);
      run_menu_key_up(PLAT_VK_CONTROL);
      break;
    case Via::shift_shortcut:
      run_menu_key_down(PLAT_VK_CONTROL);
      run_menu_key_down(PLAT_VK_SHIFT);
      run_menu_key_down(letter[id]);
      run_menu_key_up(PLAT_VK_SHIFT);
      run_menu_key_up(PLAT_VK_CONTROL);
      break;
  }
}

struct RunFlags {
  int animate;
  int single_step;
  int playing;
  int play_one;
};

TEST(RunMenu, RunCommandsAndShortcutsSetTheFlagsAlike) {
  start_runtime();
  ScopedTempDir dir;
  struct Case {
    unsigned id;
    RunFlags before;
    RunFlags after;
  };
  // Menu halt clears only animate; menu step clears animate and asks for one
  // step; playback and play one halt everything.
  const std::vector<Case> cases = {
      {IDM_ANIMATE, {0, 0, 0, 0}, {1, 0, 0, 0}},  {IDM_ANIMATE, {0, 1, 0, 0}, {1, 1, 0, 0}},
      {IDM_HALT, {1, 1, 0, 0}, {0, 1, 0, 0}},     {IDM_HALT, {1, 0, 0, 0}, {0, 0, 0, 0}},
      {IDM_STEP, {1, 0, 0, 0}, {0, 1, 0, 0}},     {IDM_STEP, {0, 0, 0, 0}, {0, 1, 0, 0}},
      {IDM_PLAYBACK, {1, 1, 0, 0}, {0, 0, 1, 0}}, {IDM_PLAYBACK, {1, 1, 0, 1}, {0, 0, 1, 1}},
      {IDM_PLAYBACK, {1, 1, 1, 1}, {1, 1, 0, 1}}, {IDM_PLAY_ONE, {1, 1, 0, 0}, {0, 0, 0, 1}},
      {IDM_PLAY_ONE, {0, 0, 1, 0}, {0, 0, 1, 1}},
  };
  for (Via via : {Via::menu_command, Via::shortcut, Via::shift_shortcut}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "via " << static_cast<int>(via) << " id " << c.id
                                      << " animate " << c.before.animate << " step "
                                      << c.before.single_step << " playing " << c.before.playing);
      animate = c.before.animate;
      single_step = c.before.single_step;
      playing = c.before.playing;
      play_one = c.before.play_one;
      plat->check_menu_item(run_menu, IDM_PLAYBACK, playing != 0);
      carry_out(via, c.id);
      EXPECT_EQ(animate, c.after.animate);
      EXPECT_EQ(single_step, c.after.single_step);
      EXPECT_EQ(playing, c.after.playing);
      EXPECT_EQ(play_one, c.after.play_one);
      EXPECT_EQ(headless_menu_checked(run_menu, IDM_PLAYBACK), c.after.playing != 0);
      EXPECT_EQ(ctrl_down, 0);
      EXPECT_EQ(recording, 0);
    }
  }
}

TEST(RunMenu, LoggingTogglesSwitchAndMarkButNotTheWindow) {
  start_runtime();
  for (Via via : {Via::menu_command, Via::shortcut}) {
    for (bool visible : {false, true}) {
      VELKO_show_log(visible ? 1 : 0);
      carry_out(via, IDM_LOGGING);
      EXPECT_EQ(logging_enabled, 0);
      EXPECT_FALSE(headless_menu_checked(run_menu, IDM_LOGGING));
      carry_out(via, IDM_LOGGING);
      EXPECT_EQ(logging_enabled, 1);
      EXPECT_TRUE(headless_menu_checked(run_menu, IDM_LOGGING));
      EXPECT_EQ(headless_window_visible(log_window), visible);
    }
  }
}

TEST(RunMenu, RecordAndPlaybackMarksFollowTheirSwitches) {
  start_runtime();
  ScopedTempDir dir;
  for (Via via : {Via::menu_command, Via::shortcut}) {
    carry_out(via, IDM_RECORD);
    EXPECT_EQ(recording, 1);
    EXPECT_TRUE(headless_menu_checked(run_menu, IDM_RECORD));
    EXPECT_EQ(script_stream, nullptr);  // nothing opened before the first line
    carry_out(via, IDM_RECORD);
    EXPECT_EQ(recording, 0);
    EXPECT_FALSE(headless_menu_checked(run_menu, IDM_RECORD));

    carry_out(via, IDM_PLAYBACK);
    EXPECT_TRUE(headless_menu_checked(run_menu, IDM_PLAYBACK));
    carry_out(via, IDM_PLAYBACK);
    EXPECT_FALSE(headless_menu_checked(run_menu, IDM_PLAYBACK));

    carry_out(via, IDM_PLAY_ONE);
    EXPECT_FALSE(headless_menu_checked(run_menu, IDM_PLAY_ONE));
    play_one = 0;
  }
  EXPECT_FALSE(file_exists("VELKO.SCR"));
}

TEST(RunMenu, OtherCommandsAndKeysChangeNothing) {
  start_runtime();
  animate = 1;
  single_step = 1;
  // Not from the menu: a notification code in the high word.
  run_menu_command((1u << 16) | IDM_HALT);
  run_menu_command(IDM_INFO);
  run_menu_command(0);
  run_menu_command(99);
  // Letters without Ctrl, and other keys with it.
  run_menu_key_down('H');
  run_menu_key_down(PLAT_VK_CONTROL);
  run_menu_key_down(PLAT_VK_CONTROL);  // auto-repeat
  run_menu_key_down('Z');
  run_menu_key_down(PLAT_VK_ESCAPE);
  run_menu_key_up('H');  // only Ctrl's own key-up releases it
  EXPECT_EQ(ctrl_down, 1);
  EXPECT_EQ(animate, 1);
  EXPECT_EQ(single_step, 1);
  EXPECT_EQ(logging_enabled, 1);
  EXPECT_EQ(recording + playing + play_one, 0);
  run_menu_key_up(PLAT_VK_CONTROL);
  EXPECT_EQ(ctrl_down, 0);
}

TEST(RunMenu, QuitFromTheMenuEndsTheNextCall) {
  start_runtime();
  headless_set_auto_close(false);
  ASSERT_TRUE(headless_choose_menu(graphics_window, IDM_QUIT));
  EXPECT_EQ(next_event_text(), "Q");
}

TEST(RunMenu, CtrlQEndsTheRunFromEitherWindowWithoutAKeyEvent) {
  start_runtime();
  headless_set_auto_close(false);
  // The quit message comes ahead of the key-ups still queued; Ctrl is known
  // to be up once they have been taken.
  headless_ctrl_press('Q', graphics_window);
  EXPECT_EQ(event_texts_until_quit(), "Q");
  while (pump_one_message()) {
  }
  EXPECT_EQ(ctrl_down, 0);

  headless_ctrl_press('Q', headless_find_window("VELKO Text"));
  EXPECT_EQ(event_texts_until_quit(), "Q");
  while (pump_one_message()) {
  }
  EXPECT_EQ(ctrl_down, 0);
}

TEST(RunMenu, LettersWithoutCtrlAreKeyEvents) {
  start_runtime();
  PlatWindow* text_window = headless_find_window("VELKO Text");
  headless_key_press('A', graphics_window);
  headless_key_down(PLAT_VK_SHIFT, graphics_window);
  headless_key_press('A', graphics_window);
  headless_key_up(PLAT_VK_SHIFT, graphics_window);
  // Keys typed into the log window reach the graphics window too.
  headless_key_press('R', text_window);
  headless_key_press('Q', text_window);
  EXPECT_EQ(event_texts_until_quit(), "K(97) K(65) K(114) K(113) Q");
  EXPECT_EQ(animate, 0);
  EXPECT_EQ(recording, 0);
}

TEST(RunMenu, ShortcutsFromTheLogWindowActAndTypeNothing) {
  start_runtime();
  ScopedTempDir dir;
  PlatWindow* text_window = headless_find_window("VELKO Text");
  headless_ctrl_press('A', text_window);
  headless_ctrl_press('L', text_window);
  headless_ctrl_press('R', text_window);
  headless_at(250, [] { headless_ctrl_press('H', headless_find_window("VELKO Text")); });
  headless_at(260, [] { headless_key_press('X', graphics_window); });
  // Animation flows from the first tick until the halt at 250.
  EXPECT_EQ(event_texts_until_quit(), "P P K(120) Q");
  EXPECT_EQ(logging_enabled, 0);
  EXPECT_FALSE(headless_menu_checked(run_menu, IDM_LOGGING));
  EXPECT_TRUE(headless_menu_checked(run_menu, IDM_RECORD));
  EXPECT_EQ(ctrl_down, 0);
  VELKO_finish();
  EXPECT_EQ(read_file("VELKO.SCR"), text_file_bytes("VELKO_PERIODIC(2);\nVELKO_KBD(120);\n"));
}

TEST(RunMenu, CtrlReleasedElsewhereLeavesLettersActingAsShortcuts) {
  start_runtime();
  headless_key_down(PLAT_VK_CONTROL, graphics_window);
  headless_key_up(PLAT_VK_CONTROL, nullptr);  // the focus is elsewhere
  headless_key_press('A', graphics_window);   // animates; its character is dropped
  headless_at(150, [] { headless_key_press('H', graphics_window); });
  headless_at(160, [] { headless_key_press('B', graphics_window); });  // dropped
  headless_at(170, [] { headless_key_up(PLAT_VK_CONTROL, graphics_window); });
  headless_at(180, [] { headless_key_press('B', graphics_window); });
  EXPECT_EQ(event_texts_until_quit(), "P K(98) Q");
  EXPECT_EQ(animate, 0);
  EXPECT_EQ(ctrl_down, 0);
}

TEST(RunMenu, PlaybackAndPlayOneHaltAnimationForGood) {
  start_runtime();
  ScopedTempDir dir;
  write_file("VELKO.SCR", "VELKO_KBD(49);\n");
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  headless_at(250, [] { headless_choose_menu(graphics_window, IDM_PLAY_ONE); });
  headless_at(260, [] { headless_choose_menu(graphics_window, IDM_PLAY_ONE); });
  headless_at(270, [] { click_at(1, 1); });
  headless_at(400, [] { click_at(2, 2); });
  // Two ticks, the scripted key, the end of the script, then only clicks.
  EXPECT_EQ(event_texts_until_quit(), "P P K(49) M(1,1) M(2,2) Q");
  EXPECT_EQ(animate, 0);
  EXPECT_EQ(log_lines().back(), "EOF encountered in script file VELKO.SCR\n");
}

}  // namespace
