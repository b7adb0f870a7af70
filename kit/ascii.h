// ASCII case without the locale: the one lower-casing and the one
// case-insensitive comparison of names that the plug-ins and the kit use
// (creature tunables, brain names, behaviour names). Letters outside A to Z
// are compared as they are.
#ifndef TESSERA_KIT_ASCII_H_
#define TESSERA_KIT_ASCII_H_

inline char ktAsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Whether `a` and `b` are the same text without regard to ASCII case. A null
// text counts as the empty text; callers to whom a missing name is no name
// test for null first.
inline bool ktSameTextNoCase(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (ktAsciiLower(*a) != ktAsciiLower(*b)) return false;
  return *a == *b;
}

#endif  // TESSERA_KIT_ASCII_H_
