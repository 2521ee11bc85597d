// The event source: one event per call, periodic waits, run-mode requests and
// blocking only where spinning could not deliver anything either.
#include "runtime/window/events.h"

#include <gtest/gtest.h>

#include "runtime/platform/headless/headless.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"
#include "tests/support/test_support.h"

namespace {

// Runs the events of a whole run and gives their kinds and times.
std::vector<std::pair<int, long long>> kinds_and_times() {
  std::vector<std::pair<int, long long>> out;
  for (const Event& e : events_until_quit(200))
    out.emplace_back(e.kind, e.time_ms);
  return out;
}

using KT = std::vector<std::pair<int, long long>>;

}  // namespace

TEST(Events, AnimationDeliversOneTickPerTimerMessage) {
  start_runtime();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  headless_at(350);  // let time run to 350, then the run ends by itself
  EXPECT_EQ(
      kinds_and_times(),
      (KT{{VELKO_PERIODIC, 100}, {VELKO_PERIODIC, 200}, {VELKO_PERIODIC, 300}, {VELKO_QUIT, 350}}));
  // Each periodic event came out of one blocking wait, not out of spinning.
  EXPECT_LE(headless_wait_count(), 5);
}

TEST(Events, TimerMessagesFromBeforeTheWaitDoNotCount) {
  start_runtime();
  headless_at(10, [] { plat->post_message(graphics_window, PLAT_MSG_LBUTTONDOWN, 1, 0); });
  headless_at(2000);
  ASSERT_EQ(next_event().kind, VELKO_MOUSE);  // takes the start-up repaints too
  // The application is busy until 250: a timer message waits in the queue.
  headless_advance_ms(240);
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  Event e = next_event();
  EXPECT_EQ(e.kind, VELKO_PERIODIC);
  EXPECT_EQ(e.time_ms, 300);  // the next timer message, not the waiting one
  // A slow application still gets one periodic event per call, each after a
  // fresh timer message.
  headless_advance_ms(450);  // now 750
  e = next_event();
  EXPECT_EQ(e.kind, VELKO_PERIODIC);
  EXPECT_EQ(e.time_ms, 800);
}

TEST(Events, ClickDuringAPeriodicWaitWins) {
  start_runtime();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  headless_at(50, [] { headless_click(client_x(-12), client_y(34)); });
  headless_at(250);
  std::vector<Event> events = events_until_quit();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events[0].kind, VELKO_MOUSE);
  EXPECT_EQ(events[0].time_ms, 50);
  EXPECT_EQ(events[0].x, -12);
  EXPECT_EQ(events[0].y, 34);
  EXPECT_EQ(events[0].key, 0);
  // Animation still on: the next call begins a new wait for the next timer.
  EXPECT_EQ(events[1].kind, VELKO_PERIODIC);
  EXPECT_EQ(events[1].time_ms, 100);
  EXPECT_EQ(events[1].x, 0);
  EXPECT_EQ(events[1].y, 0);
}

TEST(Events, HaltDuringAWaitStillDeliversThatTick) {
  start_runtime();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  headless_at(50, [] { VELKO_set_run_mode(VELKO_RUN_HALT); });
  headless_at(400);
  // The tick of the wait that had begun arrives; no further ones.
  EXPECT_EQ(kinds_and_times(), (KT{{VELKO_PERIODIC, 100}, {VELKO_QUIT, 400}}));
}

TEST(Events, SingleStepYieldsExactlyOneTick) {
  start_runtime();
  VELKO_set_run_mode(VELKO_RUN_STEP);
  headless_at(500);
  EXPECT_EQ(kinds_and_times(), (KT{{VELKO_PERIODIC, 100}, {VELKO_QUIT, 500}}));
  EXPECT_EQ(single_step, 0);
}

TEST(Events, ClickDuringAStepUsesTheStepUp) {
  start_runtime();
  VELKO_set_run_mode(VELKO_RUN_STEP);
  headless_at(30, [] { headless_click(1, 1); });
  headless_at(500);
  EXPECT_EQ(kinds_and_times(), (KT{{VELKO_MOUSE, 30}, {VELKO_QUIT, 500}}));
}

TEST(Events, WithoutAnimationACallWaitsForInput) {
  start_runtime();
  headless_at(1234, [] { headless_click(client_x(5), client_y(-6)); });
  Event e = next_event();
  EXPECT_EQ(e.kind, VELKO_MOUSE);
  EXPECT_EQ(e.time_ms, 1234);
  EXPECT_EQ(e.x, 5);
  EXPECT_EQ(e.y, -6);
  // Twelve timer messages passed meanwhile, each waited for, none delivered.
  EXPECT_LE(headless_wait_count(), 14);
}

TEST(Events, OneClickPerCall) {
  start_runtime();
  headless_click(client_x(1), client_y(1));
  headless_click(client_x(2), client_y(2));
  Event a = next_event();
  Event b = next_event();
  EXPECT_EQ(a.kind, VELKO_MOUSE);
  EXPECT_EQ(a.x, 1);
  EXPECT_EQ(b.kind, VELKO_MOUSE);
  EXPECT_EQ(b.x, 2);
  EXPECT_EQ(a.time_ms, b.time_ms);
}

TEST(Events, CharactersAreTranslatedAsTheKeyboardMakesThem) {
  start_runtime();
  headless_key_press('A', graphics_window);
  headless_key_down(PLAT_VK_SHIFT, graphics_window);
  headless_key_press('A', graphics_window);
  headless_key_up(PLAT_VK_SHIFT, graphics_window);
  headless_key_press('7', graphics_window);
  headless_key_press(PLAT_VK_RETURN, graphics_window);
  headless_key_press(PLAT_VK_BACK, graphics_window);
  headless_key_press(PLAT_VK_TAB, graphics_window);
  headless_key_press(PLAT_VK_ESCAPE, graphics_window);
  std::vector<int> keys;
  for (int i = 0; i < 7; ++i) {
    Event e = next_event();
    EXPECT_EQ(e.kind, VELKO_KBD);
    EXPECT_EQ(e.x, 0);
    EXPECT_EQ(e.y, 0);
    keys.push_back(e.key);
  }
  EXPECT_EQ(keys, (std::vector<int>{'a', 'A', '7', 13, 8, 9, 27}));
}

TEST(Events, KeysWithTheFocusElsewhereAreNotSeen) {
  start_runtime();
  headless_key_press('A', nullptr);
  headless_at(300, [] { headless_click(0, 0); });
  EXPECT_EQ(next_event().kind, VELKO_MOUSE);
}

TEST(Events, AfterQuitRequestEveryEventIsQuitWithItsCoordinates) {
  start_runtime();
  EXPECT_EQ(VELKO_set_run_mode(VELKO_RUN_QUIT), 1);
  // The request ends no wait: the call still waits for its event.
  headless_at(700, [] { headless_click(client_x(-40), client_y(60)); });
  Event e = next_event();
  EXPECT_EQ(e.kind, VELKO_QUIT);
  EXPECT_EQ(e.time_ms, 700);
  EXPECT_EQ(e.x, -40);
  EXPECT_EQ(e.y, 60);
  headless_key_press('B', graphics_window);
  e = next_event();
  EXPECT_EQ(e.kind, VELKO_QUIT);
  EXPECT_EQ(e.key, 'b');
}

TEST(Events, RunModeRequests) {
  start_runtime();
  EXPECT_EQ(VELKO_set_run_mode(VELKO_RUN_STEP), 1);
  EXPECT_EQ(single_step, 1);
  EXPECT_EQ(animate, 0);
  EXPECT_EQ(VELKO_set_run_mode(VELKO_RUN_ANIMATE), 1);
  EXPECT_EQ(animate, 1);
  EXPECT_EQ(single_step, 1);  // left as it was
  for (int ignored : {3, 4, 6, -1, 1000}) {
    EXPECT_EQ(VELKO_set_run_mode(ignored), 1);
  }
  EXPECT_EQ(animate, 1);
  EXPECT_EQ(single_step, 1);
  EXPECT_EQ(quit_requested, 0);
  EXPECT_EQ(VELKO_set_run_mode(VELKO_RUN_HALT), 1);
  EXPECT_EQ(animate, 0);
  EXPECT_EQ(single_step, 0);
}

TEST(Events, TheQuitMessageEndsAPeriodicWait) {
  start_runtime();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  plat->post_quit(0);
  Event e = next_event();
  EXPECT_EQ(e.kind, VELKO_QUIT);
  EXPECT_EQ(e.time_ms, 0);
}

TEST(Events, StartClearsAnimationRequestedBefore) {
  EXPECT_EQ(VELKO_set_run_mode(VELKO_RUN_ANIMATE), 0);
  animate = 1;
  single_step = 1;
  start_runtime();
  EXPECT_EQ(animate, 0);
  EXPECT_EQ(single_step, 0);
}

TEST(Events, AFloodOfInputComesOutOneEventPerCallNoneLost) {
  start_runtime();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  constexpr int flood = 20000;
  // All at once, before the first tick is due: clicks and keys in turn.
  headless_at(50, [] {
    for (int i = 0; i < flood; ++i) {
      headless_click(i % 595, i % 496);
      headless_key_press('A' + i % 26, graphics_window);
    }
    headless_close_window(graphics_window);
  });
  const std::vector<Event> events = events_until_quit(3 * flood);
  ASSERT_EQ(events.size(), 2u * flood + 1);
  for (int i = 0; i < flood; ++i) {
    const Event& click = events[2 * i];
    const Event& key = events[2 * i + 1];
    ASSERT_EQ(click.kind, VELKO_MOUSE) << i;
    ASSERT_EQ(click.x, i % 595 - origin_x) << i;
    ASSERT_EQ(click.y, origin_y - i % 496) << i;
    ASSERT_EQ(key.kind, VELKO_KBD) << i;
    ASSERT_EQ(key.key, 'a' + i % 26) << i;
    // Input comes first: no tick, and no time passes, while any is queued.
    ASSERT_EQ(key.time_ms, 50) << i;
  }
  EXPECT_EQ(events.back().kind, VELKO_QUIT);
}
