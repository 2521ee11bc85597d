// The characters a key makes on a US keyboard, as Windows' translation makes
// them, for backends that keep their own keyboard state.
#pragma once

#include "runtime/platform/shared_api.h"

VELKO_SHARED_BEGIN

// The character of a key by its virtual-key code, with Shift and Ctrl as
// given; 0 when the key makes none. Ctrl+letter gives the control characters
// 1..26.
unsigned winsys_char_from_key(unsigned key_code, bool shift, bool ctrl);

VELKO_SHARED_END
