// The network game: the stage is always the master of a game without other
// machines, though a scene may place other players (remote characters).
#include "stage/ops.h"

namespace stage {

int32_t NetworkOps::NetGetLocallyOwned(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? o->locallyOwned : 0;
}

int32_t NetworkOps::NetUpdateObjectTransform(mkSceneObject* a1, int32_t) {
  return model_.Object(a1) != nullptr ? 1 : 0;
}

int32_t NetworkOps::NetGetNumRemoteChars() {
  return model_.remotePlayers();
}

egCharacter* NetworkOps::NetGetRemoteChar(int32_t a1) {
  int32_t index = 0;
  for (const auto& object : model_.objects())
    if (object->remotePlayer && index++ == a1) return Model::ToHandle<egCharacter>(object.get());
  return nullptr;
}

}  // namespace stage
