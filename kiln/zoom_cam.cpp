// ZoomCamSet, the command that sets an object's zoom limits, and the
// ZoomCam brain that zooms within them.
//
// Limits are kept between 0 and 175 degrees; a maximum of 0 is stored like
// any other (the field of view may reach 0, as it does with the default
// limits). Controller input that is not a finite number counts as no input.
#include "kiln/zoom_cam.h"

#include <cmath>
#include <cstring>
#include <new>

#include "kiln/commands.h"
#include "kit/plugin/command.h"

namespace {

ZoomLimitsRecord* Limits(egSceneApi* api, const void* object) {
  return ktContextRecord<ZoomLimitsRecord>(api, object, kZoomLimitsRecord, kZoomLimitsRecord,
                                           [](ZoomLimitsRecord* r) { new (r) ZoomLimitsRecord(); });
}

// Byte offset of the flags word in the host's brain data record.
constexpr int kBrainDataFlagsOffset = 20;

}  // namespace

int32_t ZoomCamSetCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                           egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = ktFindObjectOrWarn(api, argv[0], "ZoomCamSet: %s object not found");
  if (object == nullptr) return 1;
  ZoomLimitsRecord* limits = Limits(api, object);
  if (limits == nullptr) return 1;
  float min = float(ktAtof(argv[1]));
  float max = float(ktAtof(argv[2]));
  if (!(min >= ZoomLimitsRecord::kLowest)) {
    ktWarn(api, "ZoomCamSet: minimum FOV is too low at %f", double(min));
    min = ZoomLimitsRecord::kLowest;
  }
  if (max > ZoomLimitsRecord::kHighest) {
    ktWarn(api, "ZoomCamSet: maximum FOV is too high at %f", double(max));
    max = ZoomLimitsRecord::kHighest;
  }
  if (min > max) {
    ktWarn(api, "ZoomCamSet: minFOV(%f) is greater than maxFOV(%f)", double(min), double(max));
    return 1;
  }
  limits->fMinFov = min;
  limits->fMaxFov = max;
  return 1;
}

int32_t ZoomCamBrain::GetType() {
  return 303;
}
const char* ZoomCamBrain::GetName() {
  return "ZoomCam";
}

int32_t ZoomCamBrain::Reset() {
  const int32_t result = PassOn()->Reset();
  egSceneApi* api = fSceneApi;
  egCameraBrain* host = Host();
  if (egCamera* camera = host->GetBrainCamera(); camera != nullptr)
    api->CamSetToTrack(camera, 1, 1, 1, 1);
  api->AnimStop(host->GetOwnerObj(), 1, 1, 0, 0, -1.0f, 0, 1.0f);
  mkVector3 still{0.0f, 0.0f, 0.0f};
  api->SetExternVelocity(host->GetOwner(), &still);
  fSavedCurrents = api->GetCurrentsAffect(host->GetOwnerObj());
  api->SetCurrentsAffect(host->GetOwnerObj(), 0);
  mkVector3 zero{0.0f, 0.0f, 0.0f};
  api->CamViewObject(host->GetBrainCamera(), nullptr, 0, &zero, 0);
  api->CamSetTransformObject(host->GetBrainCamera(), nullptr);
  return result;
}

int32_t ZoomCamBrain::PrepareToDetach() {
  const int32_t result = PassOn()->PrepareToDetach();
  egSceneApi* api = fSceneApi;
  egCameraBrain* host = Host();
  if (host->GetBrainCamera() == nullptr) {
    // Without brain data the flags count as clear.
    const egBrainData* data = api->GetBrainData(host->GetOwner());
    int32_t flags = 0;
    if (data != nullptr)
      std::memcpy(&flags, reinterpret_cast<const char*>(data) + kBrainDataFlagsOffset,
                  sizeof flags);
    if ((flags & 1) == 0) host->HostPrepareHook();
  }
  api->SetCurrentsAffect(host->GetOwnerObj(), fSavedCurrents);
  return result;
}

int32_t ZoomCamBrain::CanCollideWith(mkSceneObject* object) {
  if (PassOn()->CanCollideWith(object) == 0) return 0;
  return Host()->GetBrainCamera() == nullptr ? 1 : 0;
}

void ZoomCamBrain::UpdateGoals() {
  egSceneApi* api = fSceneApi;
  egCameraBrain* host = Host();
  // Without a camera of its own the brain leaves a driving camera alone.
  if (host->GetBrainCamera() == nullptr &&
      api->CamIsDriveMode(api->CamGetMode(api->GetCamera())) != 0)
    return;

  float min = ZoomLimitsRecord::kLowest, max = ZoomLimitsRecord::kHighest;
  mkRegistryKey* master = api->GetObjKeyByID("global..ZoomMaster");
  if (master != nullptr && master->fObject != nullptr) {
    if (const ZoomLimitsRecord* limits = Limits(api, master->fObject); limits != nullptr) {
      min = limits->fMinFov;
      max = limits->fMaxFov;
    }
  }

  const float step = api->GetSecsDelta() * fZoomSpeed;
  egGameController* controller = host->GetController();
  float y = controller != nullptr ? controller->fMovement.fY : 0.0f;
  if (!std::isfinite(y)) y = 0.0f;
  const float magnitude = std::fabs(y);
  const float m =
      magnitude <= 1.0f ? magnitude : (fAcceleration - 1.0f) * (magnitude - 1.0f) + 1.0f;
  float delta = m * step;
  if (y > 0.0f) delta = -delta;  // pushing forward narrows the view

  egCamera* camera = host->GetBrainCamera();
  mkScalar fov = 0.0f;
  api->CamGetFOV(camera, &fov);
  float next = fov + delta;
  if (next < min) next = min;
  if (next > max) next = max;
  if (std::isfinite(next) && next != fov) api->CamSetFOV(camera, next, 0);
}

mkVector3* ZoomCamBrain::AdjustVectorA(mkVector3* result, const mkVector3& vector) {
  *result = vector;
  return result;
}
mkVector3* ZoomCamBrain::AdjustVectorB(mkVector3* result, const mkVector3& vector) {
  *result = vector;
  return result;
}
mkVector3* ZoomCamBrain::AdjustVectorC(mkVector3* result, const mkVector3& vector) {
  *result = vector;
  return result;
}
