// The GTK driver's clock and waits, and the characters of its keyboard
// layout. The toolkit's own events are handled while the window system polls
// and waits, which is where its callbacks hand the runtime's messages over.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

#include "runtime/platform/gtk/gtk_internal.h"
#include "runtime/platform/gtk/gtk_keys.h"
#include "runtime/platform/gtk/gtk_timing.h"
#include "runtime/platform/render/render.h"
#include "runtime/platform/winsys/keyboard.h"
#include "runtime/platform/winsys/winsys.h"

namespace {

struct KeyLevels {
  bool known = false;
  unsigned plain = 0;
  unsigned shifted = 0;
};

std::array<KeyLevels, 256>& key_levels() {
  static std::array<KeyLevels, 256> keys{};
  return keys;
}

// Toolkit events handled per poll: enough for a burst of input, bounded so a
// stream of events cannot keep a poll from answering.
constexpr int POLL_ITERATIONS = 32;

gboolean deadline_reached(gpointer data) {
  *static_cast<bool*>(data) = true;
  return G_SOURCE_REMOVE;
}

}  // namespace

std::int64_t gb_now_ms() {
  return g_get_monotonic_time() / 1000;
}

void gb_poll() {
  for (int i = 0; i < POLL_ITERATIONS && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
}

void gb_wait(std::int64_t deadline) {
  // The first wait is usually the one for the first tick: the faces are
  // loaded then, instead of delaying the first scene.
  static bool fonts_loaded = false;
  if (!fonts_loaded) {
    fonts_loaded = true;
    render_fixed_font();
    gb_timing_mark("fonts");
  }
  bool reached = false;
  guint source = 0;
  if (deadline != INT64_MAX) {
    const std::int64_t ms = deadline - gb_now_ms();
    if (ms <= 0)
      return;
    source = g_timeout_add(static_cast<guint>(std::min<std::int64_t>(ms, G_MAXUINT)),
                           deadline_reached, &reached);
  }
  g_main_context_iteration(nullptr, TRUE);
  if (source && !reached)
    g_source_remove(source);
}

void gb_remember_key(unsigned scan_code, unsigned plain_keyval, unsigned shifted_keyval) {
  key_levels()[scan_code & 0xFFu] = KeyLevels{true, plain_keyval, shifted_keyval};
}

// A dead key waits, from its key-down's translation, for the next key that
// makes a character; keys that make none (Shift, for a capital) pass it by.
unsigned gb_char_from_key(const PlatMessage& key_down, bool shift, bool ctrl) {
  static unsigned pending_dead_key = 0;
  const auto vk = static_cast<unsigned>(key_down.wparam);
  const KeyLevels& levels =
      key_levels()[(static_cast<std::uintptr_t>(key_down.lparam) >> 16) & 0xFFu];
  if (!levels.known)
    return winsys_char_from_key(vk, shift, ctrl);
  const unsigned keyval = shift ? levels.shifted : levels.plain;
  if (!ctrl && gb_is_dead_key(keyval)) {
    if (pending_dead_key) {
      // Two accents: the first stands alone, the second waits.
      const GbTyped first = gb_after_dead_key(pending_dead_key, GDK_KEY_space, PLAT_VK_SPACE);
      pending_dead_key = keyval;
      return first.count ? first.chars[0] : 0;
    }
    pending_dead_key = keyval;
    return 0;
  }
  const unsigned own = gb_char_from_keyval(keyval, vk, ctrl);
  if (!pending_dead_key || ctrl || !own)
    return own;
  const GbTyped typed = gb_after_dead_key(pending_dead_key, keyval, vk);
  pending_dead_key = 0;
  if (typed.count == 2)
    winsys_post_message(key_down.window, PLAT_MSG_CHAR, typed.chars[0], key_down.lparam);
  return typed.count ? typed.chars[typed.count - 1] : 0;
}
