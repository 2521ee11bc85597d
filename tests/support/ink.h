// Telling antialiased glyph ink apart from its background, for tests that
// look at drawn text without assuming which of its pixels are fully covered.
#pragma once

#include <cmath>
#include <cstdint>

// Whether a pixel is glyph ink of the colour on a white background: the
// colour itself or a blend of it into white. Colours are 0x00BBGGRR or
// 0x00RRGGBB alike, as long as pixel and ink agree.
inline bool is_ink_of(std::uint32_t pixel, std::uint32_t ink) {
  const auto channel = [](std::uint32_t c, int shift) {
    return static_cast<int>((c >> shift) & 0xFFu);
  };
  if ((pixel & 0xFFFFFFu) == 0xFFFFFFu)
    return false;
  // The blend weight, from the channel where ink and white differ most.
  int widest = 0;
  for (int shift : {0, 8, 16}) {
    if (255 - channel(ink, shift) > 255 - channel(ink, widest))
      widest = shift;
  }
  const int span = 255 - channel(ink, widest);
  if (span == 0)
    return false;
  const double weight = (255 - channel(pixel, widest)) / static_cast<double>(span);
  // Faint edge pixels are too close to white to tell one ink from another.
  if (255 - channel(pixel, widest) < 16 || weight > 1.0)
    return false;
  for (int shift : {0, 8, 16}) {
    const double expected = 255 - weight * (255 - channel(ink, shift));
    if (std::abs(expected - channel(pixel, shift)) > 3.0)
      return false;
  }
  return true;
}
