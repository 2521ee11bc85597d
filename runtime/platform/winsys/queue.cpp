// The message queue, the timers and key translation of the window system in
// memory, and the driver in use. Messages come out in the order Windows gives
// them: posted messages (a translated character is posted behind them), then
// the quit message once the program has asked for it, then input, then a
// repaint of an invalid visible window, then the oldest expired timer.
#include <algorithm>
#include <climits>
#include <deque>
#include <vector>

#include "runtime/platform/typed_char.h"
#include "runtime/platform/winsys/keyboard.h"
#include "runtime/platform/winsys/winsys.h"

namespace {

constexpr std::int32_t kNotTyped = -1;

struct Timer {
  PlatWindow* window = nullptr;
  unsigned id = 0;
  std::int64_t period = 1;
  std::int64_t due = 0;
};

// Input as the driver handed it; a key-down may come with the character the
// toolkit found for it (kNotTyped: none found, translation works it out).
struct Input {
  PlatMessage message;
  std::int32_t typed = kNotTyped;
};

struct Queue {
  std::deque<PlatMessage> posted;
  std::deque<Input> input;
  Input last_input;  // the input message taken last, for its translation
  std::vector<Timer> timers;
  bool quit = false;  // post_quit was called; the message comes after the posted ones
  int exit_code = 0;
  bool shift_down = false;
  bool ctrl_down = false;
  int waits = 0;
};

// Kept past exit: a toolkit may still call back while the process exits.
Queue& queue() {
  static auto* q = new Queue;
  return *q;
}

const WinsysDriver still_driver{};
const WinsysDriver* driver = &still_driver;

std::int64_t now() {
  return driver->now_ms ? driver->now_ms() : 0;
}

void poll() {
  if (driver->poll)
    driver->poll();
}

Timer* expired_timer() {
  const std::int64_t t = now();
  Timer* oldest = nullptr;
  for (Timer& timer : queue().timers) {
    if (timer.due <= t && (!oldest || timer.due < oldest->due))
      oldest = &timer;
  }
  return oldest;
}

bool message_ready() {
  poll();
  const Queue& q = queue();
  return !q.posted.empty() || !q.input.empty() || q.quit || winsys_window_to_paint() ||
         expired_timer();
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

bool take(std::deque<PlatMessage>& from, PlatMessage* message) {
  if (from.empty())
    return false;
  *message = from.front();
  from.pop_front();
  track_modifiers(*message);
  return true;
}

bool take_input(PlatMessage* message) {
  Queue& q = queue();
  if (q.input.empty())
    return false;
  q.last_input = q.input.front();
  q.input.pop_front();
  *message = q.last_input.message;
  track_modifiers(*message);
  return true;
}

bool same(const PlatMessage& a, const PlatMessage& b) {
  return a.window == b.window && a.kind == b.kind && a.wparam == b.wparam && a.lparam == b.lparam;
}

// The character a key-down makes: the one the toolkit found, if it found
// one for the key-down taken last, else the driver's or the US layout's.
unsigned character_of(const PlatMessage& key_down) {
  const Queue& q = queue();
  if (q.last_input.typed != kNotTyped && same(key_down, q.last_input.message)) {
    const int code = windows_1252_from_unicode(static_cast<char32_t>(q.last_input.typed));
    return code > 0 ? static_cast<unsigned>(code) : 0;
  }
  if (driver->char_from_key)
    return driver->char_from_key(key_down, q.shift_down, q.ctrl_down);
  return winsys_char_from_key(static_cast<unsigned>(key_down.wparam), q.shift_down, q.ctrl_down);
}

}  // namespace

void winsys_use(const WinsysDriver* d) {
  driver = d ? d : &still_driver;
}

const WinsysDriver& winsys_driver() {
  return *driver;
}

void winsys_input(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  if (winsys_alive(window))
    queue().input.push_back(Input{PlatMessage{window, kind, wparam, lparam}});
}

void winsys_input_typed_key(PlatWindow* window, PlatWParam key_code, PlatLParam lparam,
                            char32_t typed) {
  if (winsys_alive(window)) {
    queue().input.push_back(Input{PlatMessage{window, PLAT_MSG_KEYDOWN, key_code, lparam},
                                  static_cast<std::int32_t>(typed & 0x1FFFFFu)});
  }
}

void winsys_post_message(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  if (winsys_alive(window))
    queue().posted.push_back(PlatMessage{window, kind, wparam, lparam});
}

void winsys_post_quit(int exit_code) {
  queue().quit = true;
  queue().exit_code = exit_code;
}

bool winsys_peek_message(PlatMessage* message) {
  poll();
  Queue& q = queue();
  if (take(q.posted, message))
    return true;
  if (q.quit) {
    q.quit = false;
    *message = PlatMessage{nullptr, PLAT_MSG_QUIT, static_cast<PlatWParam>(q.exit_code), 0};
    return true;
  }
  if (take_input(message))
    return true;
  if (PlatWindow* window = winsys_window_to_paint()) {
    *message = PlatMessage{window, PLAT_MSG_PAINT, 0, 0};
    return true;
  }
  if (Timer* timer = expired_timer()) {
    *message = PlatMessage{timer->window, PLAT_MSG_TIMER, timer->id, 0};
    // Expiries missed while the message waited are merged into it.
    const std::int64_t t = now();
    while (timer->due <= t)
      timer->due += timer->period;
    return true;
  }
  return false;
}

void winsys_translate_message(const PlatMessage* message) {
  if (!message || message->kind != PLAT_MSG_KEYDOWN)
    return;
  const unsigned character = character_of(*message);
  if (character)
    winsys_post_message(message->window, PLAT_MSG_CHAR, character, message->lparam);
}

PlatResult winsys_dispatch_message(const PlatMessage* message) {
  if (!message)
    return 0;
  return winsys_send(message->window, message->kind, message->wparam, message->lparam);
}

void winsys_wait_message() {
  ++queue().waits;
  while (!message_ready()) {
    if (!driver->wait) {
      // Nothing can ever arrive without a source of input or time.
      winsys_post_quit(0);
      return;
    }
    std::int64_t deadline = INT64_MAX;
    for (const Timer& timer : queue().timers)
      deadline = std::min(deadline, timer.due);
    driver->wait(deadline);
  }
}

void winsys_set_timer(PlatWindow* window, unsigned id, unsigned period_ms) {
  if (!winsys_alive(window))
    return;
  winsys_kill_timer(window, id);
  const std::int64_t period = std::max(1u, period_ms);
  queue().timers.push_back(Timer{window, id, period, now() + period});
}

void winsys_kill_timer(PlatWindow* window, unsigned id) {
  std::erase_if(queue().timers, [&](const Timer& t) { return t.window == window && t.id == id; });
}

void winsys_forget_timers(PlatWindow* window) {
  std::erase_if(queue().timers, [&](const Timer& t) { return t.window == window; });
}

int winsys_wait_count() {
  return queue().waits;
}

void winsys_close_nothing() {}

void winsys_reset() {
  queue() = Queue{};
  winsys_forget_windows();
  winsys_forget_menus();
}
