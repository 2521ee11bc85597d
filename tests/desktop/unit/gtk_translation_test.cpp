// The GTK backend's pure translations: key values to virtual keys and
// characters, and menu texts to GTK labels and accelerators. No display.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/platform/gtk/gtk_keys.h"
#include "runtime/platform/gtk/gtk_menu_text.h"
#include "runtime/platform/winsys/keyboard.h"

TEST(GtkKeys, VirtualKeyCodes) {
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_a), 65u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_Z), 90u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_0), 48u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_9), 57u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_Control_L), 17u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_Control_R), 17u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_Shift_R), 16u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_Return), 13u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_KP_Enter), 13u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_BackSpace), 8u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_ISO_Left_Tab), 9u);  // Shift+Tab
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_Escape), 27u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_space), 32u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_F1), 112u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_F12), 123u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_KP_7), 103u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_Left), 37u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_apostrophe), 222u);
  EXPECT_EQ(gb_vk_from_keyval(GDK_KEY_VoidSymbol), 0u);
}

TEST(GtkKeys, CharactersAsWindowsMakesThem) {
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_a, 65, false), unsigned('a'));
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_A, 65, false), unsigned('A'));
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_exclam, 49, false), unsigned('!'));
  // Other characters by their Windows-1252 code; none where it has none.
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_eacute, 50, false), 0xE9u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_EuroSign, 69, false), 0x80u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_oe, 79, false), 0x9Cu);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_ydiaeresis, 0xE7, false), 0xFFu);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_Cyrillic_shorti, 81, false), 0u);  // й, not its low 8 bits
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_Greek_alpha, 65, false), 0u);
  // Ctrl+letter is the control character, with or without Shift.
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_a, 65, true), 1u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_R, 82, true), 18u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_z, 90, true), 26u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_bracketleft, 219, true), 27u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_1, 49, true), 0u);
  // Control keys.
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_Tab, 9, false), 9u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_Return, 13, false), 13u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_Return, 13, true), 10u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_BackSpace, 8, false), 8u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_BackSpace, 8, true), 127u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_Escape, 27, false), 27u);
  // Keys without a character, whatever code point the toolkit gives them.
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_Delete, 46, false), 0u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_KP_Multiply, 106, false), unsigned('*'));
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_Control_L, 17, false), 0u);
  EXPECT_EQ(gb_char_from_keyval(GDK_KEY_F5, 116, false), 0u);
}

// What a key makes after a dead key, as Windows makes it.
TEST(GtkKeys, DeadKeysMarkTheNextCharacter) {
  struct Case {
    unsigned dead, keyval, vk;
    std::vector<unsigned> typed;
  };
  const Case cases[] = {
      {GDK_KEY_dead_circumflex, GDK_KEY_e, 'E', {0xEA}},      // ê
      {GDK_KEY_dead_circumflex, GDK_KEY_E, 'E', {0xCA}},      // Ê
      {GDK_KEY_dead_diaeresis, GDK_KEY_u, 'U', {0xFC}},       // ü
      {GDK_KEY_dead_acute, GDK_KEY_space, 32, {0xB4}},        // the accent alone
      {GDK_KEY_dead_circumflex, GDK_KEY_x, 'X', {'^', 'x'}},  // no x with ^
      {GDK_KEY_dead_caron, GDK_KEY_x, 'X', {'x'}},            // ˇ is not in Windows-1252
      {GDK_KEY_dead_caron, GDK_KEY_s, 'S', {0x9A}},           // š is
      {GDK_KEY_a, GDK_KEY_b, 'B', {'b'}},                     // no dead key at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyval);
    EXPECT_TRUE(gb_is_dead_key(c.dead) || c.dead == GDK_KEY_a);
    const GbTyped typed = gb_after_dead_key(c.dead, c.keyval, c.vk);
    EXPECT_EQ(std::vector<unsigned>(typed.chars, typed.chars + typed.count), c.typed);
  }
  EXPECT_FALSE(gb_is_dead_key(GDK_KEY_asciicircum));
}

TEST(GtkKeys, CharactersFromVirtualKeysAlone) {
  EXPECT_EQ(winsys_char_from_key('A', false, false), unsigned('a'));
  EXPECT_EQ(winsys_char_from_key('A', true, false), unsigned('A'));
  EXPECT_EQ(winsys_char_from_key('Q', false, true), 17u);
  EXPECT_EQ(winsys_char_from_key('1', true, false), unsigned('!'));
  EXPECT_EQ(winsys_char_from_key('0', true, false), unsigned(')'));
  EXPECT_EQ(winsys_char_from_key(13, false, false), 13u);
  EXPECT_EQ(winsys_char_from_key(46, false, false), 0u);
}

TEST(GtkKeys, SystemKeysStayWithTheWindowSystem) {
  EXPECT_TRUE(gb_is_system_key(GDK_KEY_Alt_L, false, false));
  EXPECT_TRUE(gb_is_system_key(GDK_KEY_F10, false, false));
  EXPECT_TRUE(gb_is_system_key(GDK_KEY_r, true, false));   // Alt+R: the Run menu
  EXPECT_FALSE(gb_is_system_key(GDK_KEY_r, true, true));   // Ctrl+Alt+R (AltGr) is a key
  EXPECT_FALSE(gb_is_system_key(GDK_KEY_r, false, true));  // Ctrl+R: the runtime's
  EXPECT_FALSE(gb_is_system_key(GDK_KEY_Control_L, true, false));
  EXPECT_FALSE(gb_is_system_key(GDK_KEY_Tab, false, false));
}

TEST(GtkMenuText, MnemonicsAndLiteralCharacters) {
  EXPECT_EQ(gb_mnemonic_label("&Run"), "_Run");
  EXPECT_EQ(gb_mnemonic_label("Advance one &frame"), "Advance one _frame");
  EXPECT_EQ(gb_mnemonic_label("Salt && pepper"), "Salt & pepper");
  EXPECT_EQ(gb_mnemonic_label("snake_case"), "snake__case");
  EXPECT_EQ(gb_mnemonic_label("&One &Two"), "_One Two");  // one mnemonic only
  EXPECT_EQ(gb_mnemonic_label("trailing&"), "trailing");
  EXPECT_EQ(gb_mnemonic_label(""), "");
}

TEST(GtkMenuText, ShortcutsAfterTheTab) {
  GbMenuText t = gb_parse_menu_text("&Animate\tCtrl+A");
  EXPECT_EQ(t.label, "_Animate");
  EXPECT_EQ(t.shortcut, "Ctrl+A");
  EXPECT_EQ(t.key, static_cast<guint>(GDK_KEY_a));
  EXPECT_EQ(t.modifiers, GDK_CONTROL_MASK);

  t = gb_parse_menu_text("Save\tCtrl+Shift+S");
  EXPECT_EQ(t.key, static_cast<guint>(GDK_KEY_s));
  EXPECT_EQ(t.modifiers, GDK_CONTROL_MASK | GDK_SHIFT_MASK);

  t = gb_parse_menu_text("Zoom in\tCtrl++");
  EXPECT_EQ(t.key, static_cast<guint>(GDK_KEY_plus));

  t = gb_parse_menu_text("Refresh\tF5");
  EXPECT_EQ(t.key, static_cast<guint>(GDK_KEY_F5));
  EXPECT_EQ(t.modifiers, 0);

  t = gb_parse_menu_text("Erase\tDel");
  EXPECT_EQ(t.key, static_cast<guint>(GDK_KEY_Delete));

  // Not a shortcut that can be read: kept as text, no key.
  t = gb_parse_menu_text("Odd\tHyper+Q");
  EXPECT_EQ(t.key, 0u);
  EXPECT_EQ(t.shortcut, "Hyper+Q");
  t = gb_parse_menu_text("Odd\tnot a key");
  EXPECT_EQ(t.key, 0u);

  t = gb_parse_menu_text("No shortcut");
  EXPECT_EQ(t.label, "No shortcut");
  EXPECT_TRUE(t.shortcut.empty());
  EXPECT_EQ(t.key, 0u);

  t = gb_parse_menu_text(nullptr);
  EXPECT_EQ(t.label, "");
}
