// Text and numbers as the stage writes them into its pictures (picture.cpp,
// SVG) and its replay pages (replay.cpp, HTML): one escape with a stated set
// of characters per use, and the two number forms.
#ifndef TESSERA_STAGE_MARKUP_H_
#define TESSERA_STAGE_MARKUP_H_

#include <cstdio>
#include <string>

#include "stage/trace.h"

namespace stage {

// Which characters MarkupText replaces by entities.
enum class MarkupEscapes {
  kElementText,    // '<' and '&': enough between tags (the replay page's title)
  kAttributeText,  // '<', '>', '&' and '"': safe in an attribute value too (the picture)
};

// `text` as ShowText shows it, with the characters of `escapes` replaced by
// entities (&lt; &gt; &amp; &quot;).
inline std::string MarkupText(const std::string& text, MarkupEscapes escapes) {
  const bool attribute = escapes == MarkupEscapes::kAttributeText;
  std::string out;
  for (char c : ShowText(text)) {
    if (c == '<')
      out += "&lt;";
    else if (c == '&')
      out += "&amp;";
    else if (attribute && c == '>')
      out += "&gt;";
    else if (attribute && c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

// A coordinate with two decimals: 12.50.
inline std::string FixedNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// A short decimal of six significant digits at most: 2, 0.5, 1e+06.
inline std::string ShortNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

}  // namespace stage

#endif  // TESSERA_STAGE_MARKUP_H_
