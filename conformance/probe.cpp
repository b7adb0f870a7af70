// AbiProbe: a plug-in for the Windows conformance check alone (never
// installed). Its one brain implements nothing, so that every slot of the
// plug-in brain base, the passing-on defaults included, is called by
// abi_check.exe as the engine calls it.
#include "kit/plugin/plugin.h"

namespace {

class ProbeBrainObject final : public egBrainDll {
 public:
  MK_DESTROYING_DESTRUCTOR(ProbeBrainObject)
  MK_SELF_BRAIN()
};

}  // namespace

#define PROBE_BRAINS(X) X(ProbeBrain, ProbeBrainObject)

MK_EXPORT_NO_XCMDS()
MK_EXPORT_BRAINS(PROBE_BRAINS)
MK_EXPORT_XCMD_VERSIONS()
MK_EXPORT_BRAIN_VERSIONS()
