// Registry keys and scene variables. Keys of scene objects and variables are
// found by name; those of commands, brains and behaviours through their
// owners.
#include "stage/ops.h"

namespace stage {

void KeyOps::VarSetTo(mkRegistryKey* a1, mkSceneObject* a2) {
  mkRegistryKey* key = model_.Key(a1);
  if (key == nullptr) return;
  key->fObject = model_.Object(a2);
}

void KeyOps::VarSetToFirstChild(mkRegistryKey* a1, mkSceneObject* a2) {
  mkRegistryKey* key = model_.Key(a1);
  if (key == nullptr) return;
  SceneObject* parent = model_.Object(a2);
  key->fObject = parent != nullptr && !parent->children.empty() ? parent->children[0] : nullptr;
}

const char* KeyOps::KeyGetName(mkRegistryKey* a1) {
  const mkRegistryKey* key = model_.Key(a1);
  return key != nullptr ? key->fName : kNoObjectName;
}

mkRegistryKey* KeyOps::GetKey(mkKeyedObject* a1) {
  if (model_.Is(a1, EntityKind::kXCmd) || model_.Is(a1, EntityKind::kBrainDll) ||
      model_.Is(a1, EntityKind::kBrainClass))
    return a1->fCurrentKey;
  return nullptr;
}
mkRegistryKey* KeyOps::BehGetKey(mkGBehavior* a1) {
  Behavior* b = model_.BehaviorOf(a1);
  return b != nullptr ? b->key : nullptr;
}
mkRegistryKey* KeyOps::ObjectGetKey(mkSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr ? o->key : nullptr;
}
mkRegistryKey* KeyOps::GetObjKeyByID(const char* a1) {
  return a1 == nullptr ? nullptr : model_.FindKey(a1);
}
mkRegistryKey* KeyOps::GetXCmdKeyByID(const char* a1) {
  egXCmd* command = a1 != nullptr ? model_.FindXCmd(a1) : nullptr;
  return command != nullptr ? command->fCurrentKey : nullptr;
}
mkRegistryKey* KeyOps::GetBrainDllKeyByID(const char* a1) {
  egBrainDll* brain = a1 != nullptr ? model_.FindBrainDll(a1) : nullptr;
  return brain != nullptr ? brain->fCurrentKey : nullptr;
}

}  // namespace stage
