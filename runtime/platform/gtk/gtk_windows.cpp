// The toolkit's side of a window: a top-level window with a menu bar slot and
// a drawing area for the client area, shown and hidden and sized as the
// window system says, and the toolkit's input and close signals handed to
// the window system as the runtime's messages.
//
// Each window's client-area pixels live in a software canvas, which is the
// window's backing store: the toolkit's draw signal copies them to the screen
// without asking the runtime, so only showing a window and resizing its client
// area make the runtime repaint (a paint message), and nothing the screen
// does can feed back into another repaint.
#include <algorithm>
#include <array>

#include "runtime/platform/gtk/gtk_internal.h"
#include "runtime/platform/gtk/gtk_keys.h"
#include "runtime/platform/gtk/gtk_scale.h"
#include "runtime/platform/gtk/gtk_timing.h"
#include "runtime/platform/render/render.h"
#include "runtime/platform/winsys/winsys.h"

namespace {

// Pixels changed: once the burst of drawing is over, the toolkit is asked to
// show the part that changed, and only that part goes to the window system.
// The runtime copies its whole surface after every event, mostly as it was;
// the copy damages only the pixels that differ, so an unchanged one costs the
// toolkit and the X server nothing.
gboolean show_changes(gpointer data) {
  auto* window = static_cast<PlatWindow*>(data);
  window->native->check_queued = false;
  const RenderBox box = render_canvas_take_damage(window->canvas);
  // A hidden window is drawn whole when it is shown again.
  if (winsys_alive(window) && window->visible && window->native->area && !box.empty()) {
    gtk_widget_queue_draw_area(window->native->area, box.x0, box.y0, box.x1 - box.x0,
                               box.y1 - box.y0);
  }
  return G_SOURCE_REMOVE;
}

// Ahead of the toolkit's own redraw, so that the change is painted in the
// same pass of the main loop.
void canvas_changed(void* context) {
  auto* window = static_cast<PlatWindow*>(context);
  if (!winsys_alive(window) || !window->native->area || window->native->check_queued)
    return;
  window->native->check_queued = true;
  g_idle_add_full(G_PRIORITY_HIGH_IDLE, show_changes, window, nullptr);
}

// Draws the canvas; whatever of the allocation lies beyond it gets the class
// background.
gboolean on_draw(GtkWidget* area, cairo_t* cr, gpointer data) {
  auto* window = static_cast<PlatWindow*>(data);
  const PlatCanvas* canvas = window->canvas;
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  if (gtk_widget_get_allocated_width(area) > canvas->width ||
      gtk_widget_get_allocated_height(area) > canvas->height) {
    const std::uint32_t pixel = render_pixel_from_color(window->window_class->background);
    cairo_set_source_rgb(cr, ((pixel >> 16) & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0,
                         (pixel & 0xFF) / 255.0);
    cairo_paint(cr);
  }
  if (canvas->width > 0 && canvas->height > 0) {
    // The canvas rows are 0x00RRGGBB words without padding: cairo's RGB24.
    cairo_surface_t* image = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(canvas->pixels.data())),
        CAIRO_FORMAT_RGB24, canvas->width, canvas->height, canvas->width * 4);
    gb_paint_canvas(cr, image, canvas->width, canvas->height);
    cairo_surface_destroy(image);
  }
  gb_timing_drawn(window, cr);
  return TRUE;
}

void on_size_allocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
  winsys_client_resized(static_cast<PlatWindow*>(data), allocation->width, allocation->height);
}

// Positions are in logical pixels, as the runtime's sizes are, at any scale.
PlatLParam position_param(double x, double y) {
  const int px = std::clamp(static_cast<int>(x), 0, 0xFFFF);
  const int py = std::clamp(static_cast<int>(y), 0, 0xFFFF);
  return winsys_size_param(px, py);
}

// Left button only, and only real presses: the toolkit's extra double- and
// triple-click events are not clicks of their own.
gboolean on_button_press(GtkWidget*, GdkEventButton* event, gpointer data) {
  if (event->type == GDK_BUTTON_PRESS && event->button == GDK_BUTTON_PRIMARY) {
    gb_timing_press(static_cast<PlatWindow*>(data));
    winsys_input(static_cast<PlatWindow*>(data), PLAT_MSG_LBUTTONDOWN, 1,
                 position_param(event->x, event->y));
  }
  return TRUE;
}

gboolean on_button_release(GtkWidget*, GdkEventButton* event, gpointer data) {
  if (event->button == GDK_BUTTON_PRIMARY) {
    winsys_input(static_cast<PlatWindow*>(data), PLAT_MSG_LBUTTONUP, 0,
                 position_param(event->x, event->y));
  }
  return TRUE;
}

// Which keys are down, by scan code, for the previous-state bit of a key-down.
std::array<bool, 256>& keys_down() {
  static std::array<bool, 256> down{};
  return down;
}

unsigned scan_code_of(const GdkEventKey* event) {
  // X key codes are the PC scan codes plus 8.
  return event->hardware_keycode >= 8 ? (event->hardware_keycode - 8u) & 0xFFu : 0u;
}

// The key's virtual-key code, from its value on the base level of the layout
// in use (Num Lock counted, as the keypad's codes follow it), so Shift+1 is
// the key "1" and a letter is its letter whatever the modifiers: the key
// labelled A on a French keyboard is A. A key whose base value has no code
// (é on the French 2, a Cyrillic letter) has the code of its place, and one
// that has no place on a PC keyboard but types a character has the code
// Windows gives such characters (VK_PACKET).
unsigned key_code_of(const GdkEventKey* event, unsigned scan) {
  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event->window));
  const auto num_lock = static_cast<GdkModifierType>(event->state & GDK_MOD2_MASK);
  for (int group : {static_cast<int>(event->group), 0}) {
    guint keyval = 0;
    if (gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode, num_lock, group,
                                            &keyval, nullptr, nullptr, nullptr)) {
      if (const unsigned vk = gb_vk_from_keyval(keyval))
        return vk;
    }
  }
  if (const unsigned vk = gb_vk_from_keyval(event->keyval))
    return vk;
  if (const unsigned vk = gb_vk_from_scan_code(scan))
    return vk;
  constexpr unsigned vk_packet = 0xE7;
  return gdk_keyval_to_unicode(event->keyval) != 0 ? vk_packet : 0;
}

// What the key gives without and with Shift; Caps Lock, Num Lock and the
// layout's third level stay as they are.
void remember_levels(const GdkEventKey* event, unsigned scan) {
  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event->window));
  const unsigned kept = event->state & ~(GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK);
  guint plain = event->keyval;
  guint shifted = event->keyval;
  gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode,
                                      static_cast<GdkModifierType>(kept), event->group, &plain,
                                      nullptr, nullptr, nullptr);
  gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode,
                                      static_cast<GdkModifierType>(kept | GDK_SHIFT_MASK),
                                      event->group, &shifted, nullptr, nullptr, nullptr);
  gb_remember_key(scan, plain, shifted);
}

// Keys reach the runtime before the toolkit's own handling, so Tab does not
// move the focus and Ctrl+letters are not taken as mnemonics or accelerators.
gboolean on_key(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* window = static_cast<PlatWindow*>(data);
  const bool ctrl = (event->state & GDK_CONTROL_MASK) != 0;
  const bool alt = (event->state & GDK_MOD1_MASK) != 0;
  if (gb_is_system_key(event->keyval, alt, ctrl))
    return FALSE;
  const unsigned scan = scan_code_of(event);
  const unsigned vk = key_code_of(event, scan);
  if (vk == 0)
    return TRUE;
  bool& down = keys_down()[scan];
  if (event->type == GDK_KEY_PRESS) {
    remember_levels(event, scan);
    const PlatLParam lparam = static_cast<PlatLParam>(1u | (scan << 16) | (down ? 1u << 30 : 0u));
    down = true;
    winsys_input(window, PLAT_MSG_KEYDOWN, vk, lparam);
  } else {
    down = false;
    winsys_input(window, PLAT_MSG_KEYUP, vk,
                 static_cast<PlatLParam>(1u | (scan << 16) | (1u << 30) | (1u << 31)));
  }
  return TRUE;
}

// The close box asks; the runtime's handling (by default, destruction) decides.
gboolean on_delete(GtkWidget*, GdkEvent*, gpointer data) {
  winsys_input(static_cast<PlatWindow*>(data), PLAT_MSG_CLOSE, 0, 0);
  return TRUE;
}

// The toolkit destroys a window on its own only when the window system took
// it away; the runtime then hears of it as of any destruction.
void on_destroy(GtkWidget*, gpointer data) {
  auto* window = static_cast<PlatWindow*>(data);
  window->native->window = nullptr;
  window->native->box = nullptr;
  window->native->area = nullptr;
  winsys_destroy_window(window);
}

GtkWidget* make_toplevel(PlatWindow* window, const char* title, bool resizable, int x, int y) {
  GtkWidget* toplevel = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(toplevel), title ? title : "");
  gtk_window_set_resizable(GTK_WINDOW(toplevel), resizable);
  gtk_window_move(GTK_WINDOW(toplevel), x, y);
  window->native->window = toplevel;
  window->native->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(toplevel), window->native->box);
  window->native->area = gtk_drawing_area_new();
  gtk_widget_set_hexpand(window->native->area, TRUE);
  gtk_widget_set_vexpand(window->native->area, TRUE);
  gtk_widget_add_events(window->native->area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  gtk_box_pack_end(GTK_BOX(window->native->box), window->native->area, TRUE, TRUE, 0);

  g_signal_connect(toplevel, "key-press-event", G_CALLBACK(on_key), window);
  g_signal_connect(toplevel, "key-release-event", G_CALLBACK(on_key), window);
  g_signal_connect(toplevel, "delete-event", G_CALLBACK(on_delete), window);
  g_signal_connect(toplevel, "destroy", G_CALLBACK(on_destroy), window);
  g_signal_connect(window->native->area, "draw", G_CALLBACK(on_draw), window);
  g_signal_connect(window->native->area, "size-allocate", G_CALLBACK(on_size_allocate), window);
  g_signal_connect(window->native->area, "button-press-event", G_CALLBACK(on_button_press), window);
  g_signal_connect(window->native->area, "button-release-event", G_CALLBACK(on_button_release),
                   window);
  return toplevel;
}

}  // namespace

// ---------------------------------------------------------------------------
// The driver's window hooks

void gb_window_created(PlatWindow* window) {
  window->native = new NativeWindow;  // kept with its record
  window->canvas->changed = canvas_changed;
  window->canvas->changed_context = window;
  make_toplevel(window, window->title.c_str(), window->resizable, window->x, window->y);
  gtk_widget_show_all(window->native->box);
}

// A fixed window's client area is exactly what its frame leaves; a
// resizable one starts with it.
void gb_window_sized(PlatWindow* window, int width, int height) {
  if (!window->native->area)
    return;
  if (window->resizable) {
    gtk_widget_set_size_request(window->native->area, 1, 1);
    int bar = 0;
    if (window->menu && window->menu->native->widget) {
      gtk_widget_get_preferred_height(window->menu->native->widget, nullptr, &bar);
    }
    gtk_window_set_default_size(GTK_WINDOW(window->native->window), std::max(width, 1),
                                std::max(height, 1) + bar);
  } else {
    gtk_widget_set_size_request(window->native->area, width, height);
  }
}

void gb_window_shown(PlatWindow* window, bool visible, bool was_visible) {
  if (!window->native->window)
    return;
  if (visible) {
    gtk_window_present(GTK_WINDOW(window->native->window));
    if (!was_visible && window == winsys_windows().front())
      gb_timing_mark("windows");
  } else {
    gtk_widget_hide(window->native->window);
  }
}

void gb_window_destroyed(PlatWindow* window) {
  if (GtkWidget* widget = window->native->window) {
    g_signal_handlers_disconnect_by_data(widget, window);
    window->native->window = nullptr;
    window->native->box = nullptr;
    window->native->area = nullptr;
    gtk_widget_destroy(widget);
  }
}

void gb_screen_size(int* width, int* height) {
  GdkRectangle geometry{0, 0, 1024, 768};
  if (GdkDisplay* display = gdk_display_get_default()) {
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor)
      monitor = gdk_display_get_monitor(display, 0);
    if (monitor)
      gdk_monitor_get_geometry(monitor, &geometry);
  }
  *width = geometry.width;
  *height = geometry.height;
}
