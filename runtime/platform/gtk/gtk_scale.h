// Windows on a scaled display (GDK_SCALE=2, or a monitor the desktop scales
// to 200 %). The toolkit counts sizes and pointer positions in logical
// pixels and hands the draw handler a cairo context already scaled by the
// window's whole-number factor, so the sizes the runtime asks for and the
// clicks it gets stay as at 1x; only the copy of the canvas to the screen
// has to keep each pixel a sharp factor x factor block.
#pragma once

#include <cairo.h>

// Paints the image at the context's origin, each of its pixels a block of
// whole device pixels (nearest filtering, no blend of neighbours).
void gb_paint_canvas(cairo_t* cr, cairo_surface_t* image, int width, int height);
