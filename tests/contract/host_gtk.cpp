// The contract's host on the GTK backend, on a private X server: input as
// the toolkit's own key and button events, real time.
#include <gtk/gtk.h>

#include <string>

#include "runtime/platform/gtk/gtk_internal.h"
#include "tests/contract/contract_host.h"

namespace {

void put_event(GdkEvent* event) {
  gtk_main_do_event(event);
  gdk_event_free(event);
}

}  // namespace

bool host_open() {
  return plat_open() == nullptr && std::string(plat->name) == "gtk";
}

void host_key(PlatWindow* window, unsigned key_code, bool down) {
  GdkDisplay* display = gdk_display_get_default();
  const guint keyval =
      gdk_unicode_to_keyval(key_code >= 'A' && key_code <= 'Z' ? key_code + 32 : key_code);
  GdkKeymapKey* keys = nullptr;
  gint n = 0;
  if (!gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &n))
    return;
  GdkEvent* event = gdk_event_new(down ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
  event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window->native->window)));
  event->key.keyval = keyval;
  event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
  event->key.group = static_cast<guint8>(keys[0].group);
  event->key.time = GDK_CURRENT_TIME;
  gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
  g_free(keys);
  put_event(event);
}

void host_click(PlatWindow* window, int x, int y) {
  for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window->native->area)));
    event->button.button = 1;
    event->button.x = x;
    event->button.y = y;
    event->button.time = GDK_CURRENT_TIME;
    GdkDisplay* display = gdk_display_get_default();
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(display)));
    put_event(event);
  }
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
