// Soft canvases owned by the test that made them.
#pragma once

#include <memory>

#include "runtime/platform/render/render.h"

struct CanvasDeleter {
  void operator()(PlatCanvas* canvas) const { render_canvas_destroy(canvas); }
};
using CanvasPtr = std::unique_ptr<PlatCanvas, CanvasDeleter>;
