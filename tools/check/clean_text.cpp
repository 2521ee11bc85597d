// Clean text for the reports; see clean_text.h.
#include "tools/check/clean_text.h"

#include <cstdio>

namespace check {
namespace {

const char* const REPLACEMENT = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t sequence_length(const std::string& text, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = at(i);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
    high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (i + length > text.size() || at(i + 1) < low || at(i + 1) > high)
    return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (at(i + k) < 0x80 || at(i + k) > 0xBF)
      return 0;
  return length;
}

bool forbidden(const std::string& text, std::size_t i, std::size_t length) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  if (length == 1)
    return (at(0) < 0x20 && at(0) != '\t' && at(0) != '\n') || at(0) == 0x7F;
  if (length == 2)
    return at(0) == 0xC2 && at(1) < 0xA0;                                 // C1 controls
  return length == 3 && at(0) == 0xEF && at(1) == 0xBF && at(2) >= 0xBE;  // U+FFFE, U+FFFF
}

}  // namespace

std::string clean_text(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length =
        static_cast<unsigned char>(text[i]) < 0x80 ? 1 : sequence_length(text, i);
    if (length == 0 || forbidden(text, i, length)) {
      out += REPLACEMENT;
      i += length ? length : 1;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

std::string terminal_safe(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c < 0x80 ? 1 : sequence_length(text, i);
    if (length == 0 || forbidden(text, i, length) || c == '\t' || c == '\n') {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", c);
      out += code;
      ++i;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

std::string clean_line(const std::string& text, std::size_t bytes) {
  std::string clean = clean_text(text);
  if (clean.size() <= bytes)
    return clean;
  std::size_t cut = bytes;
  while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80)
    --cut;  // not inside a character
  clean.resize(cut);
  return clean + "\xE2\x80\xA6";  // U+2026
}

std::vector<std::string> clean_lines(const std::vector<std::string>& lines, std::size_t count,
                                     std::size_t bytes) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < lines.size() && i < count; ++i)
    out.push_back(clean_line(lines[i], bytes));
  if (lines.size() > count)
    out.push_back("... " + std::to_string(lines.size() - count) + " more lines");
  return out;
}

std::string json_string(const std::string& text) {
  const std::string clean = clean_text(text);
  std::string out = "\"";
  out.reserve(clean.size() + 2);
  for (char c : clean) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '<':
        out += "\\u003c";  // no "</script>" even where JSON lands in a page
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

std::string markup(const std::string& text) {
  const std::string clean = clean_text(text);
  std::string out;
  out.reserve(clean.size());
  for (char c : clean) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace check
