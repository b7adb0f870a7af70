// The engine's start-up file (init/win_init.dat): the settings read from its
// keywords, and its rewrite. Every byte before the overrides marker survives
// the rewrite, the new file ends in the setup section, and rewriting the
// rewritten file with the same settings changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "setup/settings.h"

namespace {

// Where the marker first appears at the start of a line, or the size: the
// rewrite keeps at least this much (the marker line that counts may come
// later, after one inside a skip block).
size_t FirstMarkerAtLineStart(const std::string& text) {
  const std::string marker = SetupSettings::kMarker;
  for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) {
    if (at == 0 || text[at - 1] == '\r' || text[at - 1] == '\n') return at;
  }
  return text.size();
}

bool TextFieldsEnd(const SetupSettings& s) {
  for (const char* field :
       {s.fUserName, s.fPlayerFile, s.fServerName, s.fLobbyPort, s.fSessionName})
    if (std::memchr(field, '\0', SetupSettings::kTextCapacity) == nullptr) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string old(reinterpret_cast<const char*>(data), size);
  SetupSettings settings;
  mkMemoryStream stream(data, uint32_t(size));
  settings.ReadInit(stream);
  FUZZ_CHECK(stream.AtEnd());
  FUZZ_CHECK(TextFieldsEnd(settings));

  const std::string rewritten = settings.ComposeInitText(old);
  const size_t kept = FirstMarkerAtLineStart(old);
  FUZZ_CHECK(rewritten.compare(0, kept, old, 0, kept) == 0);
  const std::string section = settings.SectionText();
  FUZZ_CHECK(rewritten.size() >= section.size());
  FUZZ_CHECK(rewritten.compare(rewritten.size() - section.size(), section.size(), section) == 0);
  FUZZ_CHECK(settings.ComposeInitText(rewritten) == rewritten);
  return 0;
}
