// The stage's host brains: the engine's side of the brains that plug-ins
// attach to scene objects (stage/model.h keeps them, one per brain).
#ifndef TESSERA_STAGE_HOST_BRAIN_H_
#define TESSERA_STAGE_HOST_BRAIN_H_

#include <cstdint>
#include <string>

#include "kit/host/host.h"
#include "kit/plugin/plugin.h"

namespace stage {

class Model;
struct SceneObject;

// A host brain: the engine's side of a brain attached to a scene object.
// Operations that the plug-in brain passes on (after SetPluginCall(1)) are
// recorded in the trace and do the host's default: nothing, result 0, a
// vector returned unchanged. Every host brain is both a camera host brain
// (it drives its owner when the owner is a camera) and a vehicle host brain
// (only brains bound with the scene's `vehicle` statement have a vehicle and
// a driver): each interface keeps its own operation table, and a plug-in
// brain is given the one that its kind expects (Interface()).
class HostBrain final : public egCameraBrain, public egPlayerVehicleBrain {
 public:
  egPhysicalSceneObject* GetOwner() override;
  egCharacter* GetOwnerChar() override;
  egMovingSceneObject* GetOwnerMove() override;
  mkSceneObject* GetOwnerObj() override;
  int32_t GetFlags() override;
  egGameController* GetController() override;
  egBrainDll* GetBrainDll() override;
  void SetPluginCall(int32_t value) override;
#define MK_BRAIN_OP(Slot, Ret, Name, Params, Args) Ret Name Params override;
#define MK_BRAIN_STATE_OP(Slot, Ret, Name, Params, Args) Ret Name Params override;
#include "kit/host/brain_ops.inc"
  int32_t GetVehicleFlags() override;
  void SetVehicleFlags(int32_t flags) override;
  mkSceneObject* GetVehicle() override;
  egCharacter* GetDriver() override;
  void SetWaitState(float time, const char* animation) override;
  // The owner when it is a camera, else null.
  egCamera* GetBrainCamera() override;
  // Recorded in the trace.
  void HostPrepareHook() override;

  // The interface given to the plug-in brain: the vehicle host brain when
  // bound as a vehicle, else the camera host brain.
  egBrain* Interface() {
    if (vehicle != nullptr) return static_cast<egPlayerVehicleBrain*>(this);
    return static_cast<egCameraBrain*>(this);
  }

  SceneObject* owner = nullptr;
  int32_t vehicleFlags = 0;
  SceneObject* vehicle = nullptr;
  SceneObject* driver = nullptr;
  egBrainDll* plugin = nullptr;
  std::string pluginName;
  int32_t pluginCall = 0;
  Model* model = nullptr;

 private:
  // Records a host-brain operation: "<owner>.brain.<name>" with a mark when
  // the plug-in did not announce the call with SetPluginCall(1).
  void Note(const char* name);
};

}  // namespace stage

#endif  // TESSERA_STAGE_HOST_BRAIN_H_
