// Flock managers and firemarbles. A flock manager's handle is its scene
// object's, and so is a firemarble's: both answer the object operations too
// (GetEnable, GetWorldPos, ...).
#include "stage/ops.h"

namespace stage {

SceneObject* FlockOps::Flock(const void* handle) {
  SceneObject* o = model_.Object(handle);
  return o != nullptr && o->flock ? o : nullptr;
}
SceneObject* FlockOps::FireMarble(const void* handle) {
  SceneObject* o = model_.Object(handle);
  return o != nullptr && o->fireMarble ? o : nullptr;
}

int32_t FlockOps::IsFlock(mkSceneObject* a1) {
  return Flock(a1) != nullptr;
}
int32_t FlockOps::IsFireMarble(mkSceneObject* a1) {
  return FireMarble(a1) != nullptr;
}

egFlockManager* FlockOps::GetFlockManagerByID(const char* a1) {
  if (a1 == nullptr) return nullptr;
  SceneObject* o = model_.FindObject(a1);
  return o != nullptr && o->flock ? Model::ToHandle<egFlockManager>(o) : nullptr;
}

// The flock keeps the key, not the object: a key that comes to name another
// object (VarSetTo) moves the goal with it.
void FlockOps::FlockSetGoalKey(egFlockManager* a1, mkRegistryKey* a2) {
  SceneObject* flock = Flock(a1);
  if (flock == nullptr) return;
  flock->flockGoal = model_.Key(a2);
}

mkSceneObject* FlockOps::FlockGetGoal(egFlockManager* a1) {
  SceneObject* flock = Flock(a1);
  if (flock == nullptr || flock->flockGoal == nullptr) return nullptr;
  return Model::ToHandle<mkSceneObject>(model_.Object(flock->flockGoal->fObject));
}

// The stage's swarm is one point: its centroid is the flock object's place.
int32_t FlockOps::FlockGetCentroid(egFlockManager* a1, mkPoint3* a2) {
  SceneObject* flock = Flock(a1);
  if (flock == nullptr || a2 == nullptr) return 0;
  const mkMatrix44 world = model_.WorldMatrix(flock);
  *a2 = {world.m[0][3], world.m[1][3], world.m[2][3]};
  return 1;
}

int32_t FlockOps::FMIsLit(egFireMarble* a1) {
  SceneObject* marble = FireMarble(a1);
  return marble != nullptr ? marble->lit : 0;
}

void FlockOps::SetLit(egFireMarble* a1, int32_t lit) {
  if (SceneObject* marble = FireMarble(a1)) marble->lit = lit;
}

}  // namespace stage
