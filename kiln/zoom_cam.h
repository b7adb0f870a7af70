// The zoom camera: the brain ZoomCam, attached to a camera, lets the player
// zoom (change the camera's field of view) with the controller's movement
// input, within limits that ZoomCamSet gives an object and that the brain
// takes from the object named by the scene variable "global..ZoomMaster".
#ifndef TESSERA_KILN_ZOOM_CAM_H_
#define TESSERA_KILN_ZOOM_CAM_H_

#include <cstdint>

#include "kit/plugin/plugin.h"

// Zoom limits of an object: the context (object, 1006, 1006), made as 0 and
// 175 degrees.
struct ZoomLimitsRecord {
  static constexpr float kLowest = 0.0f;
  static constexpr float kHighest = 175.0f;
  float fMinFov = kLowest;
  float fMaxFov = kHighest;
};

// A camera brain (kind 303): attached to an egCameraBrain. Every operation
// not declared here passes on to the host brain.
class ZoomCamBrain final : public egBrainDll {
 public:
  MK_DESTROYING_DESTRUCTOR(ZoomCamBrain)
  int32_t GetType() override;  // 303: a camera brain
  // Stops the owner, makes it ignore currents (saving the setting) and
  // frees the camera from any object it viewed or followed.
  int32_t Reset() override;
  // Restores the owner's currents setting.
  int32_t PrepareToDetach() override;
  // Collides (when the host brain agrees) only while it drives no camera.
  int32_t CanCollideWith(mkSceneObject* object) override;
  const char* GetName() override;  // "ZoomCam"
  // The zoom step of one frame.
  void UpdateGoals() override;
  // The vectors are the brain's own business: returned unchanged through
  // the caller's result buffer.
  mkVector3* AdjustVectorA(mkVector3* result, const mkVector3& vector) override;
  mkVector3* AdjustVectorB(mkVector3* result, const mkVector3& vector) override;
  mkVector3* AdjustVectorC(mkVector3* result, const mkVector3& vector) override;
  MK_SELF_BRAIN()

  float fZoomSpeed = 20.0f;    // degrees per second at full input
  float fAcceleration = 8.0f;  // growth of the speed beyond full deflection
  int32_t fSavedCurrents = 1;  // the owner's currents setting, saved at Reset

 private:
  egCameraBrain* Host() { return static_cast<egCameraBrain*>(fBrain); }
};

#endif  // TESSERA_KILN_ZOOM_CAM_H_
