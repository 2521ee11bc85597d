// The JSON reader; see json_reader.h.
#include "tools/check/json_reader.h"

#include <cstdlib>
#include <cstring>

namespace check {
namespace {

constexpr int MAX_DEPTH = 64;

struct Parser {
  const std::string& s;
  std::size_t i = 0;
  std::string error;

  bool fail(const char* what) {
    if (error.empty())
      error = std::string(what) + " at byte " + std::to_string(i);
    return false;
  }
  void space() {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t'))
      ++i;
  }
  bool literal(const char* word) {
    const std::size_t n = std::strlen(word);
    if (s.compare(i, n, word) != 0)
      return fail("an unknown word");
    i += n;
    return true;
  }
  static void utf8(unsigned code, std::string* out) {
    if (code < 0x80) {
      *out += static_cast<char>(code);
    } else if (code < 0x800) {
      *out += static_cast<char>(0xC0 | code >> 6);
      *out += static_cast<char>(0x80 | (code & 63));
    } else if (code < 0x10000) {
      *out += static_cast<char>(0xE0 | code >> 12);
      *out += static_cast<char>(0x80 | ((code >> 6) & 63));
      *out += static_cast<char>(0x80 | (code & 63));
    } else {
      *out += static_cast<char>(0xF0 | code >> 18);
      *out += static_cast<char>(0x80 | ((code >> 12) & 63));
      *out += static_cast<char>(0x80 | ((code >> 6) & 63));
      *out += static_cast<char>(0x80 | (code & 63));
    }
  }
  bool hex4(unsigned* code) {
    if (i + 4 > s.size())
      return fail("a short \\u escape");
    *code = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = s[i++];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0)
        return fail("a bad \\u escape");
      *code = *code << 4 | static_cast<unsigned>(digit);
    }
    return true;
  }
  bool string(std::string* out) {
    ++i;  // the opening quote
    while (i < s.size() && s[i] != '"') {
      const char c = s[i++];
      if (static_cast<unsigned char>(c) < 0x20)
        return fail("a control character in a string");
      if (c != '\\') {
        *out += c;
        continue;
      }
      if (i >= s.size())
        break;
      const char e = s[i++];
      const char* const plain = "\"\\/bfnrt";
      const char* const means = "\"\\/\b\f\n\r\t";
      if (const char* at = std::strchr(plain, e); at && e) {
        *out += means[at - plain];
      } else if (e == 'u') {
        unsigned code = 0;
        if (!hex4(&code))
          return false;
        if (code >= 0xD800 && code < 0xDC00 && s.compare(i, 2, "\\u") == 0) {
          i += 2;
          unsigned low = 0;
          if (!hex4(&low))
            return false;
          code = low >= 0xDC00 && low < 0xE000 ? 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00)
                                               : 0xFFFD;
        } else if (code >= 0xD800 && code < 0xE000) {
          code = 0xFFFD;  // a lone surrogate
        }
        utf8(code, out);
      } else {
        return fail("an unknown escape");
      }
    }
    if (i >= s.size())
      return fail("an unended string");
    ++i;
    return true;
  }
  bool value(Json* v, int depth) {
    if (depth > MAX_DEPTH)
      return fail("nesting too deep");
    space();
    if (i >= s.size())
      return fail("an unexpected end");
    const char c = s[i];
    if (c == '{') {
      v->kind = Json::OBJECT;
      ++i;
      space();
      if (i < s.size() && s[i] == '}') {
        ++i;
        return true;
      }
      for (;;) {
        space();
        if (i >= s.size() || s[i] != '"')
          return fail("a missing member name");
        std::string key;
        if (!string(&key))
          return false;
        space();
        if (i >= s.size() || s[i++] != ':')
          return fail("a missing ':'");
        v->keys.push_back(std::move(key));
        v->values.emplace_back();
        if (!value(&v->values.back(), depth + 1))
          return false;
        space();
        if (i < s.size() && s[i] == ',') {
          ++i;
        } else if (i < s.size() && s[i] == '}') {
          ++i;
          return true;
        } else {
          return fail("a missing ',' or '}'");
        }
      }
    }
    if (c == '[') {
      v->kind = Json::ARRAY;
      ++i;
      space();
      if (i < s.size() && s[i] == ']') {
        ++i;
        return true;
      }
      for (;;) {
        v->items.emplace_back();
        if (!value(&v->items.back(), depth + 1))
          return false;
        space();
        if (i < s.size() && s[i] == ',') {
          ++i;
        } else if (i < s.size() && s[i] == ']') {
          ++i;
          return true;
        } else {
          return fail("a missing ',' or ']'");
        }
      }
    }
    if (c == '"') {
      v->kind = Json::STRING;
      return string(&v->text);
    }
    if (c == 't' || c == 'f') {
      v->kind = Json::BOOLEAN;
      v->boolean = c == 't';
      return literal(c == 't' ? "true" : "false");
    }
    if (c == 'n')
      return literal("null");
    const std::size_t start = i;
    while (i < s.size() && std::strchr("+-0123456789.eE", s[i]) && s[i])
      ++i;
    const std::string digits = s.substr(start, i - start);
    char* end = nullptr;
    v->kind = Json::NUMBER;
    v->number = std::strtod(digits.c_str(), &end);
    if (digits.empty() || !end || *end)
      return fail("not a value");
    return true;
  }
};

}  // namespace

const Json& Json::operator[](const std::string& key) const {
  static const Json none;
  for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i)
    if (keys[i] == key)
      return values[i];
  return none;
}

std::string Json::str(const std::string& otherwise) const {
  return kind == STRING ? text : otherwise;
}

double Json::num(double otherwise) const {
  return kind == NUMBER ? number : otherwise;
}

bool Json::flag(bool otherwise) const {
  return kind == BOOLEAN ? boolean : otherwise;
}

bool parse_json(const std::string& text, Json* value, std::string* why) {
  Parser p{text, 0, ""};
  *value = Json{};
  bool good = p.value(value, 0);
  p.space();
  if (good && p.i != text.size())
    good = p.fail("more after the value");
  if (!good)
    *why = p.error;
  return good;
}

}  // namespace check
