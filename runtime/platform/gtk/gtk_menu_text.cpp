// Menu item texts: mnemonics and shortcuts.
#include "runtime/platform/gtk/gtk_menu_text.h"

#include <strings.h>

#include <cctype>

namespace {

// Names a shortcut may use besides the single characters and GDK's own key
// names ("F5", "Home").
struct KeyName {
  const char* name;
  guint key;
};
constexpr KeyName key_names[] = {
    {"Del", GDK_KEY_Delete},     {"Delete", GDK_KEY_Delete},       {"Ins", GDK_KEY_Insert},
    {"Insert", GDK_KEY_Insert},  {"Esc", GDK_KEY_Escape},          {"Escape", GDK_KEY_Escape},
    {"Enter", GDK_KEY_Return},   {"Return", GDK_KEY_Return},       {"Space", GDK_KEY_space},
    {"Tab", GDK_KEY_Tab},        {"Backspace", GDK_KEY_BackSpace}, {"PgUp", GDK_KEY_Page_Up},
    {"PgDn", GDK_KEY_Page_Down}, {"Home", GDK_KEY_Home},           {"End", GDK_KEY_End},
    {"Left", GDK_KEY_Left},      {"Right", GDK_KEY_Right},         {"Up", GDK_KEY_Up},
    {"Down", GDK_KEY_Down},
};

guint key_from_name(const std::string& name) {
  if (name.size() == 1) {
    const unsigned char c = static_cast<unsigned char>(name[0]);
    if (c <= 32 || c >= 127)
      return 0;
    return gdk_unicode_to_keyval(static_cast<gunichar>(std::tolower(c)));
  }
  for (const KeyName& entry : key_names) {
    if (strcasecmp(entry.name, name.c_str()) == 0)
      return entry.key;
  }
  const guint key = gdk_keyval_from_name(name.c_str());
  return key == GDK_KEY_VoidSymbol ? 0 : key;
}

}  // namespace

std::string gb_mnemonic_label(const std::string& text) {
  std::string label;
  bool mnemonic_given = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '_') {
      label += "__";
    } else if (c != '&') {
      label += c;
    } else if (i + 1 < text.size() && text[i + 1] == '&') {
      label += '&';
      ++i;
    } else if (i + 1 < text.size() && !mnemonic_given) {
      // Only the first marked letter is the mnemonic; later marks are dropped.
      label += '_';
      mnemonic_given = true;
    }
  }
  return label;
}

GbMenuText gb_parse_menu_text(const char* text) {
  GbMenuText result;
  const std::string whole = text ? text : "";
  const std::size_t tab = whole.find('\t');
  result.label = gb_mnemonic_label(whole.substr(0, tab));
  if (tab == std::string::npos)
    return result;
  result.shortcut = whole.substr(tab + 1);

  // "Ctrl+Shift+A": modifiers, then the key. A "+" key itself is the last
  // character after a "+" ("Ctrl++").
  unsigned modifiers = 0;
  std::size_t start = 0;
  const std::string& s = result.shortcut;
  for (;;) {
    const std::size_t plus = s.find('+', start);
    if (plus == std::string::npos || plus + 1 >= s.size())
      break;
    const std::string part = s.substr(start, plus - start);
    if (strcasecmp(part.c_str(), "Ctrl") == 0 || strcasecmp(part.c_str(), "Control") == 0) {
      modifiers |= GDK_CONTROL_MASK;
    } else if (strcasecmp(part.c_str(), "Shift") == 0) {
      modifiers |= GDK_SHIFT_MASK;
    } else if (strcasecmp(part.c_str(), "Alt") == 0) {
      modifiers |= GDK_MOD1_MASK;
    } else {
      return result;  // not a shortcut we can read: shown as plain text
    }
    start = plus + 1;
  }
  const guint key = key_from_name(s.substr(start));
  if (key == 0)
    return result;
  result.key = key;
  result.modifiers = static_cast<GdkModifierType>(modifiers);
  return result;
}
