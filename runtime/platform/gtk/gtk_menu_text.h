// Menu item texts in the runtime's form ("&Animate\tCtrl+A": "&" before the
// mnemonic letter, "&&" for a literal ampersand, the shortcut after a tab)
// turned into what GTK shows: a mnemonic label ("_" before the letter, "__"
// for a literal underscore) and an accelerator to display at the right.
// Pure functions; no display needed.
#pragma once

#include <gdk/gdk.h>

#include <string>

struct GbMenuText {
  std::string label;     // for gtk_*_new_with_mnemonic
  std::string shortcut;  // the text after the tab, as given
  guint key = 0;         // the shortcut's key value; 0 when it could not be read
  GdkModifierType modifiers = static_cast<GdkModifierType>(0);
};

GbMenuText gb_parse_menu_text(const char* text);

// The label alone, for texts that carry no shortcut (menu bar titles).
std::string gb_mnemonic_label(const std::string& text);
