// Brains: the plug-in brains (BrainDlls) and brain classes, and what scenes
// send them.
#include <cstring>
#include <string>
#include <string_view>

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

// The text names the class, as a brain class is given: "Class" or
// "Class:Text". The class's SendClassParams gets Text (PythonMgr: the module
// file whose brains receive the parameters), or the whole text without one.
void BrainOps::BrainClassSendParams(const char* a1, int32_t a2, const char** a3) {
  if (a1 == nullptr) return;
  const char* colon = std::strchr(a1, ':');
  const std::string_view className =
      colon != nullptr ? std::string_view(a1, size_t(colon - a1)) : std::string_view(a1);
  egBrainClassDll* brainClass = model_.FindBrainClass(className);
  if (brainClass == nullptr || a2 < 0 || (a2 > 0 && a3 == nullptr)) return;
  brainClass->SendClassParams(colon != nullptr ? colon + 1 : a1, a2, a3);
}

}  // namespace stage
