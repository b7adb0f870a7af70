// KilnXcmd: general-purpose scene commands. The lists below are the
// plug-in's name lists, in order; each entry is also the exported global
// object of that name.
#include "kiln/commands.h"

#define KILN_XCMDS(X)            \
  X(SetObjFlag, SetObjFlagCmd)   \
  X(IfObjFlag, IfObjFlagCmd)     \
  X(SetObjVar, SetObjVarCmd)     \
  X(IfObjVar, IfObjVarCmd)       \
  X(CaseObjVar, CaseObjVarCmd)   \
  X(TransObjVar, TransObjVarCmd)

MK_EXPORT_XCMDS(KILN_XCMDS)
MK_EXPORT_XCMD_VERSIONS()
MK_EXPORT_BRAIN_VERSIONS()
