// How the bytes of a text are read, wherever text is drawn or written out:
// text commands and log lines on every backend, the log panel in the
// browser, velko-check's log.txt.
//
// - A text that is valid UTF-8 is read as UTF-8, as every editor and
//   compiler of today writes string literals.
// - Any other text is Windows-1252, one character a byte, as programs written
//   for 8-bit text expect.
//
// The choice is made once for a whole text, never character by character: a
// stray byte never turns the rest of a line into other letters, and a
// Windows-1252 text is read as it always was unless every one of its bytes
// above 0x7F happens to form UTF-8 (such as "Ã©", which becomes "é"). Valid
// means strictly so: no overlong forms, no surrogates (U+D800..U+DFFF),
// nothing past U+10FFFF, no sequence cut short. ASCII reads the same either
// way.
//
// Nothing here reads past the count it is given, and no byte string can make
// it fail.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace text_bytes {

// The characters of bytes 0x80..0x9F in Windows-1252. Its five undefined
// bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) stay the C1 control codes of the same
// value, which faces draw as their missing-glyph box. (cmake/web_text.cmake
// reads this table for the characters the browser's faces keep.)
inline constexpr std::array<std::uint16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The character a byte stands for in Windows-1252.
constexpr char32_t windows_1252(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : byte;
}

// The well-formed UTF-8 sequence at the start of [p, end): its length, with
// its character in *c; 0 when the bytes there are not one.
inline int utf8_sequence(const unsigned char* p, const unsigned char* end, char32_t* c) {
  const unsigned b0 = p[0];
  if (b0 < 0x80) {
    *c = b0;
    return 1;
  }
  // The second byte's range is narrower after E0 (overlong), ED (surrogates),
  // F0 (overlong) and F4 (past U+10FFFF); C0, C1 and F5..FF never lead.
  int length = 0;
  unsigned low = 0x80, high = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    low = b0 == 0xE0 ? 0xA0 : 0x80;
    high = b0 == 0xED ? 0x9F : 0xBF;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    low = b0 == 0xF0 ? 0x90 : 0x80;
    high = b0 == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (end - p < length || p[1] < low || p[1] > high)
    return 0;
  char32_t value = b0 & (0x7Fu >> length);
  for (int i = 1; i < length; ++i) {
    if ((p[i] & 0xC0u) != 0x80u)
      return 0;
    value = (value << 6) | (p[i] & 0x3Fu);
  }
  *c = value;
  return length;
}

// Whether the n bytes of text are valid UTF-8.
inline bool is_utf8(const char* text, std::size_t n) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* end = p + n;
  while (p < end) {
    if (*p < 0x80) {
      ++p;
      continue;
    }
    char32_t c = 0;
    const int length = utf8_sequence(p, end, &c);
    if (length == 0)
      return false;
    p += length;
  }
  return true;
}

// The characters of a text by the rule, one at a time.
class Reader {
 public:
  Reader(const char* text, std::size_t n)
      : p_(reinterpret_cast<const unsigned char*>(text)), end_(p_ + n), utf8_(is_utf8(text, n)) {}

  // The next character into *c; false at the end.
  bool next(char32_t* c) {
    if (p_ >= end_)
      return false;
    if (*p_ < 0x80 || !utf8_) {
      *c = windows_1252(*p_++);
      return true;
    }
    p_ += utf8_sequence(p_, end_, c);  // never 0: the whole text was checked
    return true;
  }

  // How the text is read: as UTF-8, or byte by byte as Windows-1252.
  bool utf8() const { return utf8_; }

 private:
  const unsigned char* p_;
  const unsigned char* end_;
  bool utf8_;
};

// Appends a character (at most U+10FFFF) in UTF-8.
inline void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The text in UTF-8, read by the rule: a UTF-8 text as it is, any other
// converted from Windows-1252.
inline std::string to_utf8(const char* text, std::size_t n) {
  if (is_utf8(text, n))
    return std::string(text, n);
  std::string out;
  out.reserve(n + n / 2);
  for (std::size_t i = 0; i < n; ++i)
    append_utf8(out, windows_1252(static_cast<unsigned char>(text[i])));
  return out;
}

// Where to end a text that was cut after its first n bytes (a line longer
// than its buffer): n, or less when the cut fell inside the last character of
// a text that is UTF-8 up to there, so that it stays UTF-8 and is not read
// as Windows-1252 whole for want of its last bytes.
inline std::size_t utf8_cut(const char* text, std::size_t n) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  std::size_t start = n;
  // A character is at most 4 bytes: its lead lies among the last 3.
  for (int back = 1; back <= 3 && back <= static_cast<int>(n); ++back) {
    if ((p[n - back] & 0xC0u) != 0x80u) {
      start = n - back;
      break;
    }
  }
  if (start == n || p[start] < 0xC2)
    return n;
  const int wanted = p[start] >= 0xF0 ? 4 : p[start] >= 0xE0 ? 3 : 2;
  if (static_cast<int>(n - start) >= wanted || !is_utf8(text, start))
    return n;
  // The bytes after the lead must begin a valid sequence: completed with the
  // smallest continuation bytes allowed there, it must be one.
  const unsigned char second = p[start] == 0xE0 ? 0xA0 : p[start] == 0xF0 ? 0x90 : 0x80;
  unsigned char whole[4] = {p[start], second, 0x80, 0x80};
  for (std::size_t i = start + 1; i < n; ++i)
    whole[i - start] = p[i];
  char32_t c = 0;
  return utf8_sequence(whole, whole + wanted, &c) == wanted ? start : n;
}

}  // namespace text_bytes
