// Menus: a GtkMenuBar with popups built from the runtime's calls. Every string
// item is a check item, since the runtime may set a check mark on any item by
// id; the mark follows only the runtime's calls. Shortcuts are shown at the
// right of their items but not installed as accelerators: the key presses
// reach the runtime as key messages and it acts on them itself.
#include "runtime/platform/gtk/gtk_internal.h"
#include "runtime/platform/gtk/gtk_menu_text.h"

namespace {

// Never freed, so menu handles stay safe to pass.
std::vector<std::unique_ptr<PlatMenu>>& menus() {
  static auto* all = new std::vector<std::unique_ptr<PlatMenu>>;  // kept past exit
  return *all;
}

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
  gb_open_display();
  install_menu_style();
  menus().push_back(std::make_unique<PlatMenu>());
  PlatMenu* menu = menus().back().get();
  menu->bar = bar;
  menu->widget = bar ? gtk_menu_bar_new() : gtk_menu_new();
  g_object_ref_sink(menu->widget);
  gtk_style_context_add_class(gtk_widget_get_style_context(menu->widget), "velko-menu");
  return menu;
}

// The toolkit destroys item widgets with their window; the records stay.
void forget_widget(GtkWidget*, gpointer data) {
  static_cast<GbMenuItem*>(data)->widget = nullptr;
}

PlatWindow* window_of(const PlatMenu* menu) {
  while (menu && menu->parent)
    menu = menu->parent;
  return menu ? menu->window : nullptr;
}

// Sets the toolkit's check mark without it counting as a choice.
void show_check(GbMenuItem* item) {
  if (!item->widget || !GTK_IS_CHECK_MENU_ITEM(item->widget))
    return;
  g_signal_handler_block(item->widget, item->activate_handler);
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item->widget), item->checked);
  g_signal_handler_unblock(item->widget, item->activate_handler);
}

// A choice of the user: the toolkit has already toggled a check item, which
// is undone, since the runtime sets the mark itself when it carries out the
// command.
void on_activate(GtkMenuItem*, gpointer data) {
  auto* item = static_cast<GbMenuItem*>(data);
  show_check(item);
  PlatWindow* window = window_of(item->owner);
  if (gb_alive(window))
    plat_post_message(window, PLAT_MSG_COMMAND, item->id, 0);
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

GbMenuItem* add_item(PlatMenu* menu, GtkWidget* widget) {
  menu->items.push_back(std::make_unique<GbMenuItem>());
  GbMenuItem* item = menu->items.back().get();
  item->owner = menu;
  item->widget = widget;
  g_object_ref_sink(widget);
  g_signal_connect(widget, "destroy", G_CALLBACK(forget_widget), item);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu->widget), widget);
  gtk_widget_show(widget);
  return item;
}

GbMenuItem* find_item(PlatMenu* menu, unsigned id) {
  if (!menu)
    return nullptr;
  for (auto& item : menu->items) {
    if (item->popup) {
      if (GbMenuItem* found = find_item(item->popup, id))
        return found;
    } else if (!(item->flags & PLAT_MENU_SEPARATOR) && item->id == id) {
      return item.get();
    }
  }
  return nullptr;
}

}  // namespace

PlatMenu* plat_create_menu_bar() {
  return new_menu(true);
}
PlatMenu* plat_create_popup_menu() {
  return new_menu(false);
}

void plat_append_menu_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text) {
  if (!menu)
    return;
  if (flags & PLAT_MENU_SEPARATOR) {
    GbMenuItem* item = add_item(menu, gtk_separator_menu_item_new());
    item->flags = flags;
    return;
  }
  GbMenuItem* item = add_item(menu, make_string_item(text));
  item->flags = flags;
  item->id = id;
  item->checked = (flags & PLAT_MENU_CHECKED) != 0;
  item->activate_handler =
      g_signal_connect(item->widget, "activate", G_CALLBACK(on_activate), item);
  show_check(item);
  if (flags & PLAT_MENU_GRAYED)
    gtk_widget_set_sensitive(item->widget, FALSE);
}

void plat_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text) {
  if (!bar || !popup || popup->parent)
    return;  // a popup hangs from one place only
  GtkWidget* widget = gtk_menu_item_new_with_mnemonic(gb_mnemonic_label(text ? text : "").c_str());
  GbMenuItem* item = add_item(bar, widget);
  item->popup = popup;
  popup->parent = bar;
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), popup->widget);
}

void plat_set_menu(PlatWindow* window, PlatMenu* bar) {
  if (!gb_alive(window) || !window->box || window->menu == bar)
    return;
  if (bar && (!bar->bar || bar->window))
    return;  // only a free menu bar can be attached
  if (PlatMenu* old = window->menu) {
    if (old->widget)
      gtk_container_remove(GTK_CONTAINER(window->box), old->widget);
    old->window = nullptr;
  }
  window->menu = bar;
  if (bar) {
    bar->window = window;
    gtk_box_pack_start(GTK_BOX(window->box), bar->widget, FALSE, FALSE, 0);
    gtk_box_reorder_child(GTK_BOX(window->box), bar->widget, 0);
    gtk_widget_show_all(bar->widget);
  }
  gb_window_menu_changed(window);
}

void plat_draw_menu_bar(PlatWindow* window) {
  if (gb_alive(window) && window->menu && window->menu->widget) {
    gtk_widget_queue_draw(window->menu->widget);
  }
}

void plat_check_menu_item(PlatMenu* menu, unsigned id, bool checked) {
  GbMenuItem* item = find_item(menu, id);
  if (!item)
    return;
  item->checked = checked;
  show_check(item);
}
