// Writes a canvas to a PNG file, for people to look at.
#pragma once

#include "runtime/platform/render/render.h"

// Writes the canvas (or its top-left width x height part, when both are
// positive) as an 8-bit RGB PNG. Answers false, with the reason on standard
// error, when the file cannot be written.
bool render_write_png(const PlatCanvas* canvas, const char* path, int width = 0, int height = 0);
