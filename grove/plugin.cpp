// GroveXcmd: its name lists (the command rows are in grove/grove.h), version
// numbers and global objects. The
// objects are built in the order of their definitions: the beetle draws its
// random ranges at load, before anything seeds the generator. ShovelVehicle
// is exported by name without being listed.
#include "grove/grove.h"

#define GROVE_BRAINS(X) X(BeetleBrainSingle, BeetleBrain) X(Periscope, PeriscopeBrain)

#define GROVE_BRAIN_CLASSES(X) X(cBeetleBrain, cBeetleBrain)

MK_EXPORT_XCMDS(GROVE_XCMDS)
MK_EXPORT_BRAINS(GROVE_BRAINS)
MK_EXPORT_BRAIN_CLASSES(GROVE_BRAIN_CLASSES)
MK_EXPORT_UNLISTED(ShovelVehicle, ShovelVehicleBrain)
MK_EXPORT_XCMD_VERSIONS()
MK_EXPORT_BRAIN_VERSIONS()
