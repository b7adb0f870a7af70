// The physical state of objects that brains set: whether currents carry
// them, their external velocity, and the host's brain data record.
#include <cmath>

#include "stage/ops.h"

namespace stage {

void PhysicalOps::SetCurrentsAffect(mkSceneObject* a1, int32_t a2) {
  if (SceneObject* o = model_.Object(a1)) o->currents = a2 != 0 ? 1 : 0;
}

void PhysicalOps::ToggleCurrentsAffect(mkSceneObject* a1) {
  if (SceneObject* o = model_.Object(a1)) o->currents = o->currents != 0 ? 0 : 1;
}

int32_t PhysicalOps::GetCurrentsAffect(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? o->currents : 0;
}

// Zeroed: no flag is set.
egBrainData* PhysicalOps::GetBrainData(egPhysicalSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? Model::ToHandle<egBrainData>(&o->brainData) : nullptr;
}

int32_t PhysicalOps::GetExternVelocity(egPhysicalSceneObject* a1, mkVector3* a2) {
  SceneObject* o = model_.Object(a1);
  if (o == nullptr || a2 == nullptr) return 0;
  *a2 = o->externVelocity;
  return 1;
}

// A velocity that is not finite is refused.
void PhysicalOps::SetExternVelocity(egPhysicalSceneObject* a1, mkVector3* a2) {
  SceneObject* o = model_.Object(a1);
  if (o != nullptr && a2 != nullptr && std::isfinite(a2->fX) && std::isfinite(a2->fY) &&
      std::isfinite(a2->fZ))
    o->externVelocity = *a2;
}

}  // namespace stage
