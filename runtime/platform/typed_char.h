// The one rule for a typed character, shared by the backends that learn
// characters as Unicode (gtk from key values, web from the browser's keys,
// win32 from its Unicode window procedure): a program is given one byte, the
// character's Windows-1252 code. A character Windows-1252 lacks (a Cyrillic
// or Greek letter, say) is given as nothing at all, never as another one.
#pragma once

#include <cstdint>

// The characters of Windows-1252's codes 128..159; 0 where the code is unused.
inline constexpr char16_t windows_1252_high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The Windows-1252 code of a Unicode character, or -1 when it has none. The
// C1 control characters (U+0080..U+009F), which no keyboard types, have none.
constexpr int windows_1252_from_unicode(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
    return static_cast<int>(code);
  for (int i = 0; i < 32; ++i) {
    if (windows_1252_high[i] != 0 && windows_1252_high[i] == code)
      return 0x80 + i;
  }
  return -1;
}
