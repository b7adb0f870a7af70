// ASCII letter case for the setup program's keywords, driver names and file
// names: the same answer whatever the locale.
#ifndef TESSERA_SETUP_ASCII_H_
#define TESSERA_SETUP_ASCII_H_

#include <string>
#include <string_view>

namespace setup {

inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline std::string AsciiLowerCopy(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

inline bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace setup

#endif  // TESSERA_SETUP_ASCII_H_
