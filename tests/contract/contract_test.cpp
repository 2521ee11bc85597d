// The rules every backend keeps, written once against the seam: the order of
// the queue, merged timer ticks, dead handles, repaints after posted
// messages, showing and hiding, check marks, client sizes, the quit message
// and a destroyed window ending the run. The native backend is the
// reference: Windows gives posted messages, then the quit message, then
// input, then paint, then timers. Input is made as the user makes it
// (contract_host.h).
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/contract/contract_host.h"

namespace {

std::vector<PlatMessage> seen;  // what the handler was given
bool quit_on_destroy = false;

PlatResult handler(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  seen.push_back(PlatMessage{window, kind, wparam, lparam});
  if (kind == PLAT_MSG_DESTROY && quit_on_destroy)
    plat->post_quit(0);
  return plat->default_handler(window, kind, wparam, lparam);
}

class Contract : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(host_open()) << "the backend cannot be opened"; }

  void SetUp() override {
    PlatClass c;
    c.name = "ContractClass";
    c.handler = handler;
    c.background = 0x00FFFFFF;
    plat->register_class(&c);
    seen.clear();
    quit_on_destroy = false;
  }

  void TearDown() override {
    for (PlatWindow* w : made)
      plat->default_handler(w, PLAT_MSG_CLOSE, 0, 0);
    drain();
  }

  // A fixed window with a menu bar holding one popup with items 1 and 2.
  PlatWindow* window(bool shown = true) {
    static int count = 0;
    const std::string title = "Contract " + std::to_string(++count);
    PlatWindow* w =
        plat->create_window("ContractClass", title.c_str(), false, 0, 0, 601, 540, nullptr);
    EXPECT_NE(w, nullptr);
    PlatMenu* bar = plat->create_menu_bar();
    popup = plat->create_popup_menu();
    plat->append_menu_item(popup, PLAT_MENU_STRING, 1, "&One");
    plat->append_menu_item(popup, PLAT_MENU_CHECKED, 2, "&Two");
    plat->append_popup(bar, popup, "&Run");
    plat->set_menu(w, bar);
    made.push_back(w);
    if (shown) {
      plat->show_window(w, PLAT_SW_SHOW);
      drain();
    }
    return w;
  }

  // Takes and dispatches messages until none comes for a while; answers
  // them (quit included) in order, key-downs translated as a program does.
  std::vector<PlatMessage> drain(int quiet_ms = 150) {
    std::vector<PlatMessage> taken;
    auto last = std::chrono::steady_clock::now();
    for (int spins = 0; spins < 100000; ++spins) {
      host_settle();
      PlatMessage m;
      if (plat->peek_message(&m)) {
        taken.push_back(m);
        if (m.kind != PLAT_MSG_QUIT) {
          plat->translate_message(&m);
          plat->dispatch_message(&m);
        }
        last = std::chrono::steady_clock::now();
        continue;
      }
      if (std::chrono::steady_clock::now() - last > std::chrono::milliseconds(quiet_ms))
        break;
      host_sleep_ms(2);
    }
    return taken;
  }

  // The kinds taken, of those the test asks about, in order.
  static std::vector<unsigned> kinds(const std::vector<PlatMessage>& taken,
                                     std::vector<unsigned> wanted) {
    std::vector<unsigned> out;
    for (const PlatMessage& m : taken) {
      for (unsigned k : wanted) {
        if (m.kind == k)
          out.push_back(k);
      }
    }
    return out;
  }

  std::vector<PlatWindow*> made;
  PlatMenu* popup = nullptr;
};

TEST_F(Contract, ACharacterComesBeforeInputQueuedAfterItsKey) {
  PlatWindow* w = window();
  host_key(w, 'A', true);
  host_click(w, 10, 20);
  host_key(w, 'A', false);
  const auto taken = drain();
  const std::vector<unsigned> expected = {PLAT_MSG_KEYDOWN, PLAT_MSG_CHAR, PLAT_MSG_LBUTTONDOWN,
                                          PLAT_MSG_KEYUP};
  EXPECT_EQ(kinds(taken, {PLAT_MSG_KEYDOWN, PLAT_MSG_CHAR, PLAT_MSG_LBUTTONDOWN, PLAT_MSG_KEYUP}),
            expected);
  for (const PlatMessage& m : taken) {
    if (m.kind == PLAT_MSG_CHAR) {
      EXPECT_EQ(m.wparam, static_cast<PlatWParam>('a'));
    }
    if (m.kind == PLAT_MSG_LBUTTONDOWN) {
      EXPECT_EQ(m.lparam, static_cast<PlatLParam>(10 | (20 << 16)));
    }
  }
}

TEST_F(Contract, TimerTicksMergeWhileUnread) {
  PlatWindow* w = window();
  plat->set_timer(w, 7, 20);
  host_sleep_ms(300);  // many periods, nobody reading
  PlatMessage m;
  int ticks = 0;
  while (plat->peek_message(&m)) {
    if (m.kind == PLAT_MSG_TIMER) {
      ++ticks;
      EXPECT_EQ(m.wparam, 7u);
    }
    plat->dispatch_message(&m);
  }
  EXPECT_EQ(ticks, 1);
  plat->kill_timer(w, 7);
}

TEST_F(Contract, PaintComesAfterPostedMessages) {
  PlatWindow* w = window(false);
  plat->show_window(w, PLAT_SW_SHOW);  // invalid now
  plat->post_message(w, PLAT_MSG_COMMAND, 1, 0);
  const auto taken = drain();
  const std::vector<unsigned> expected = {PLAT_MSG_COMMAND, PLAT_MSG_PAINT};
  auto order = kinds(taken, {PLAT_MSG_COMMAND, PLAT_MSG_PAINT});
  ASSERT_GE(order.size(), 2u);
  order.resize(2);
  EXPECT_EQ(order, expected);
}

TEST_F(Contract, ShowingAnswersWhetherTheWindowWasVisible) {
  PlatWindow* w = window(false);
  EXPECT_FALSE(plat->show_window(w, PLAT_SW_SHOW));
  EXPECT_TRUE(plat->show_window(w, PLAT_SW_SHOW));
  EXPECT_TRUE(plat->show_window(w, PLAT_SW_HIDE));
  EXPECT_FALSE(plat->show_window(w, PLAT_SW_HIDE));
}

TEST_F(Contract, CheckMarksFollowTheCalls) {
  window();
  EXPECT_FALSE(host_menu_checked(popup, 1));
  EXPECT_TRUE(host_menu_checked(popup, 2));
  plat->check_menu_item(popup, 1, true);
  plat->check_menu_item(popup, 2, false);
  EXPECT_TRUE(host_menu_checked(popup, 1));
  EXPECT_FALSE(host_menu_checked(popup, 2));
}

TEST_F(Contract, TheClientAreaIsWhatTheSizeMessageSaid) {
  PlatWindow* w = window();
  int width = 0, height = 0;
  plat->client_size(w, &width, &height);
  EXPECT_GT(width, 0);
  EXPECT_GT(height, 0);
  int expected_w = 0, expected_h = 0;
  host_expected_client(&expected_w, &expected_h);
  if (expected_w > 0) {
    EXPECT_EQ(width, expected_w);
    EXPECT_EQ(height, expected_h);
  }
  PlatLParam last_size = -1;
  for (const PlatMessage& m : seen) {
    if (m.window == w && m.kind == PLAT_MSG_SIZE)
      last_size = m.lparam;
  }
  EXPECT_EQ(last_size, static_cast<PlatLParam>(width | (height << 16)));
}

TEST_F(Contract, TheQuitMessageComesAfterPostedMessagesAheadOfInput) {
  PlatWindow* w = window();
  plat->post_message(w, PLAT_MSG_COMMAND, 1, 0);
  host_click(w, 5, 5);
  host_settle();
  plat->post_quit(3);
  const auto taken = drain();
  const std::vector<unsigned> expected = {PLAT_MSG_COMMAND, PLAT_MSG_QUIT, PLAT_MSG_LBUTTONDOWN};
  EXPECT_EQ(kinds(taken, {PLAT_MSG_COMMAND, PLAT_MSG_QUIT, PLAT_MSG_LBUTTONDOWN}), expected);
  for (const PlatMessage& m : taken) {
    if (m.kind == PLAT_MSG_QUIT) {
      EXPECT_EQ(m.wparam, 3u);
      EXPECT_EQ(m.window, nullptr);
    }
  }
}

TEST_F(Contract, ADestroyedWindowEndsTheRunAndIgnoresEveryCall) {
  PlatWindow* w = window();
  quit_on_destroy = true;
  plat->default_handler(w, PLAT_MSG_CLOSE, 0, 0);  // the close box's default
  const auto taken = drain();
  EXPECT_EQ(kinds(taken, {PLAT_MSG_QUIT}).size(), 1u);
  bool destroyed = false;
  for (const PlatMessage& m : seen)
    destroyed = destroyed || (m.window == w && m.kind == PLAT_MSG_DESTROY);
  EXPECT_TRUE(destroyed);

  // Every call on the dead window does nothing and answers nothing.
  seen.clear();
  EXPECT_FALSE(plat->show_window(w, PLAT_SW_SHOW));
  int width = -1, height = -1;
  plat->client_size(w, &width, &height);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);
  EXPECT_EQ(plat->get_canvas(w), nullptr);
  plat->post_message(w, PLAT_MSG_COMMAND, 1, 0);
  plat->set_timer(w, 1, 1);
  plat->set_menu(w, plat->create_menu_bar());
  plat->draw_menu_bar(w);
  host_sleep_ms(20);
  EXPECT_TRUE(kinds(drain(), {PLAT_MSG_COMMAND, PLAT_MSG_TIMER, PLAT_MSG_PAINT}).empty());
  EXPECT_TRUE(seen.empty());
  made.clear();
}

}  // namespace
