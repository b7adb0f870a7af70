// ASCII case without the locale: the one lower-casing and the one
// case-insensitive comparison of names that the plug-ins, the kit and the
// setup program use (creature tunables, brain and behaviour names, setup's
// keywords, driver and file names). Letters outside A to Z are compared as
// they are.
#ifndef TESSERA_KIT_ASCII_H_
#define TESSERA_KIT_ASCII_H_

#include <string>
#include <string_view>

inline char ktAsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// `text` with every ASCII capital lower-cased.
inline std::string ktAsciiLowerCopy(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = ktAsciiLower(c);
  return lower;
}

// Whether `a` and `b` hold the same characters without regard to ASCII case;
// every character counts, a null character too.
inline bool ktSameTextNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (ktAsciiLower(a[i]) != ktAsciiLower(b[i])) return false;
  return true;
}

// The same for null-terminated texts. A null text counts as the empty text;
// callers to whom a missing name is no name test for null first.
inline bool ktSameTextNoCase(const char* a, const char* b) {
  return ktSameTextNoCase(std::string_view(a != nullptr ? a : ""),
                          std::string_view(b != nullptr ? b : ""));
}

// Whether `text` begins with `prefix` without regard to ASCII case.
inline bool ktStartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && ktSameTextNoCase(text.substr(0, prefix.size()), prefix);
}

#endif  // TESSERA_KIT_ASCII_H_
