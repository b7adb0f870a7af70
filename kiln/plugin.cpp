// KilnXcmd: general-purpose scene commands and the zoom camera brain. The
// lists of kiln/commands.h are the plug-in's name lists, in order; each
// entry is also the exported global object of that name.
#include <cstring>

#include "kiln/commands.h"
#include "kiln/zoom_cam.h"

MK_EXPORT_XCMDS(KILN_XCMDS)
MK_EXPORT_BRAINS(KILN_BRAINS)
MK_EXPORT_XCMD_VERSIONS()
MK_EXPORT_BRAIN_VERSIONS()

bool KilnJoinName(char* out, std::initializer_list<std::string_view> parts) {
  size_t length = 0;
  for (std::string_view part : parts) length += part.size();
  if (length >= kNameLimit) return false;
  char* p = out;
  for (std::string_view part : parts) {
    std::memcpy(p, part.data(), part.size());
    p += part.size();
  }
  *p = '\0';
  return true;
}
