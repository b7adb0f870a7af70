// Brains: the plug-in brains (BrainDlls) and brain classes, and what scenes
// send them.
#include <string>

#include "stage/ops.h"

namespace stage {

egBrainDll* BrainOps::GetBrainDllByID(const char* a1) {
  return a1 == nullptr ? nullptr : model_.FindBrainDll(a1);
}

egBrain* BrainOps::GetBrain(egPhysicalSceneObject* a1) {
  SceneObject* o = model_.Object(a1);
  return o != nullptr && o->brain != nullptr ? o->brain->Interface() : nullptr;
}

int32_t BrainOps::BrainSetToBrainClassDll(egPhysicalSceneObject* a1, const char* a2) {
  return a2 != nullptr ? model_.AttachBrainClass(model_.Object(a1), a2) : 0;
}

int32_t BrainOps::BrainSetToPythonBrain(egPhysicalSceneObject* a1, const char* a2) {
  return a2 != nullptr ? model_.AttachBrainClass(model_.Object(a1), std::string("PythonMgr:") + a2)
                       : 0;
}

void BrainOps::BrainSendParams(egPhysicalSceneObject* a1, int32_t a2, const char** a3) {
  SceneObject* o = model_.Object(a1);
  if (o == nullptr || o->brain == nullptr || o->brain->plugin == nullptr || a2 < 0 ||
      (a2 > 0 && a3 == nullptr))
    return;
  o->brain->plugin->SendParams(a2, a3);
}

void BrainOps::BrainClassSendParams(const char* a1, int32_t a2, const char** a3) {
  egBrainClassDll* brainClass = a1 != nullptr ? model_.FindBrainClass(a1) : nullptr;
  if (brainClass == nullptr || a2 < 0 || (a2 > 0 && a3 == nullptr)) return;
  brainClass->SendClassParams(a1, a2, a3);
}

}  // namespace stage
