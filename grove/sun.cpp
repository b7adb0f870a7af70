// The commands of the sun-powered dish puzzle: the power that comes on when
// the dish faces the sun, the filter that darkens as the view turns toward
// the sun, a frame for any object's animation, and the dish's geometry for
// tuning. Every line goes to the warning channel.
#include <cmath>

#include "grove/grove.h"
#include "kit/plugin/command.h"

namespace {

constexpr int32_t kObjectFlagRecord = 1001;

// How straight the view from `from` to `at` looks at `sun` (1: straight at
// it, above 0 within 45 degrees).
float CamFacing(egSceneApi* api, const mkPoint3& sun, const mkPoint3& from, const mkPoint3& at) {
  const mkVector3 view = Direction(from, at);
  const mkVector3 toward = Direction(sun, from);
  const float m = MagnitudeSquared(view + toward);
  ktWarn(api, "CamFacingWithin45: Resultant magnitude is %f", double(m));
  return m > kFacingLimit45 ? 0.0f : 1.0f - m * kFacingFactor45;
}

}  // namespace

int32_t CheckSunPowerCmd::Run(int32_t, const char**, egActorInstance*, egTrigActor*,
                              egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  mkSceneObject* dish = ktVariableObject(api, "global..PeriscopeDish");
  mkSceneObject* sun = ktVariableObject(api, "global..TheSun");
  if (dish == nullptr || sun == nullptr) {
    ktWarn(api, "%s",
           dish != nullptr  ? "CheckSunPower: The Sun is not found"
           : sun != nullptr ? "CheckSunPower: The Dish is not found"
                            : "CheckSunPower: Both the Dish and the Sun is not found");
    return 0;
  }
  int32_t fallback = 0;
  int32_t* power = ktIntRecord(api, dish, kObjectFlagRecord, &fallback);
  const mkPoint3 d = ktWorldPosition(api, dish, 0);
  const mkPoint3 s = ktWorldPosition(api, sun, 0);
  const float f =
      FacingFactor(FirstAxis(api, dish), Direction(s, d), kFacingLimit45, kFacingFactor45);
  ktWarn(api, "CheckSunPower: %f of facing sun, threshold=%f", double(f),
         double(kSunPowerThreshold));
  // Events only on a change between off (0) and on (1); another value that
  // some other command stored is overwritten silently.
  if (f >= kSunPowerThreshold) {
    if (*power == 0) api->EventRegister("poweron", 0, 0);
    *power = 1;
  } else {
    if (*power == 1) api->EventRegister("poweroff", 0, 0);
    *power = 0;
  }
  return 0;
}

int32_t TestOpacityFilterCmd::Run(int32_t, const char**, egActorInstance*, egTrigActor*,
                                  egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  mkSceneObject* sun = ktVariableObject(api, "global..TheSun");
  egCamera* camera = api->GetCamera();
  if (sun == nullptr) {
    ktWarn(api, "TestOpacityFilter: The Sun could not be found");
    return 0;
  }
  const mkPoint3 s = ktWorldPosition(api, sun, 1);
  // Without a camera the goals stay at the origin: no view, frame 0.
  mkPoint3 from{0.0f, 0.0f, 0.0f}, at{0.0f, 0.0f, 0.0f};
  if (camera != nullptr) api->CamGetGoals(camera, &from, &at, nullptr, nullptr);
  ktWarn(api, "Facing: TheSun %f,%f,%f", double(s.fX), double(s.fY), double(s.fZ));
  ktWarn(api, "Facing: camFrom %f,%f,%f", double(from.fX), double(from.fY), double(from.fZ));
  ktWarn(api, "Facing: camAt %f,%f,%f", double(at.fX), double(at.fY), double(at.fZ));
  const float f = CamFacing(api, s, from, at);
  mkSceneObject* filter = ktVariableObject(api, "global..PeriscopeFilter");
  if (filter == nullptr) {
    ktWarn(api, "TestOpacityFilter: The filter is not found");
    return 0;
  }
  int32_t fallback = 0;
  int32_t* frame = ktIntRecord(api, filter, kObjectFlagRecord, &fallback);
  const int32_t target = int32_t(f * 100.0f + 0.5f);
  if (target != *frame) {
    const int32_t backwards = target < *frame ? 1 : 0;
    ktWarn(api, "TestOpacityFilter: Going from frame %d to frame %d, playing %s", *frame, target,
           backwards ? "backwards" : "forwards");
    api->AnimPlayToFrame(filter, nullptr, target, 0, 0, 1, backwards, 1.0f, 0, 0);
    *frame = target;
    return 0;
  }
  ktWarn(api, "TestOpacityFilter: Already at frame %d", target);
  return 0;
}

int32_t JustGotoFrameCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                              egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 1;
  mkSceneObject* object = api->GetSceneObjectByID(argv[0]);
  if (object != nullptr) {
    const int32_t frame = ktAtoi(argv[1]);
    ktWarn(api, "JustGotoFrame: Going to frame %d", frame);
    api->AnimPlayToFrame(object, nullptr, frame, 0, 0, 1, 0, 1.0f, 0, 0);
  } else {
    ktWarn(api, "JustGotoFilter: The %s object is not found", argv[0] != nullptr ? argv[0] : "");
  }
  return 1;
}

int32_t TestRotateDishCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                               egTrigDetector*) {
  egSceneApi* api = fSceneApi;
  if (!ktArgumentsFit(api, kRow, argc, argv)) return 0;
  mkSceneObject* target = api->GetSceneObjectByID(argv[0]);
  mkSceneObject* dish = ktVariableObject(api, "global..PeriscopeDish");
  if (dish == nullptr) {
    ktWarn(api, "TestRotateDish: The Dish could not be found");
    return 0;
  }
  const mkPoint3 d = ktWorldPosition(api, dish, 0);
  const mkPoint3 t = ktWorldPosition(api, target, 1);
  const mkVector3 towards = Direction(d, t);
  mkVector3 axes[3] = {};
  api->GetWorldAxes(dish, &axes[0], &axes[1], &axes[2]);
  mkVector3 view = axes[0];
  Normalize(view);
  const mkVector3& right = axes[2];
  ktWarn(api, "RT: view_vect %f,%f,%f", double(view.fX), double(view.fY), double(view.fZ));
  ktWarn(api, "RT: right_vect %f,%f,%f", double(right.fX), double(right.fY), double(right.fZ));
  ktWarn(api, "RT: towards_vect %f,%f,%f", double(towards.fX), double(towards.fY),
         double(towards.fZ));
  float p = InnerProduct(towards, view);
  const float limited = p > 1.0f ? 1.0f : p < -1.0f ? -1.0f : p;
  ktWarn(api, "RT: scalar product=%f  radians=%f", double(p), double(std::acos(limited)));
  // A target that the host does not know reads as the identity.
  mkMatrix44 local;
  Reset(local);
  api->GetLocalMatrix(target, &local);
  const auto& m = local.m;
  ktWarn(api, "RT: local view %f,%f,%f", double(-m[0][1]), double(-m[1][1]), double(-m[2][1]));
  ktWarn(api, "RT: local right %f,%f,%f", double(-m[0][0]), double(-m[1][0]), double(-m[2][0]));
  ktWarn(api, "RT: local up %f,%f,%f", double(m[0][2]), double(m[1][2]), double(m[2][2]));
  return 0;
}
