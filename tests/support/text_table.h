// The strings text is tested with on every backend, each with the characters
// it must show: UTF-8 in the students' languages, Windows-1252 bytes, byte
// sequences that only look like UTF-8, and a character no face holds.
#pragma once

#include <string>
#include <vector>

struct TextCase {
  const char* name;
  std::string bytes;     // as a program passes them
  std::u32string shown;  // the characters drawn
};

// The one character of the table that no face holds: it draws the faces'
// missing-glyph box. Every other one but the control characters has a glyph.
inline constexpr char32_t kNotInFaces = U'\U0001F600';

inline const std::vector<TextCase>& text_cases() {
  static const std::vector<TextCase> cases = {
      {"ascii", "Add Scoop 42!", U"Add Scoop 42!"},
      {"french and german", "Café où ü Straße Ä €", U"Café où ü Straße Ä €"},
      {"latin extended", "Łódź čřž ő ș ț", U"Łódź čřž ő ș ț"},
      {"greek", "Καλημέρα", U"Καλημέρα"},
      {"cyrillic", "Привет, ёж", U"Привет, ёж"},
      {"windows-1252", "Caf\xE9 \xFC \x80 \x93q\x94", U"Café ü € “q”"},
      // One byte that is not UTF-8 makes the whole text Windows-1252.
      {"utf-8 mixed with other bytes",
       "Stra\xC3\x9F"
       "e \xFF",
       U"StraÃŸe ÿ"},
      // Overlong, surrogate, past U+10FFFF, cut short: none is UTF-8.
      {"forms that are not utf-8", "\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xE2\x82",
       U"À¯ í\u00A0€ ô\u0090€€ â‚"},
      {"a character no face holds", "a\xF0\x9F\x98\x80z", U"a\U0001F600z"},
  };
  return cases;
}
