// Menus: a GtkMenuBar with popups built from the runtime's calls. Every string
// item is a check item, since the runtime may set a check mark on any item by
// id; the mark follows only the runtime's calls. Shortcuts are shown at the
// right of their items but not installed as accelerators: the key presses
// reach the runtime as key messages and it acts on them itself.
#include "runtime/platform/gtk/gtk_internal.h"
#include "runtime/platform/gtk/gtk_menu_text.h"

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

PlatMenu* new_menu(bool bar) {
  install_menu_style();
  PlatMenu* menu = soft_new_menu(bar);
  menu->native = new NativeMenu;  // kept with its record
  menu->native->widget = bar ? gtk_menu_bar_new() : gtk_menu_new();
  g_object_ref_sink(menu->native->widget);
  gtk_style_context_add_class(gtk_widget_get_style_context(menu->native->widget), "velko-menu");
  return menu;
}

// The toolkit destroys item widgets with their window; the records stay.
void forget_widget(GtkWidget*, gpointer data) {
  static_cast<SoftMenuItem*>(data)->native->widget = nullptr;
}

// Sets the toolkit's check mark without it counting as a choice.
void show_check(SoftMenuItem* item) {
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
  auto* item = static_cast<SoftMenuItem*>(data);
  show_check(item);
  PlatWindow* window = soft_menu_window(item->owner);
  if (soft_alive(window))
    gb_post_message(window, PLAT_MSG_COMMAND, item->id, 0);
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
void show_item(PlatMenu* menu, SoftMenuItem* item, GtkWidget* widget) {
  item->native = new NativeMenuItem;  // kept with its record
  item->native->widget = widget;
  g_object_ref_sink(widget);
  g_signal_connect(widget, "destroy", G_CALLBACK(forget_widget), item);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu->native->widget), widget);
  gtk_widget_show(widget);
}

}  // namespace

PlatMenu* gb_create_menu_bar() {
  return new_menu(true);
}

PlatMenu* gb_create_popup_menu() {
  return new_menu(false);
}

void gb_append_menu_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text) {
  SoftMenuItem* item = soft_append_item(menu, flags, id, text);
  if (!item)
    return;
  if (flags & PLAT_MENU_SEPARATOR) {
    show_item(menu, item, gtk_separator_menu_item_new());
    return;
  }
  show_item(menu, item, make_string_item(text));
  item->native->activate_handler =
      g_signal_connect(item->native->widget, "activate", G_CALLBACK(on_activate), item);
  show_check(item);
  if (flags & PLAT_MENU_GRAYED)
    gtk_widget_set_sensitive(item->native->widget, FALSE);
}

void gb_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text) {
  SoftMenuItem* item = soft_append_popup(bar, popup, text);
  if (!item)
    return;
  GtkWidget* widget = gtk_menu_item_new_with_mnemonic(gb_mnemonic_label(text ? text : "").c_str());
  show_item(bar, item, widget);
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), popup->native->widget);
}

void gb_set_menu(PlatWindow* window, PlatMenu* bar) {
  if (!soft_alive(window) || !window->native->box || !soft_menu_attachable(window, bar))
    return;
  if (PlatMenu* old = window->menu)
    gtk_container_remove(GTK_CONTAINER(window->native->box), old->native->widget);
  soft_attach_menu(window, bar);
  if (bar) {
    GtkWidget* widget = bar->native->widget;
    gtk_box_pack_start(GTK_BOX(window->native->box), widget, FALSE, FALSE, 0);
    gtk_box_reorder_child(GTK_BOX(window->native->box), widget, 0);
    gtk_widget_show_all(widget);
  }
  gb_window_menu_changed(window);
}

void gb_draw_menu_bar(PlatWindow* window) {
  if (soft_alive(window) && window->menu)
    gtk_widget_queue_draw(window->menu->native->widget);
}

void gb_check_menu_item(PlatMenu* menu, unsigned id, bool checked) {
  if (SoftMenuItem* item = soft_check_item(menu, id, checked))
    show_check(item);
}
