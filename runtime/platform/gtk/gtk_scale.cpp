#include "runtime/platform/gtk/gtk_scale.h"

void gb_paint_canvas(cairo_t* cr, cairo_surface_t* image, int width, int height) {
  cairo_set_source_surface(cr, image, 0, 0);
  // At 1x this changes nothing; at 2x the default (bilinear) filter would
  // blur every edge of the runtime's pixel-exact drawing.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_fill(cr);
}
