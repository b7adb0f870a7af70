// hopkin: the flocking creature brain. The plug-in has no commands and no
// brains of its own; it lists one brain class, the global object cHopkin.
#include "hopkin/hopkin.h"

#define HOPKIN_BRAIN_CLASSES(X) X(cHopkin, cHopkin)

MK_EXPORT_NO_XCMDS()
MK_EXPORT_BRAIN_CLASSES(HOPKIN_BRAIN_CLASSES)
MK_EXPORT_XCMD_VERSIONS()
MK_EXPORT_BRAIN_VERSIONS()
