// Keyboard translation for the GTK backend: GDK key values to Windows
// virtual-key codes, and the characters Windows' translation makes from a key
// press. Pure functions; no display needed.
#pragma once

// The virtual-key code of a key, from its key value on the keyboard's base
// level (unshifted); 0 for keys that have no code.
unsigned gb_vk_from_keyval(unsigned keyval);

// The character a key press makes as Windows makes it, from the key value GDK
// reports (Shift and the layout already applied) and whether Ctrl is held;
// 0 when the key makes none. Ctrl+letter gives the control characters 1..26,
// and Ctrl with [ \ ] ^ _ gives 27..31; characters beyond 8 bits give none.
unsigned gb_char_from_keyval(unsigned keyval, unsigned vk, bool ctrl);

// Keys that belong to the window system rather than to the runtime: Alt and
// Alt combinations (menu mnemonics, window-manager keys) and F10 (the menu
// bar), which Windows sends as system keys. No key message is made for them.
bool gb_is_system_key(unsigned keyval, bool alt, bool ctrl);
