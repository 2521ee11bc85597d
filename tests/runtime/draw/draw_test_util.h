// Helpers for the drawing tests: a clean log, surface snapshots and pixel
// counts in runtime coordinates.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/draw/palette.h"
#include "runtime/log/log_window.h"
#include "runtime/platform/render/render.h"
#include "runtime/window/window.h"
#include "tests/support/test_support.h"

// Forgets every stored log line, so that log_lines() shows only what follows.
inline void reset_log() {
  for (auto& line : log_ring)
    line.clear();
  log_first = -1;
  log_next = 0;
}

// Starts the runtime once per process (origin as in client_origin.h) and fills the
// surface with one colour.
inline void start_with_surface(PlatColor color) {
  if (!graphics_window)
    start_runtime();
  plat->draw->fill_rect(surface_dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, color);
  surface_dirty = 0;
}

inline std::vector<std::uint32_t> snapshot() {
  return surface_dc->pixels;
}

// Surface pixels (not runtime points) that differ from the snapshot.
struct Change {
  int count = 0;
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive bounds of the changes
};

inline Change changes_since(const std::vector<std::uint32_t>& before) {
  Change c;
  c.left = SURFACE_WIDTH;
  c.top = SURFACE_HEIGHT;
  for (int y = 0; y < SURFACE_HEIGHT; ++y) {
    for (int x = 0; x < SURFACE_WIDTH; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * SURFACE_WIDTH + x;
      if (surface_dc->pixels[i] == before[i])
        continue;
      ++c.count;
      c.left = std::min(c.left, x);
      c.right = std::max(c.right, x);
      c.top = std::min(c.top, y);
      c.bottom = std::max(c.bottom, y);
    }
  }
  return c;
}

// The pixel at a surface position (not a runtime point), as 0x00BBGGRR.
inline PlatColor surface_pixel(int x, int y) {
  return render_canvas_pixel(surface_dc, x, y);
}
