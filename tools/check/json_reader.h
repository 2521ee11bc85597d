// A small JSON reader for the files velko-check itself wrote (a slice's
// slice.json), read as input that may have been tampered with: bounded in
// depth, every error a message, never a crash.
#pragma once

#include <string>
#include <vector>

namespace check {

struct Json {
  enum Kind { NUL, BOOLEAN, NUMBER, STRING, ARRAY, OBJECT } kind = NUL;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Json> items;  // an array's
  // An object's members, in order: their names, and their values alike.
  // (Not pairs: a pair of a type still being declared is not allowed.)
  std::vector<std::string> keys;
  std::vector<Json> values;

  // A member, or a null value when there is none (or this is no object).
  const Json& operator[](const std::string& key) const;
  // The value as a string, number or boolean; `otherwise` when it is not one.
  std::string str(const std::string& otherwise = "") const;
  double num(double otherwise = 0) const;
  bool flag(bool otherwise = false) const;
};

// False, with where and why in *why, when `text` is not one JSON value.
bool parse_json(const std::string& text, Json* value, std::string* why);

}  // namespace check
