// Toolkit input for the GTK backend's tests: key and button events made as
// the X server would deliver them to a window, handed to the toolkit at once.
#pragma once

#include <gtk/gtk.h>

#include "runtime/platform/gtk/gtk_internal.h"

inline void put_gtk_event(GdkEvent* event) {
  gtk_main_do_event(event);
  gdk_event_free(event);
}

// A key of the keyboard's layout; false when the layout has no such key.
inline bool gtk_key_event(PlatWindow* window, bool press, guint keyval, unsigned state) {
  GdkKeymapKey* keys = nullptr;
  gint n = 0;
  GdkDisplay* display = gdk_display_get_default();
  if (!gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &n))
    return false;
  GdkEvent* event = gdk_event_new(press ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
  event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window->native->window)));
  event->key.keyval = keyval;
  event->key.state = state;
  event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
  event->key.group = static_cast<guint8>(keys[0].group);
  event->key.time = GDK_CURRENT_TIME;
  gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
  g_free(keys);
  put_gtk_event(event);
  return true;
}

// A button event at a client point of the window's drawing area.
inline void gtk_button_event(PlatWindow* window, GdkEventType type, guint number, double x,
                             double y) {
  GdkEvent* event = gdk_event_new(type);
  event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window->native->area)));
  event->button.button = number;
  event->button.x = x;
  event->button.y = y;
  event->button.time = GDK_CURRENT_TIME;
  GdkDisplay* display = gdk_display_get_default();
  gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(display)));
  put_gtk_event(event);
}
