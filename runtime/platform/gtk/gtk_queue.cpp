// The message queue and the timers. Messages come out in the order Windows
// gives them: posted messages first, then a repaint of an invalid visible
// window, then an expired timer. The toolkit's own events are handled inside
// plat_peek_message and plat_wait_message, which is where its callbacks post
// the runtime's messages.
#include <array>
#include <cstdint>
#include <deque>

#include "runtime/platform/gtk/gtk_internal.h"
#include "runtime/platform/gtk/gtk_keys.h"
#include "runtime/platform/gtk/gtk_timing.h"
#include "runtime/platform/soft/keyboard.h"
#include "runtime/platform/soft/soft.h"

namespace {

struct Timer {
  PlatWindow* window = nullptr;
  unsigned id = 0;
  guint source = 0;
  bool expired = false;      // one timer message waits; later expiries add none
  std::uint64_t expiry = 0;  // order of the expiry among all timers
};

struct KeyLevels {
  bool known = false;
  unsigned plain = 0;
  unsigned shifted = 0;
};

struct Queue {
  std::deque<PlatMessage> posted;
  std::vector<std::unique_ptr<Timer>> timers;
  std::uint64_t expiries = 0;
  std::array<KeyLevels, 256> keys{};
  bool shift_down = false;
  bool ctrl_down = false;
};

// Kept past exit: timer callbacks point into it.
Queue& queue() {
  static auto* q = new Queue;
  return *q;
}

// Toolkit events handled per peek: enough for a burst of input, bounded so a
// stream of events cannot keep a peek from answering.
constexpr int PEEK_ITERATIONS = 32;

gboolean on_timeout(gpointer data) {
  auto* timer = static_cast<Timer*>(data);
  if (!timer->expired) {
    timer->expired = true;
    timer->expiry = ++queue().expiries;
  }
  return G_SOURCE_CONTINUE;
}

Timer* expired_timer() {
  Timer* oldest = nullptr;
  for (auto& timer : queue().timers) {
    if (timer->expired && (!oldest || timer->expiry < oldest->expiry))
      oldest = timer.get();
  }
  return oldest;
}

bool message_ready() {
  return !queue().posted.empty() || soft_window_to_paint() || expired_timer();
}

void remove_timers(PlatWindow* window, bool any_id, unsigned id) {
  auto& timers = queue().timers;
  for (auto it = timers.begin(); it != timers.end();) {
    if ((*it)->window == window && (any_id || (*it)->id == id)) {
      g_source_remove((*it)->source);
      it = timers.erase(it);
    } else {
      ++it;
    }
  }
}

// The keyboard state follows the key messages as they are taken.
void track_modifiers(const PlatMessage& message) {
  if (message.kind != PLAT_MSG_KEYDOWN && message.kind != PLAT_MSG_KEYUP)
    return;
  const bool down = message.kind == PLAT_MSG_KEYDOWN;
  if (message.wparam == PLAT_VK_SHIFT)
    queue().shift_down = down;
  if (message.wparam == PLAT_VK_CONTROL)
    queue().ctrl_down = down;
}

}  // namespace

void gb_forget_timers(PlatWindow* window) {
  remove_timers(window, true, 0);
}

void gb_remember_key(unsigned scan_code, unsigned plain_keyval, unsigned shifted_keyval) {
  queue().keys[scan_code & 0xFFu] = KeyLevels{true, plain_keyval, shifted_keyval};
}

bool gb_peek_message(PlatMessage* message) {
  for (int i = 0; i < PEEK_ITERATIONS && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
  auto& q = queue();
  if (!q.posted.empty()) {
    *message = q.posted.front();
    q.posted.pop_front();
    track_modifiers(*message);
    return true;
  }
  if (PlatWindow* window = soft_window_to_paint()) {
    *message = PlatMessage{window, PLAT_MSG_PAINT, 0, 0};
    return true;
  }
  if (Timer* timer = expired_timer()) {
    *message = PlatMessage{timer->window, PLAT_MSG_TIMER, timer->id, 0};
    timer->expired = false;
    return true;
  }
  return false;
}

void gb_translate_message(const PlatMessage* message) {
  if (!message || message->kind != PLAT_MSG_KEYDOWN)
    return;
  const auto& q = queue();
  const auto vk = static_cast<unsigned>(message->wparam);
  const KeyLevels& levels = q.keys[(static_cast<std::uintptr_t>(message->lparam) >> 16) & 0xFFu];
  const unsigned character =
      levels.known
          ? gb_char_from_keyval(q.shift_down ? levels.shifted : levels.plain, vk, q.ctrl_down)
          : soft_char_from_key(vk, q.shift_down, q.ctrl_down);
  if (character)
    gb_post_message(message->window, PLAT_MSG_CHAR, character, message->lparam);
}

PlatResult gb_dispatch_message(const PlatMessage* message) {
  if (!message)
    return 0;
  return soft_send(message->window, message->kind, message->wparam, message->lparam);
}

void gb_post_message(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  if (!soft_alive(window))
    return;
  queue().posted.push_back(PlatMessage{window, kind, wparam, lparam});
}

void gb_post_quit(int exit_code) {
  queue().posted.push_back(
      PlatMessage{nullptr, PLAT_MSG_QUIT, static_cast<PlatWParam>(exit_code), 0});
}

void gb_wait_message() {
  // The first wait is usually the one for the first tick: the faces are
  // loaded then, instead of delaying the first scene.
  static bool fonts_loaded = false;
  if (!fonts_loaded) {
    fonts_loaded = true;
    soft_fixed_font();
    gb_timing_mark("fonts");
  }
  while (!message_ready())
    g_main_context_iteration(nullptr, TRUE);
}

void gb_set_timer(PlatWindow* window, unsigned id, unsigned period_ms) {
  if (!soft_alive(window))
    return;
  remove_timers(window, false, id);
  auto timer = std::make_unique<Timer>();
  timer->window = window;
  timer->id = id;
  timer->source = g_timeout_add(period_ms > 0 ? period_ms : 1, on_timeout, timer.get());
  queue().timers.push_back(std::move(timer));
}

void gb_kill_timer(PlatWindow* window, unsigned id) {
  remove_timers(window, false, id);
}
