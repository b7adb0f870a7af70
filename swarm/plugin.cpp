// SwarmXcmd: its name list (the command rows of swarm/swarm.h, in order),
// each entry also the exported global object of that name. SwarmXcmd offers
// commands only: it exports no brain lists and no brain versions.
#include "swarm/swarm.h"

MK_EXPORT_XCMDS(SWARM_XCMDS)
MK_EXPORT_XCMD_VERSIONS()
