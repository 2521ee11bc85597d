// A backend as a table of the seam's operations, so that one build can hold
// several backends and a process picks one when it starts (as a program picks
// a video driver): the desktop one by default, the in-memory one for checking
// a program without a display. The runtime's parts never see this header;
// they call the plat_* functions of platform.h, which the dispatcher hands to
// the backend in use.
//
// Each entry has exactly the type of its plat_* function. The optional
// entries (marked so) may be left null.
#pragma once

#include "runtime/platform/platform.h"

struct PlatBackend {
  const char* name = nullptr;

  // Opens the backend; null when ready, else why it cannot be used.
  const char* (*open)() = nullptr;
  void (*close)() = nullptr;  // optional
  void (*fail)(const char* message) = nullptr;
  decltype(&plat_note_event) note_event = nullptr;        // optional
  decltype(&plat_note_log_line) note_log_line = nullptr;  // optional

  decltype(&plat_register_class) register_class = nullptr;
  decltype(&plat_create_window) create_window = nullptr;
  decltype(&plat_show_window) show_window = nullptr;
  decltype(&plat_client_size) client_size = nullptr;
  decltype(&plat_screen_size) screen_size = nullptr;
  decltype(&plat_default_handler) default_handler = nullptr;
  decltype(&plat_begin_paint) begin_paint = nullptr;
  decltype(&plat_end_paint) end_paint = nullptr;

  decltype(&plat_peek_message) peek_message = nullptr;
  decltype(&plat_translate_message) translate_message = nullptr;
  decltype(&plat_dispatch_message) dispatch_message = nullptr;
  decltype(&plat_post_message) post_message = nullptr;
  decltype(&plat_post_quit) post_quit = nullptr;
  decltype(&plat_wait_message) wait_message = nullptr;

  decltype(&plat_set_timer) set_timer = nullptr;
  decltype(&plat_kill_timer) kill_timer = nullptr;

  decltype(&plat_create_menu_bar) create_menu_bar = nullptr;
  decltype(&plat_create_popup_menu) create_popup_menu = nullptr;
  decltype(&plat_append_menu_item) append_menu_item = nullptr;
  decltype(&plat_append_popup) append_popup = nullptr;
  decltype(&plat_set_menu) set_menu = nullptr;
  decltype(&plat_draw_menu_bar) draw_menu_bar = nullptr;
  decltype(&plat_check_menu_item) check_menu_item = nullptr;

  decltype(&plat_get_canvas) get_canvas = nullptr;
  decltype(&plat_release_canvas) release_canvas = nullptr;
  decltype(&plat_create_surface) create_surface = nullptr;
  decltype(&plat_blit) blit = nullptr;
  decltype(&plat_scroll) scroll = nullptr;
  decltype(&plat_fill_rect) fill_rect = nullptr;
  decltype(&plat_rectangle) rectangle = nullptr;
  decltype(&plat_ellipse) ellipse = nullptr;
  decltype(&plat_polygon) polygon = nullptr;
  decltype(&plat_line) line = nullptr;
  decltype(&plat_set_pixel) set_pixel = nullptr;

  decltype(&plat_fixed_font) fixed_font = nullptr;
  decltype(&plat_create_font) create_font = nullptr;
  decltype(&plat_delete_font) delete_font = nullptr;
  decltype(&plat_text_metrics) text_metrics = nullptr;
  decltype(&plat_text_extent) text_extent = nullptr;
  decltype(&plat_text_out) text_out = nullptr;
};

// The backends a build holds, each defined in its backend's folder.
extern const PlatBackend headless_backend;
extern const PlatBackend gtk_backend;
extern const PlatBackend win32_backend;

// The table in use: the one plat_open picked, or before that the build's
// default. For tests that talk to one backend directly.
const PlatBackend& plat_backend();
