// The Run menu on the graphics window's menu bar, its commands, and the
// Ctrl+letter shortcuts that carry out the same commands.
#include "runtime/window/run_menu.h"

#include "runtime/log/log_window.h"
#include "runtime/window/events.h"
#include "runtime/window/script.h"

PlatMenu* run_menu = nullptr;
int ctrl_down = 0;

#ifndef VELKO_VERSION_STRING
#define VELKO_VERSION_STRING "(unknown version)"
#endif

namespace {

struct MenuEntry {
  unsigned flags;
  unsigned id;
  const char* text;
};

// The Run popup, top to bottom. Separators carry no id and no text; the
// three switches are checkable, the rest commands.
constexpr MenuEntry run_menu_entries[] = {
    {PLAT_MENU_STRING, IDM_ANIMATE, "&Animate\tCtrl+A"},
    {PLAT_MENU_STRING, IDM_HALT, "&Halt animation\tCtrl+H"},
    {PLAT_MENU_STRING, IDM_STEP, "Advance one &frame\tCtrl+F"},
    {PLAT_MENU_SEPARATOR, 0, nullptr},
    // Logging starts on, so its item starts checked.
    {PLAT_MENU_CHECKED | PLAT_MENU_CHECKABLE, IDM_LOGGING, "&Logging\tCtrl+L"},
    {PLAT_MENU_SEPARATOR, 0, nullptr},
    {PLAT_MENU_CHECKABLE, IDM_RECORD, "&Record Script\tCtrl+R"},
    {PLAT_MENU_CHECKABLE, IDM_PLAYBACK, "&Playback Script\tCtrl+P"},
    {PLAT_MENU_STRING, IDM_PLAY_ONE, "Play &One Script\tCtrl+O"},
    {PLAT_MENU_SEPARATOR, 0, nullptr},
    {PLAT_MENU_STRING, IDM_QUIT, "&Quit\tCtrl+Q"},
    {PLAT_MENU_SEPARATOR, 0, nullptr},
    // Information only: greyed, so they cannot be chosen.
    {PLAT_MENU_GRAYED, IDM_INFO, "VELKO runtime " VELKO_VERSION_STRING},
    {PLAT_MENU_GRAYED, IDM_INFO, "Documentation: README.md and docs/"},
    {PLAT_MENU_GRAYED, IDM_INFO, "Sources: runtime/ and designer/"},
    {PLAT_MENU_GRAYED, IDM_INFO, "Tests: tests/"},
};

struct Shortcut {
  PlatWParam key_code;
  unsigned id;
};

constexpr Shortcut shortcuts[] = {
    {'A', IDM_ANIMATE}, {'H', IDM_HALT},     {'F', IDM_STEP},     {'L', IDM_LOGGING},
    {'R', IDM_RECORD},  {'P', IDM_PLAYBACK}, {'O', IDM_PLAY_ONE}, {'Q', IDM_QUIT},
};

void toggle_logging() {
  // Unlike VELKO_set_logging, the menu never shows or hides the log window.
  logging_enabled = logging_enabled == 1 ? 0 : 1;
  plat->check_menu_item(run_menu, IDM_LOGGING, logging_enabled == 1);
}

void switch_playback_off() {
  playing = 0;
  plat->check_menu_item(run_menu, IDM_PLAYBACK, false);
  close_script();
}

// Recording and playback share one stream and one counter, so they are never
// on together: switching one on first switches the other off in its normal way.
void toggle_recording() {
  if (recording) {
    stop_recording();
    return;
  }
  if (playing)
    switch_playback_off();
  play_one = 0;
  // A run left over from playback must not end up in the new script.
  periodic_run = 0;
  recording = 1;
  plat->check_menu_item(run_menu, IDM_RECORD, true);
}

void toggle_playback() {
  if (playing) {
    switch_playback_off();
    return;
  }
  if (recording)
    stop_recording();
  animate = 0;
  single_step = 0;
  playing = 1;
  plat->check_menu_item(run_menu, IDM_PLAYBACK, true);
}

void request_play_one() {
  if (recording)
    stop_recording();
  play_one = 1;
  animate = 0;
  single_step = 0;
}

}  // namespace

void build_run_menu(PlatWindow* window) {
  PlatMenu* bar = plat->create_menu_bar();
  run_menu = plat->create_popup_menu();
  for (const MenuEntry& entry : run_menu_entries) {
    plat->append_menu_item(run_menu, entry.flags, entry.id, entry.text);
  }
  plat->append_popup(bar, run_menu, "&Run");
  plat->set_menu(window, bar);
  plat->draw_menu_bar(window);
}

void run_menu_command(PlatWParam id) {
  // The whole parameter is compared, so only commands from the menu itself
  // (notification code 0) are taken.
  switch (id) {
    case IDM_ANIMATE:
      animate = 1;
      break;
    case IDM_HALT:
      animate = 0;
      break;
    case IDM_STEP:
      animate = 0;
      single_step = 1;
      break;
    case IDM_LOGGING:
      toggle_logging();
      break;
    case IDM_RECORD:
      toggle_recording();
      break;
    case IDM_PLAYBACK:
      toggle_playback();
      break;
    case IDM_PLAY_ONE:
      request_play_one();
      break;
    case IDM_QUIT:
      plat->post_quit(0);
      break;
    default:
      break;
  }
}

void run_menu_key_down(PlatWParam key_code) {
  if (key_code == PLAT_VK_CONTROL) {
    ctrl_down = 1;
    return;
  }
  if (!ctrl_down)
    return;
  for (const Shortcut& shortcut : shortcuts) {
    if (shortcut.key_code == key_code) {
      run_menu_command(shortcut.id);
      return;
    }
  }
}

void run_menu_key_up(PlatWParam key_code) {
  if (key_code == PLAT_VK_CONTROL)
    ctrl_down = 0;
}
