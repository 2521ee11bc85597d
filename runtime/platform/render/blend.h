// Glyph coverage blended into canvas pixels in the text colour.
#pragma once

#include <cstddef>
#include <cstdint>

// Blends a box of width x rows pixels from their coverage (rows stride
// pixels and stride bytes apart): each channel becomes
// (under * (255 - a) + ink * a + 127) / 255, rounded down, so a coverage of 0
// leaves a pixel as it was and 255 makes it the ink (canvas pixels are
// 0x00RRGGBB, and stay so). Nothing outside the box is read or written. Answers whether any
// coverage was above 0, that is whether anything may have changed.
bool render_blend_box(std::uint32_t* dst, std::ptrdiff_t dst_stride, const std::uint8_t* cover,
                      std::ptrdiff_t cover_stride, std::size_t width, std::size_t rows,
                      std::uint32_t ink);
