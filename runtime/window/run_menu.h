// The Run menu and the Ctrl+letter shortcuts.
#pragma once

#include "runtime/platform/platform.h"

enum : unsigned {
  IDM_ANIMATE = 1,
  IDM_HALT = 2,
  IDM_STEP = 3,
  IDM_LOGGING = 4,
  IDM_RECORD = 5,
  IDM_PLAYBACK = 6,
  IDM_PLAY_ONE = 7,
  IDM_QUIT = 8,
  IDM_INFO = 9,
};

// The Run popup; every check mark is set on it by item id.
extern PlatMenu* run_menu;

// 1 while the Ctrl key is taken to be down.
extern int ctrl_down;

// The graphics window's create, command, key-down and key-up branches.
void build_run_menu(PlatWindow* window);
void run_menu_command(PlatWParam id);
void run_menu_key_down(PlatWParam key_code);
void run_menu_key_up(PlatWParam key_code);
