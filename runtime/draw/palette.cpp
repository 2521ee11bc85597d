// The 24 palette colours, their names and the colour check.
#include "runtime/draw/palette.h"

namespace {

constexpr PlatColor rgb(unsigned red, unsigned green, unsigned blue) {
  return blue * 65536u + green * 256u + red;
}

}  // namespace

const std::array<PlatColor, PALETTE_SIZE> palette_rgb = {
    rgb(0, 0, 0),        // BLACK
    rgb(255, 255, 255),  // WHITE
    rgb(255, 0, 0),      // RED
    rgb(0, 255, 0),      // GREEN
    rgb(0, 0, 255),      // BLUE
    rgb(255, 255, 0),    // YELLOW
    rgb(255, 0, 255),    // MAGENTA
    rgb(0, 255, 255),    // CYAN
    rgb(153, 0, 204),    // PURPLE
    rgb(0, 51, 153),     // NAVY_BLUE
    rgb(153, 102, 153),  // DUSTY_PLUM
    rgb(153, 255, 255),  // ICE_BLUE
    rgb(153, 255, 204),  // TURQUOISE
    rgb(255, 102, 0),    // ORANGE
    rgb(153, 102, 51),   // BROWN
    rgb(255, 153, 204),  // PINK
    rgb(255, 255, 153),  // CHALK
    rgb(204, 153, 51),   // GOLD
    rgb(255, 153, 102),  // PEACH
    rgb(0, 102, 51),     // FOREST_GREEN
    rgb(51, 204, 153),   // SEA_GREEN
    rgb(153, 153, 51),   // OLIVE
    rgb(128, 128, 128),  // GRAY_50
    rgb(204, 204, 204),  // GRAY_20
};

const std::array<const char*, PALETTE_SIZE> color_names = {
    "black",     "white",        "red",       "green",     "blue",       "yellow",
    "magenta",   "cyan",         "purple",    "navy blue", "dusty plum", "ice blue",
    "turquoise", "orange",       "brown",     "pink",      "chalk",      "gold",
    "peach",     "forest green", "sea green", "olive",     "50% gray",   "20% gray",
};

int check_color(int index) {
  if (index >= 0 && index < PALETTE_SIZE)
    return index;
  // Reported whatever the logging switch says: it governs only the echo lines.
  VELKO_log("Illegal color %d; using RED.\n", index);
  return RED;
}
