// Menus: a GtkMenuBar with popups that show the window system's menu records. Every string
// item is a check item, since the runtime may set a check mark on any item by
// id; the mark follows only the runtime's calls. Shortcuts are shown at the
// right of their items but not installed as accelerators: the key presses
// reach the runtime as key messages and it acts on them itself.
#include "runtime/platform/gtk/gtk_internal.h"
#include "runtime/platform/gtk/gtk_menu_text.h"
#include "runtime/platform/winsys/winsys.h"

namespace {

// Check marks as Windows shows them: the column is always there, and only a
// checked item shows its tick, with no empty box beside the other items.
void install_menu_style() {
  static bool installed = false;
  if (installed)
    return;
  installed = true;
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(
      provider, "menu.velko-menu menuitem check { border-color: transparent; }", -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

// The toolkit destroys item widgets with their window; the records stay.
void forget_widget(GtkWidget*, gpointer data) {
  static_cast<WinsysMenuItem*>(data)->native->widget = nullptr;
}

// Sets the toolkit's check mark without it counting as a choice.
void show_check(WinsysMenuItem* item) {
  GtkWidget* widget = item->native->widget;
  if (!widget || !GTK_IS_CHECK_MENU_ITEM(widget))
    return;
  g_signal_handler_block(widget, item->native->activate_handler);
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), item->checked);
  g_signal_handler_unblock(widget, item->native->activate_handler);
}

// A choice of the user: the toolkit has already toggled a check item, which
// is undone, since the runtime sets the mark itself when it carries out the
// command.
void on_activate(GtkMenuItem*, gpointer data) {
  auto* item = static_cast<WinsysMenuItem*>(data);
  show_check(item);
  PlatWindow* window = winsys_menu_window(item->owner);
  winsys_input(window, PLAT_MSG_COMMAND, item->id, 0);
}

GtkWidget* make_string_item(const char* text) {
  const GbMenuText parsed = gb_parse_menu_text(text);
  if (parsed.key == 0 && !parsed.shortcut.empty()) {
    // A shortcut the accelerator label cannot show goes into the label as text.
    return gtk_check_menu_item_new_with_mnemonic((parsed.label + "    " + parsed.shortcut).c_str());
  }
  GtkWidget* widget = gtk_check_menu_item_new_with_mnemonic(parsed.label.c_str());
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget));
  if (parsed.key != 0 && GTK_IS_ACCEL_LABEL(label)) {
    gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), parsed.key, parsed.modifiers);
  }
  return widget;
}

// Gives a new record its widget, in the menu's widget.
void show_item(PlatMenu* menu, WinsysMenuItem* item, GtkWidget* widget) {
  item->native = new NativeMenuItem;  // kept with its record
  item->native->widget = widget;
  g_object_ref_sink(widget);
  g_signal_connect(widget, "destroy", G_CALLBACK(forget_widget), item);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu->native->widget), widget);
  gtk_widget_show(widget);
}

}  // namespace

void gb_menu_created(PlatMenu* menu) {
  install_menu_style();
  menu->native = new NativeMenu;  // kept with its record
  menu->native->widget = menu->bar ? gtk_menu_bar_new() : gtk_menu_new();
  g_object_ref_sink(menu->native->widget);
  gtk_style_context_add_class(gtk_widget_get_style_context(menu->native->widget), "velko-menu");
}

void gb_menu_item_added(PlatMenu* menu, WinsysMenuItem* item) {
  if (item->popup) {
    GtkWidget* widget = gtk_menu_item_new_with_mnemonic(gb_mnemonic_label(item->text).c_str());
    show_item(menu, item, widget);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), item->popup->native->widget);
    return;
  }
  if (item->flags & PLAT_MENU_SEPARATOR) {
    show_item(menu, item, gtk_separator_menu_item_new());
    return;
  }
  show_item(menu, item, make_string_item(item->text.c_str()));
  item->native->activate_handler =
      g_signal_connect(item->native->widget, "activate", G_CALLBACK(on_activate), item);
  show_check(item);
  if (item->flags & PLAT_MENU_GRAYED)
    gtk_widget_set_sensitive(item->native->widget, FALSE);
}

void gb_menu_attached(PlatWindow* window, PlatMenu* old) {
  GtkWidget* box = window->native->box;
  if (!box)
    return;
  if (old)
    gtk_container_remove(GTK_CONTAINER(box), old->native->widget);
  if (PlatMenu* bar = window->menu) {
    GtkWidget* widget = bar->native->widget;
    gtk_box_pack_start(GTK_BOX(box), widget, FALSE, FALSE, 0);
    gtk_box_reorder_child(GTK_BOX(box), widget, 0);
    gtk_widget_show_all(widget);
  }
}

void gb_menu_bar_drawn(PlatWindow* window) {
  if (window->menu)
    gtk_widget_queue_draw(window->menu->native->widget);
}

void gb_menu_item_checked(WinsysMenuItem* item) {
  show_check(item);
}
