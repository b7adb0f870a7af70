// printf-style formatting into a std::string, for the setup program's log
// lines, labels and file texts.
#ifndef TESSERA_SETUP_FORMAT_H_
#define TESSERA_SETUP_FORMAT_H_

#include <cstdio>
#include <string>

namespace setup {

// The text that printf would write, without a fixed buffer.
template <class... Args>
std::string Format(const char* format, Args... args) {
  int n = std::snprintf(nullptr, 0, format, args...);
  if (n <= 0) return std::string();
  std::string text(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(&text[0], text.size(), format, args...);
  text.resize(static_cast<size_t>(n));
  return text;
}

}  // namespace setup

#endif  // TESSERA_SETUP_FORMAT_H_
