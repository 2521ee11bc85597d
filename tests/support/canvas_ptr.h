// Soft canvases owned by the test that made them.
#pragma once

#include <memory>

#include "runtime/platform/soft/soft.h"

struct CanvasDeleter {
  void operator()(PlatCanvas* canvas) const { soft_canvas_destroy(canvas); }
};
using CanvasPtr = std::unique_ptr<PlatCanvas, CanvasDeleter>;
