// The one rule for a typed character, shared by the backends that learn
// characters as Unicode (gtk from key values, web from the browser's keys,
// win32 from its Unicode window procedure): a program is given one byte, the
// character's Windows-1252 code. A character Windows-1252 lacks (a Cyrillic
// or Greek letter, say) is given as nothing at all, never as another one.
#pragma once

#include "runtime/platform/text_bytes.h"

// The Windows-1252 code of a Unicode character, or -1 when it has none. The
// C1 control characters (U+0080..U+009F), which no keyboard types, have none.
constexpr int windows_1252_from_unicode(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
    return static_cast<int>(code);
  for (int i = 0; code > 0xFF && i < 32; ++i) {
    if (text_bytes::kHigh[static_cast<std::size_t>(i)] == code)
      return 0x80 + i;
  }
  return -1;
}
