// Cameras: a camera object's position is its from-goal; its look-at point,
// field of view, mode and what it views, follows and tracks are its camera
// state. Operations given a null camera answer for the current camera.
#include <cmath>

#include "stage/ops.h"

namespace stage {

namespace {

bool Finite(const mkPoint3& p) {
  return std::isfinite(p.fX) && std::isfinite(p.fY) && std::isfinite(p.fZ);
}

}  // namespace

SceneObject* CameraOps::CameraOf(egCamera* camera) {
  SceneObject* o = camera != nullptr ? model_.Object(camera) : model_.camera_;
  return o != nullptr && o->camera ? o : nullptr;
}

void CameraOps::CamViewObject(egCamera* a1, mkRegistryKey* a2, int32_t, mkVector3*, int32_t) {
  if (SceneObject* c = CameraOf(a1)) c->view.viewKey = model_.Key(a2);
}

void CameraOps::CamSetTransformObject(egCamera* a1, mkRegistryKey* a2) {
  if (SceneObject* c = CameraOf(a1)) c->view.transformKey = model_.Key(a2);
}

// The camera moves to the goal at once (its parents' turns aside); goals
// that are not finite are refused.
void CameraOps::CamSetFromGoal(egCamera* a1, mkPoint3* a2) {
  SceneObject* c = CameraOf(a1);
  if (c == nullptr || a2 == nullptr || !Finite(*a2)) return;
  mkPoint3 base{0, 0, 0};
  if (c->parent != nullptr) {
    const mkMatrix44 p = model_.WorldMatrix(c->parent);
    base = {p.m[0][3], p.m[1][3], p.m[2][3]};
  }
  c->local.m[0][3] = a2->fX - base.fX;
  c->local.m[1][3] = a2->fY - base.fY;
  c->local.m[2][3] = a2->fZ - base.fZ;
  c->local.flags = 0;
}

void CameraOps::CamSetAtGoal(egCamera* a1, mkPoint3* a2) {
  SceneObject* c = CameraOf(a1);
  if (c != nullptr && a2 != nullptr && Finite(*a2)) {
    c->view.lookAt = *a2;
    c->view.hasLookAt = true;
  }
}

void CameraOps::CamSetToTrack(egCamera* a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) {
  if (SceneObject* c = CameraOf(a1)) {
    c->view.tracking[0] = a2;
    c->view.tracking[1] = a3;
    c->view.tracking[2] = a4;
    c->view.tracking[3] = a5;
  }
}

// A field of view that is not finite is refused.
void CameraOps::CamSetFOV(egCamera* a1, float a2, int32_t) {
  SceneObject* c = CameraOf(a1);
  if (c != nullptr && std::isfinite(a2)) c->view.fov = a2;
}

int32_t CameraOps::CamGetMode(egCamera* a1) {
  SceneObject* c = CameraOf(a1);
  return c != nullptr ? c->view.mode : kCameraFixed;
}

void CameraOps::CamGetGoals(egCamera* a1, mkPoint3* a2, mkPoint3* a3, mkScalar* a4, mkVector3* a5) {
  SceneObject* c = CameraOf(a1);
  if (c == nullptr) return;
  const mkMatrix44 w = model_.WorldMatrix(c);
  if (a2 != nullptr) *a2 = {w.m[0][3], w.m[1][3], w.m[2][3]};
  if (a3 != nullptr) *a3 = model_.LookAt(*c);
  if (a4 != nullptr) *a4 = c->view.fov;
  // The camera's up axis: its local z in the world.
  if (a5 != nullptr) *a5 = {w.m[0][2], w.m[1][2], w.m[2][2]};
}

void CameraOps::CamGetAt(egCamera* a1, mkPoint3* a2) {
  SceneObject* c = CameraOf(a1);
  if (c != nullptr && a2 != nullptr) *a2 = model_.LookAt(*c);
}

void CameraOps::CamGetFOV(egCamera* a1, mkScalar* a2) {
  SceneObject* c = CameraOf(a1);
  if (c != nullptr && a2 != nullptr) *a2 = c->view.fov;
}

}  // namespace stage
