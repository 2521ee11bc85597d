// The GTK backend through the seam, on a private X server: window creation
// and sizes, the order of the queue, repaints, timers, menus, keys, clicks
// and closing. Toolkit input is synthesised as the toolkit's own events.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/platform/gtk/gtk_internal.h"
#include "runtime/platform/render/render.h"
#include "tests/desktop/desktop_support.h"
#include "tests/desktop/gtk_events.h"

namespace {

std::vector<PlatMessage> handled;  // every message the test handler saw
PlatMenu* test_popup = nullptr;
bool build_menu_on_create = true;

PlatResult test_handler(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  handled.push_back(PlatMessage{window, kind, wparam, lparam});
  if (kind == PLAT_MSG_CREATE && build_menu_on_create) {
    PlatMenu* bar = plat->create_menu_bar();
    test_popup = plat->create_popup_menu();
    plat->append_menu_item(test_popup, PLAT_MENU_STRING, 1, "&Animate\tCtrl+A");
    plat->append_menu_item(test_popup, PLAT_MENU_SEPARATOR, 0, nullptr);
    plat->append_menu_item(test_popup, PLAT_MENU_CHECKED, 4, "&Logging\tCtrl+L");
    plat->append_menu_item(test_popup, PLAT_MENU_STRING, 5, "&Record Script\tCtrl+R");
    plat->append_menu_item(test_popup, PLAT_MENU_GRAYED, 9, "Salt && pepper_1");
    plat->append_popup(bar, test_popup, "&Run");
    plat->set_menu(window, bar);
    plat->draw_menu_bar(window);
  }
  if (kind == PLAT_MSG_PAINT) {
    plat->begin_paint(window);
    plat->end_paint(window);
    return 0;
  }
  return plat->default_handler(window, kind, wparam, lparam);
}

void register_test_class() {
  PlatClass c;
  c.name = "TestClass";
  c.handler = test_handler;
  c.redraw_on_resize = true;
  c.background = 0x00FFFFFF;
  plat->register_class(&c);
}

std::string last_title;

// Each window has a title of its own, so the window system can tell them apart.
PlatWindow* make_window(bool resizable, bool with_menu = true, int width = 601, int height = 540) {
  static int made = 0;
  register_test_class();
  build_menu_on_create = with_menu;
  last_title = (resizable ? "Test Resizable " : "Test Fixed ") + std::to_string(++made);
  return plat->create_window("TestClass", last_title.c_str(), resizable, 0, 0, width, height,
                             nullptr);
}

// Takes messages for a while, dispatching each; answers those taken.
std::vector<PlatMessage> pump(int ms) {
  std::vector<PlatMessage> taken;
  const std::int64_t end = now_ms() + ms;
  while (now_ms() < end) {
    PlatMessage m;
    if (plat->peek_message(&m)) {
      taken.push_back(m);
      if (m.kind != PLAT_MSG_QUIT) {
        plat->translate_message(&m);
        plat->dispatch_message(&m);
      }
    } else {
      sleep_ms(2);
    }
  }
  return taken;
}

int count(const std::vector<PlatMessage>& ms, unsigned kind) {
  int n = 0;
  for (const auto& m : ms)
    n += m.kind == kind;
  return n;
}

const PlatMessage* first(const std::vector<PlatMessage>& ms, unsigned kind) {
  for (const auto& m : ms) {
    if (m.kind == kind)
      return &m;
  }
  return nullptr;
}

PlatLParam size_word(int w, int h) {
  return w | (h << 16);
}

// A key event as the X server would deliver it to the window.
void key(PlatWindow* window, bool press, guint keyval, unsigned state) {
  ASSERT_TRUE(gtk_key_event(window, press, keyval, state));
}

void button(PlatWindow* window, GdkEventType type, guint number, double x, double y) {
  gtk_button_event(window, type, number, x, y);
}

std::vector<GtkWidget*> children(GtkWidget* container) {
  std::vector<GtkWidget*> out;
  GList* list = gtk_container_get_children(GTK_CONTAINER(container));
  for (GList* l = list; l; l = l->next)
    out.push_back(GTK_WIDGET(l->data));
  g_list_free(list);
  return out;
}

}  // namespace

TEST(GtkBackend, FixedWindowWithMenuHasTheClassicClientArea) {
  handled.clear();
  PlatWindow* window = make_window(false);
  ASSERT_NE(window, nullptr);
  // Create first, then the size of the client area that the menu bar leaves.
  ASSERT_GE(handled.size(), 2u);
  EXPECT_EQ(handled.front().kind, PLAT_MSG_CREATE);
  EXPECT_EQ(handled.back().kind, PLAT_MSG_SIZE);
  EXPECT_EQ(handled.back().lparam, size_word(595, 496));
  int w = 0, h = 0;
  plat->client_size(window, &w, &h);
  EXPECT_EQ(w, 595);
  EXPECT_EQ(h, 496);

  plat->show_window(window, PLAT_SW_SHOWNORMAL);
  const auto taken = pump(400);
  // The real layout gives the drawing area exactly that size: no new size.
  EXPECT_EQ(count(taken, PLAT_MSG_SIZE), 0);
  EXPECT_EQ(gtk_widget_get_allocated_width(window->native->area), 595);
  EXPECT_EQ(gtk_widget_get_allocated_height(window->native->area), 496);
  EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(window->native->window)));
  // The menu bar sits above the client area.
  GtkAllocation bar;
  gtk_widget_get_allocation(window->menu->native->widget, &bar);
  GtkAllocation area;
  gtk_widget_get_allocation(window->native->area, &area);
  EXPECT_GT(bar.height, 0);
  EXPECT_EQ(area.y, bar.y + bar.height);
}

TEST(GtkBackend, WindowWithoutMenuAndUnknownClass) {
  PlatWindow* window = make_window(false, false);
  int w = 0, h = 0;
  plat->client_size(window, &w, &h);
  EXPECT_EQ(w, 595);
  EXPECT_EQ(h, 515);
  EXPECT_EQ(plat->create_window("NoSuchClass", "x", false, 0, 0, 10, 10, nullptr), nullptr);
}

TEST(GtkBackend, ScreenSizeIsTheMonitors) {
  int w = 0, h = 0;
  plat->screen_size(&w, &h);
  EXPECT_EQ(w, 1280);  // the private display's screen
  EXPECT_EQ(h, 1024);
}

TEST(GtkBackend, ShowingPaintsOnceAfterPostedMessagesAndPixelsReachTheScreen) {
  PlatWindow* window = make_window(false);
  EXPECT_FALSE(plat->show_window(window, PLAT_SW_SHOWNORMAL));
  EXPECT_TRUE(plat->show_window(window, PLAT_SW_SHOWNORMAL));
  plat->post_message(window, PLAT_MSG_COMMAND, 7, 0);
  PlatMessage m;
  ASSERT_TRUE(plat->peek_message(&m));
  EXPECT_EQ(m.kind, PLAT_MSG_COMMAND);
  ASSERT_TRUE(plat->peek_message(&m));
  EXPECT_EQ(m.kind, PLAT_MSG_PAINT);
  plat->dispatch_message(&m);

  // Drawing makes the toolkit redraw from the canvas, never the runtime repaint.
  PlatCanvas* canvas = plat->get_canvas(window);
  ASSERT_NE(canvas, nullptr);
  plat->draw->fill_rect(canvas, 0, 0, 595, 496, 0x000000FF);    // red
  plat->draw->fill_rect(canvas, 100, 50, 101, 51, 0x00FF0000);  // one blue pixel
  auto taken = pump(500);
  EXPECT_EQ(count(taken, PLAT_MSG_PAINT), 0);

  const unsigned long id = find_window(last_title, 2000);
  ASSERT_NE(id, 0u);
  const Image shot = capture(id);
  ASSERT_FALSE(shot.empty());
  const int top = shot.height - 496;  // the drawing area is packed last
  EXPECT_EQ(shot.at(0, top), 0x000000FFu);
  EXPECT_EQ(shot.at(594, shot.height - 1), 0x000000FFu);
  EXPECT_EQ(shot.at(100, top + 50), 0x00FF0000u);
  EXPECT_NE(shot.at(0, top - 1), 0x000000FFu);  // the menu bar
}

TEST(GtkBackend, HiddenWindowsAreNotPaintedAndShowingAgainRepaints) {
  PlatWindow* window = make_window(false);
  plat->show_window(window, PLAT_SW_SHOW);
  EXPECT_EQ(count(pump(200), PLAT_MSG_PAINT), 1);
  EXPECT_TRUE(plat->show_window(window, PLAT_SW_HIDE));
  EXPECT_FALSE(plat->show_window(window, PLAT_SW_HIDE));
  EXPECT_EQ(count(pump(100), PLAT_MSG_PAINT), 0);
  plat->show_window(window, PLAT_SW_SHOW);
  EXPECT_EQ(count(pump(200), PLAT_MSG_PAINT), 1);
}

TEST(GtkBackend, TimerExpiriesAreCoalescedAndComeAfterPostedMessages) {
  PlatWindow* window = make_window(false);
  plat->set_timer(window, 2, 40);
  sleep_ms(300);  // several periods pass without anyone taking messages
  plat->post_message(window, PLAT_MSG_COMMAND, 1, 0);
  PlatMessage m;
  ASSERT_TRUE(plat->peek_message(&m));
  EXPECT_EQ(m.kind, PLAT_MSG_COMMAND);
  ASSERT_TRUE(plat->peek_message(&m));
  EXPECT_EQ(m.kind, PLAT_MSG_TIMER);
  EXPECT_EQ(m.wparam, 2u);
  EXPECT_EQ(m.window, window);
  EXPECT_FALSE(plat->peek_message(&m));  // one message for all those expiries

  // Waiting blocks until the next expiry, which keeps to the timer's period.
  const std::int64_t start = now_ms();
  plat->wait_message();
  EXPECT_LE(now_ms() - start, 40 + 30);
  ASSERT_TRUE(plat->peek_message(&m));
  EXPECT_EQ(m.kind, PLAT_MSG_TIMER);

  plat->kill_timer(window, 2);
  EXPECT_EQ(count(pump(200), PLAT_MSG_TIMER), 0);
}

TEST(GtkBackend, QuitMessageCarriesTheExitCode) {
  plat->post_quit(3);
  PlatMessage m;
  ASSERT_TRUE(plat->peek_message(&m));
  EXPECT_EQ(m.kind, PLAT_MSG_QUIT);
  EXPECT_EQ(m.wparam, 3u);
  EXPECT_EQ(m.window, nullptr);
}

TEST(GtkBackend, MenuShowsMnemonicsShortcutsChecksAndGreyedItems) {
  PlatWindow* window = make_window(false);
  const auto bar_items = children(window->menu->native->widget);
  ASSERT_EQ(bar_items.size(), 1u);
  EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(bar_items[0])), "_Run");
  GtkWidget* popup = gtk_menu_item_get_submenu(GTK_MENU_ITEM(bar_items[0]));
  ASSERT_EQ(popup, test_popup->native->widget);
  const auto items = children(popup);
  ASSERT_EQ(items.size(), 5u);

  EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(items[0])), "_Animate");
  EXPECT_TRUE(gtk_menu_item_get_use_underline(GTK_MENU_ITEM(items[0])));
  guint key = 0;
  GdkModifierType mods{};
  gtk_accel_label_get_accel(GTK_ACCEL_LABEL(gtk_bin_get_child(GTK_BIN(items[0]))), &key, &mods);
  EXPECT_EQ(key, static_cast<guint>(GDK_KEY_a));
  EXPECT_EQ(mods, GDK_CONTROL_MASK);
  EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(items[1]));
  EXPECT_TRUE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(items[2])));
  EXPECT_FALSE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(items[3])));
  EXPECT_FALSE(gtk_widget_get_sensitive(items[4]));
  EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(items[4])), "Salt & pepper__1");

  // No accelerators are installed, so Ctrl+letters stay the runtime's keys.
  GSList* groups = gtk_accel_groups_from_object(G_OBJECT(window->native->window));
  EXPECT_EQ(groups, nullptr);
}

TEST(GtkBackend, CheckMarksFollowOnlyTheRuntime) {
  PlatWindow* window = make_window(false);
  pump(50);
  const auto items = children(test_popup->native->widget);
  auto* record = GTK_CHECK_MENU_ITEM(items[3]);

  // Set from code: the mark shows, and it is not taken for a choice.
  plat->check_menu_item(test_popup, 5, true);
  EXPECT_TRUE(gtk_check_menu_item_get_active(record));
  EXPECT_EQ(count(pump(50), PLAT_MSG_COMMAND), 0);

  // Chosen by the user: one command, and the toolkit's own toggle is undone.
  gtk_menu_item_activate(GTK_MENU_ITEM(record));
  EXPECT_TRUE(gtk_check_menu_item_get_active(record));
  const auto taken = pump(50);
  ASSERT_EQ(count(taken, PLAT_MSG_COMMAND), 1);
  EXPECT_EQ(first(taken, PLAT_MSG_COMMAND)->wparam, 5u);
  EXPECT_EQ(first(taken, PLAT_MSG_COMMAND)->window, window);

  // The runtime clears the mark as its answer to the command.
  plat->check_menu_item(test_popup, 5, false);
  EXPECT_FALSE(gtk_check_menu_item_get_active(record));
  gtk_menu_item_activate(GTK_MENU_ITEM(items[0]));
  const auto more = pump(50);
  ASSERT_EQ(count(more, PLAT_MSG_COMMAND), 1);
  EXPECT_EQ(first(more, PLAT_MSG_COMMAND)->wparam, 1u);
  EXPECT_FALSE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(items[0])));
}

TEST(GtkBackend, KeysBecomeVirtualKeysAndWindowsCharacters) {
  PlatWindow* window = make_window(false);
  plat->show_window(window, PLAT_SW_SHOW);
  pump(100);
  handled.clear();
  key(window, true, GDK_KEY_a, 0);
  key(window, false, GDK_KEY_a, 0);
  key(window, true, GDK_KEY_Shift_L, 0);
  key(window, true, GDK_KEY_A, GDK_SHIFT_MASK);
  key(window, true, GDK_KEY_exclam, GDK_SHIFT_MASK);
  key(window, false, GDK_KEY_Shift_L, GDK_SHIFT_MASK);
  key(window, true, GDK_KEY_Tab, 0);
  key(window, true, GDK_KEY_Return, 0);
  key(window, true, GDK_KEY_BackSpace, 0);
  key(window, true, GDK_KEY_Escape, 0);
  key(window, true, GDK_KEY_Control_R, 0);
  key(window, true, GDK_KEY_r, GDK_CONTROL_MASK);
  key(window, false, GDK_KEY_Control_R, GDK_CONTROL_MASK);
  key(window, true, GDK_KEY_F5, 0);
  key(window, true, GDK_KEY_Delete, 0);
  key(window, true, GDK_KEY_r, GDK_MOD1_MASK);  // Alt+R belongs to the menu bar
  const auto taken = pump(100);

  std::vector<unsigned> downs, chars;
  for (const auto& m : handled) {
    if (m.kind == PLAT_MSG_KEYDOWN)
      downs.push_back(static_cast<unsigned>(m.wparam));
    if (m.kind == PLAT_MSG_CHAR)
      chars.push_back(static_cast<unsigned>(m.wparam));
  }
  EXPECT_EQ(downs, (std::vector<unsigned>{65, 16, 65, 49, 9, 13, 8, 27, 17, 82, 116, 46}));
  EXPECT_EQ(chars, (std::vector<unsigned>{'a', 'A', '!', 9, 13, 8, 27, 18}));
  EXPECT_EQ(count(taken, PLAT_MSG_KEYUP), 3);
  const PlatMessage* up = first(taken, PLAT_MSG_KEYUP);
  EXPECT_EQ(up->wparam, 65u);
  EXPECT_EQ(static_cast<std::uint32_t>(up->lparam) >> 30, 3u);  // released, was down

  // Alt+R went to the toolkit, whose mnemonic opened the Run menu.
  EXPECT_TRUE(gtk_widget_get_visible(test_popup->native->widget));
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(window->menu->native->widget));
  pump(50);
}

TEST(GtkBackend, ForwardedKeyMessagesTranslateAlike) {
  PlatWindow* log = make_window(true);
  PlatWindow* graphics = make_window(false);
  plat->show_window(log, PLAT_SW_SHOW);
  pump(100);
  key(log, true, GDK_KEY_Shift_L, 0);
  key(log, true, GDK_KEY_B, GDK_SHIFT_MASK);
  key(log, false, GDK_KEY_Shift_L, GDK_SHIFT_MASK);
  // Take the log window's messages and pass each key on, as the log window does.
  std::vector<PlatMessage> chars;
  const std::int64_t end = now_ms() + 200;
  while (now_ms() < end) {
    PlatMessage m;
    if (!plat->peek_message(&m))
      continue;
    plat->translate_message(&m);
    if (m.window == log && (m.kind == PLAT_MSG_KEYDOWN || m.kind == PLAT_MSG_KEYUP)) {
      plat->post_message(graphics, m.kind, m.wparam, m.lparam);
    }
    if (m.kind == PLAT_MSG_CHAR)
      chars.push_back(m);
  }
  ASSERT_EQ(chars.size(), 2u);
  EXPECT_EQ(chars[0].window, log);
  EXPECT_EQ(chars[0].wparam, static_cast<PlatWParam>('B'));
  EXPECT_EQ(chars[1].window, graphics);
  EXPECT_EQ(chars[1].wparam, static_cast<PlatWParam>('B'));
}

TEST(GtkBackend, OnlyRealLeftPressesAreClicks) {
  PlatWindow* window = make_window(false);
  plat->show_window(window, PLAT_SW_SHOW);
  pump(100);
  button(window, GDK_BUTTON_PRESS, 1, 10.7, 20.2);
  button(window, GDK_BUTTON_RELEASE, 1, 10.7, 20.2);
  button(window, GDK_BUTTON_PRESS, 1, 11, 21);
  button(window, GDK_2BUTTON_PRESS, 1, 11, 21);
  button(window, GDK_BUTTON_RELEASE, 1, 11, 21);
  button(window, GDK_BUTTON_PRESS, 3, 30, 40);
  button(window, GDK_BUTTON_PRESS, 2, 30, 40);
  const auto taken = pump(100);
  std::vector<PlatLParam> downs;
  for (const auto& m : taken) {
    if (m.kind == PLAT_MSG_LBUTTONDOWN)
      downs.push_back(m.lparam);
  }
  EXPECT_EQ(downs, (std::vector<PlatLParam>{size_word(10, 20), size_word(11, 21)}));
  EXPECT_EQ(count(taken, PLAT_MSG_LBUTTONUP), 2);
}

TEST(GtkBackend, CloseBoxAsksAndTheDefaultHandlingDestroys) {
  PlatWindow* window = make_window(false);
  plat->show_window(window, PLAT_SW_SHOW);
  plat->set_timer(window, 2, 20);
  pump(100);
  PlatCanvas* canvas = plat->get_canvas(window);
  const std::string title = last_title;
  handled.clear();

  GdkEvent* event = gdk_event_new(GDK_DELETE);
  event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window->native->window)));
  put_gtk_event(event);
  pump(100);
  ASSERT_GE(handled.size(), 2u);
  EXPECT_EQ(handled[0].kind, PLAT_MSG_CLOSE);
  EXPECT_EQ(handled[1].kind, PLAT_MSG_DESTROY);
  EXPECT_EQ(window->native->window, nullptr);

  // The handle stays safe; nothing reaches the destroyed window any more.
  handled.clear();
  EXPECT_EQ(plat->get_canvas(window), nullptr);
  EXPECT_FALSE(plat->show_window(window, PLAT_SW_SHOW));
  int w = 1, h = 1;
  plat->client_size(window, &w, &h);
  EXPECT_EQ(w, 0);
  plat->post_message(window, PLAT_MSG_COMMAND, 1, 0);
  plat->set_timer(window, 3, 10);
  plat->check_menu_item(test_popup, 4, false);
  plat->draw->fill_rect(canvas, 0, 0, 10, 10, 0);  // a runtime still drawing into what it kept
  const auto taken = pump(150);
  EXPECT_TRUE(taken.empty());
  EXPECT_TRUE(handled.empty());
  EXPECT_EQ(find_window(title, 200), 0u);
}

TEST(GtkBackend, ResizingARedrawnWindowSendsSizeThenOneRepaint) {
  PlatWindow* window = make_window(true, false, 808, 327);
  int w = 0, h = 0;
  plat->client_size(window, &w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 300);
  plat->show_window(window, PLAT_SW_SHOW);
  pump(300);
  plat->client_size(window, &w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 300);
  EXPECT_TRUE(gtk_window_get_resizable(GTK_WINDOW(window->native->window)));

  gtk_window_resize(GTK_WINDOW(window->native->window), 400, 200);
  const auto taken = pump(500);
  const PlatMessage* size = first(taken, PLAT_MSG_SIZE);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->lparam, size_word(400, 200));
  EXPECT_EQ(count(taken, PLAT_MSG_PAINT), 1);
  plat->client_size(window, &w, &h);
  EXPECT_EQ(w, 400);
  EXPECT_EQ(h, 200);
}

TEST(GtkBackend, TheFirstProgramOnADisplayLoadsNoOpenGLDriver) {
  // Each case has a display of its own, so this process is the first GTK
  // program there, the one that would probe OpenGL to choose its visuals.
  PlatWindow* window = make_window(false);
  plat->show_window(window, PLAT_SW_SHOWNORMAL);
  pump(200);
  std::FILE* maps = std::fopen("/proc/self/maps", "r");
  ASSERT_NE(maps, nullptr);
  char line[4096];
  std::vector<std::string> drivers;
  while (std::fgets(line, sizeof line, maps)) {
    const std::string mapping(line);
    if (mapping.find("_dri.so") != std::string::npos ||
        mapping.find("libGLX_") != std::string::npos)
      drivers.push_back(mapping);
  }
  std::fclose(maps);
  EXPECT_TRUE(drivers.empty()) << drivers.front();
}

int main(int argc, char** argv) {
  return desktop_test_main(argc, argv, [] {
    if (const char* why = plat_open()) {
      std::fprintf(stderr, "gtk backend: %s\n", why);
      return false;
    }
    return true;
  });
}
