// The GTK backend's table: windows, menus and the queue from this folder,
// canvases and text from the shared software half.
#include "runtime/platform/backend.h"
#include "runtime/platform/gtk/gtk_internal.h"
#include "runtime/platform/soft/soft.h"

constinit const PlatBackend gtk_backend = soft_with_canvases({
    .name = "gtk",
    .open = gb_open_display,
    .fail = soft_fail,
    .register_class = soft_register_class,
    .create_window = gb_create_window,
    .show_window = gb_show_window,
    .client_size = soft_client_size,
    .screen_size = gb_screen_size,
    .default_handler = gb_default_handler,
    .begin_paint = soft_begin_paint,
    .end_paint = soft_end_paint,
    .peek_message = gb_peek_message,
    .translate_message = gb_translate_message,
    .dispatch_message = gb_dispatch_message,
    .post_message = gb_post_message,
    .post_quit = gb_post_quit,
    .wait_message = gb_wait_message,
    .set_timer = gb_set_timer,
    .kill_timer = gb_kill_timer,
    .create_menu_bar = gb_create_menu_bar,
    .create_popup_menu = gb_create_popup_menu,
    .append_menu_item = gb_append_menu_item,
    .append_popup = gb_append_popup,
    .set_menu = gb_set_menu,
    .draw_menu_bar = gb_draw_menu_bar,
    .check_menu_item = gb_check_menu_item,
    .get_canvas = soft_get_canvas,
    .release_canvas = soft_release_canvas,
});
