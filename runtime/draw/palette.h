// The 24 palette colours and the colour check.
#pragma once

#include <array>

#include "runtime/platform/platform.h"
#include "runtime/velko.h"

// 0x00BBGGRR words, indexed by colour index.
extern const std::array<PlatColor, PALETTE_SIZE> palette_rgb;
// Lower-case names, as the log lines print them.
extern const std::array<const char*, PALETTE_SIZE> color_names;

// A valid index unchanged; anything else becomes RED, with a line in the log.
int check_color(int index);
