// Messages, statistics, the player, the camera and the clock.
#include "stage/ops.h"

namespace stage {

// Lines are written whole as the caller formatted them; SetMessageEnable(0)
// silences both kinds.
void GameOps::ApiMessage(const char* a1) {
  if (model_.messageEnable_) model_.Say(MessageKind::kLog, a1 != nullptr ? a1 : "");
}
void GameOps::ApiMessageWarn(const char* a1) {
  if (model_.messageEnable_) model_.Say(MessageKind::kWarning, a1 != nullptr ? a1 : "");
}

void GameOps::CamGetGoals(egCamera* a1, mkPoint3* a2, mkPoint3* a3, mkScalar*, mkVector3* a5) {
  SceneObject* camera = model_.Object(a1);
  if (camera == nullptr) return;
  const mkMatrix44 world = model_.WorldMatrix(camera);
  const mkPoint3 from{world.m[0][3], world.m[1][3], world.m[2][3]};
  if (a2 != nullptr) *a2 = from;
  if (a3 != nullptr) *a3 = from + FirstAxis(*camera, world);
  if (a5 != nullptr) *a5 = {world.m[0][2], world.m[1][2], world.m[2][2]};
}

int32_t GameOps::CamGetMode(egCamera* a1) {
  return model_.Object(a1) != nullptr ? model_.cameraMode_ : 0;
}

}  // namespace stage
