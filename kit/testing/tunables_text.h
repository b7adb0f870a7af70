// A tunable list as one line of text, for tests that compare lists.
#ifndef TESSERA_KIT_TESTING_TUNABLES_TEXT_H_
#define TESSERA_KIT_TESTING_TUNABLES_TEXT_H_

#include <charconv>
#include <string>

#include "kit/tunables/tunables.h"

namespace mktest {

// "5" for an integer, "5f" for a float, "'text'" for a string, separated by
// blanks.
inline std::string Describe(const ktTunableList& list) {
  std::string text;
  for (const ktTunableValue& value : list) {
    if (!text.empty()) text += ' ';
    switch (value.kind()) {
      case ktTunableValue::kInteger:
        text += std::to_string(value.AsInt());
        break;
      case ktTunableValue::kFloat: {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value.AsFloat()).ptr;
        text += std::string(buffer, end) + "f";
        break;
      }
      case ktTunableValue::kString:
        text += std::string("'") + value.AsString() + "'";
        break;
    }
  }
  return text;
}

}  // namespace mktest

#endif  // TESSERA_KIT_TESTING_TUNABLES_TEXT_H_
