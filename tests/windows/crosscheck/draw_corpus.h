// One command of the cross-check corpus drawn through the drawing command
// executor on the surface of a runtime started on the headless backend, as
// the soft rasteriser draws it; shared by the GDI cross-check and the web
// build's parity check.
#pragma once

#include <cstdint>

#include "runtime/draw/draw_command.h"
#include "runtime/draw/text_blocks.h"
#include "runtime/platform/render/render.h"
#include "runtime/window/window.h"
#include "tests/support/draw_command_of.h"
#include "tests/windows/crosscheck/corpus.h"
#include "tests/windows/crosscheck/picture_file.h"

static_assert(corpus::TRIANGLE == DRAW_TRIANGLE && corpus::RECTANGLE == DRAW_RECTANGLE &&
              corpus::OVAL == DRAW_OVAL && corpus::LINE == DRAW_LINE &&
              corpus::PIXEL == DRAW_PIXEL && corpus::TEXT == DRAW_TEXT);
static_assert(corpus::kWidth == SURFACE_WIDTH && corpus::kHeight == SURFACE_HEIGHT);

inline void clear_corpus_surface() {
  plat->draw->fill_rect(surface_dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT,
                        render_color_from_pixel(corpus::kBackground));
}

inline corpus::Picture draw_corpus_command(const corpus::Command& c) {
  clear_corpus_surface();
  DrawCommand d = command_of(c.kind, c.ink.index, c.width, c.x1, c.y1, c.x2, c.y2, c.x3, c.y3);
  std::int32_t block = 0;
  if (c.kind == corpus::TEXT) {
    block = text_block_alloc(c.text.c_str(), static_cast<int>(c.text.size()));
    d.y2 = block;
  }
  execute_draw_command(d);
  if (block)
    text_block_free(block);
  return corpus::crop(surface_dc->pixels.data());
}
