// The contract's host on the GTK backend, on a private X server: input as
// the toolkit's own key and button events, real time.
#include <gtk/gtk.h>

#include <string>

#include "runtime/platform/gtk/gtk_internal.h"
#include "tests/contract/contract_host.h"
#include "tests/desktop/gtk_events.h"

bool host_open() {
  return plat_open() == nullptr && std::string(plat->name) == "gtk";
}

void host_key(PlatWindow* window, unsigned key_code, bool down) {
  // Letters are their lower-case key on the layout's base level.
  const unsigned base = key_code >= 'A' && key_code <= 'Z' ? key_code + 32 : key_code;
  gtk_key_event(window, down, gdk_unicode_to_keyval(base), 0);
}

void host_click(PlatWindow* window, int x, int y) {
  gtk_button_event(window, GDK_BUTTON_PRESS, 1, x, y);
  gtk_button_event(window, GDK_BUTTON_RELEASE, 1, x, y);
}

void host_settle() {
  gdk_display_sync(gdk_display_get_default());
}

void host_sleep_ms(int ms) {
  g_usleep(static_cast<gulong>(ms) * 1000);
}

bool host_menu_checked(PlatMenu* menu, unsigned id) {
  const WinsysMenuItem* item = winsys_find_item(menu, id);
  return item && item->native && item->native->widget &&
         gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item->native->widget));
}

void host_expected_client(int* width, int* height) {
  *width = 595;
  *height = 496;
}
