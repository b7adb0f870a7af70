// Flocks that fly to their goals, and objects taken out of the scene.
#include <cmath>

#include "stage/model.h"

namespace stage {

// Each flock moves straight toward its goal's world position by at most
// flockSpeed * seconds, and stops on it. The step is made in world terms and
// added to the flock's own translation: a flock's parent, if it has one, is
// taken not to turn or scale.
void Model::AdvanceFlocks(float seconds) {
  for (const auto& object : objects_) {
    if (!object->flock || object->flockGoal == nullptr || Object(object.get()) == nullptr) continue;
    SceneObject* goal = Object(object->flockGoal->fObject);
    if (goal == nullptr || goal == object.get()) continue;
    const mkMatrix44 from = WorldMatrix(object.get()), to = WorldMatrix(goal);
    const float dx = to.m[0][3] - from.m[0][3], dy = to.m[1][3] - from.m[1][3],
                dz = to.m[2][3] - from.m[2][3];
    const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (distance <= 0.0f) continue;
    const float step = object->flockSpeed * seconds;
    const float t = step >= distance ? 1.0f : step / distance;
    object->local.m[0][3] += dx * t;
    object->local.m[1][3] += dy * t;
    object->local.m[2][3] += dz * t;
    object->local.flags = 0;
  }
}

bool Model::RemoveObject(SceneObject* object) {
  if (object == nullptr || Object(object) == nullptr) return false;
  if (!object->children.empty() || object->brain != nullptr) {
    Say(MessageKind::kStage, "cannot remove " + object->name + ": it has " +
                                 (object->brain != nullptr ? "a brain" : "children"));
    return false;
  }
  if (object->parent != nullptr) {
    auto& siblings = object->parent->children;
    for (auto it = siblings.begin(); it != siblings.end(); ++it)
      if (*it == object) {
        siblings.erase(it);
        break;
      }
  }
  objectsByName_.erase(object->name);
  keysByName_.erase(object->name);
  for (mkRegistryKey* key : keys_)
    if (key->fObject == object) key->fObject = nullptr;
  for (const auto& other : objects_)
    if (other->flockGoal == object->key) other->flockGoal = nullptr;
  entities_.erase(object);
  object->inScene = false;
  if (player_ == object) player_ = nullptr;
  if (camera_ == object) camera_ = nullptr;
  Say(MessageKind::kStage, "removed " + object->name);
  return true;
}

}  // namespace stage
