// Keyboard translation for the GTK backend: GDK key values to Windows
// virtual-key codes, and the characters Windows' translation makes from a key
// press. Pure functions; no display needed.
#pragma once

// The virtual-key code of a key, from its key value on the keyboard's base
// level (unshifted); 0 for keys that have no code.
unsigned gb_vk_from_keyval(unsigned keyval);

// The virtual-key code of a key by its place (its PC scan code), as on a US
// keyboard; for keys whose key value has none (é on a French keyboard's 2,
// a Cyrillic letter), as Windows' layouts give such keys the code of their
// place. 0 for none.
unsigned gb_vk_from_scan_code(unsigned scan_code);

// The character a key press makes as Windows makes it, from the key value GDK
// reports (Shift and the layout already applied) and whether Ctrl is held;
// 0 when the key makes none. Ctrl+letter gives the control characters 1..26,
// and Ctrl with [ \ ] ^ _ gives 27..31; other characters are given by their
// Windows-1252 code, and one Windows-1252 lacks gives none.
unsigned gb_char_from_keyval(unsigned keyval, unsigned vk, bool ctrl);

// A dead key (the accents of French and German keyboards) makes no character
// itself: it marks the next one.
bool gb_is_dead_key(unsigned keyval);

// What a key press makes after a dead key, as Windows' translation makes it:
// the accented letter (^ then e: ê), the accent alone for Space, or the
// accent and then the key's own character where they do not combine; each
// by the Windows-1252 rule, so a character Windows-1252 lacks is left out.
struct GbTyped {
  unsigned count = 0;
  unsigned chars[2] = {};
};
GbTyped gb_after_dead_key(unsigned dead_keyval, unsigned keyval, unsigned vk);

// Keys that belong to the window system rather than to the runtime: Alt and
// Alt combinations (menu mnemonics, window-manager keys) and F10 (the menu
// bar), which Windows sends as system keys. No key message is made for them.
bool gb_is_system_key(unsigned keyval, bool alt, bool ctrl);
