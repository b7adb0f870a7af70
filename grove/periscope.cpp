// The periscope brain and SetPeriscopeVars, the command that names its
// objects.
#include <cmath>

#include "grove/grove.h"
#include "kit/plugin/command.h"

const char* PeriscopeBrain::GetName() {
  return "Periscope";
}

int32_t PeriscopeBrain::StepKey(int32_t state, bool down, float now, float repeat, float* time) {
  if (down) {
    if (state == kKeyUp || state == kKeyReleased) {
      *time = now;
      return kKeyPressed;
    }
    if (now - *time > repeat) {
      *time = now;
      return kKeyRepeat;
    }
    return kKeyHeld;
  }
  if (state == kKeyPressed || state == kKeyHeld || state == kKeyRepeat) {
    *time = now;
    return kKeyReleased;
  }
  return kKeyUp;
}

int32_t PeriscopeBrain::Update(float time) {
  PassOn()->Update(time);
  fApi = fSceneApi;
  egGameController* controller = fBrain->GetController();
  mkSceneObject* master = ktVariableObject(fApi, "global..PeriscopeMaster");
  mkSceneObject* owner = fBrain->GetOwnerObj();
  if (owner != nullptr && controller != nullptr) Lift(owner, controller);

  const float now = fApi->GetSecs();
  const bool downA = controller != nullptr && controller->isKeyDown(fKeyA) != 0;
  fStateA = StepKey(fStateA, downA, now, fRepeatA, &fTimeA);
  const bool downB = controller != nullptr && controller->isKeyDown(fKeyB) != 0;
  fStateB = StepKey(fStateB, downB, now, fRepeatB, &fTimeB);
  StepRate(master);
  Filter();
  if (owner != nullptr) Dish(owner);
  return 1;
}

// Strictly below the ceiling to rise, strictly above the floor to sink; a
// missing ceiling or floor sets no limit.
void PeriscopeBrain::Lift(mkSceneObject* owner, egGameController* controller) {
  const float input = controller->fMovement.fY;
  const float dy = input * fApi->GetSecsDelta() * fLiftSpeed;
  mkVector3 axes[3] = {};
  fApi->GetWorldAxes(owner, &axes[0], &axes[1], &axes[2]);
  const mkPoint3 here = ktWorldPosition(fApi, owner, 0);
  mkSceneObject* ceiling = ktVariableObject(fApi, "global..PeriscopeCeiling");
  mkSceneObject* floor = ktVariableObject(fApi, "global..PeriscopeFloor");
  bool move = false;
  if (input > 0.0f) move = ceiling == nullptr || here.fZ < ktWorldPosition(fApi, ceiling, 0).fZ;
  if (input < 0.0f) move = floor == nullptr || here.fZ > ktWorldPosition(fApi, floor, 0).fZ;
  if (move) MoveLocal(fApi, owner, Translation(axes[1] * dy));
}

void PeriscopeBrain::StepRate(mkSceneObject* master) {
  const float old = fRate;
  if (fStateA == kKeyPressed || fStateA == kKeyRepeat) fRate -= fRateStep;
  if (fStateB == kKeyPressed || fStateB == kKeyRepeat) fRate += fRateStep;
  if (fRate < fRateMin) fRate = fRateMin;
  if (fRate > fRateMax) fRate = fRateMax;
  if (fRate == old) return;
  if (fRate > 0.0f) {
    fApi->AnimContinuePlay(master, nullptr, 1, 1, 1, 0, 0, 100.0f, 1, 0, fRate, 0);
  } else if (fRate < 0.0f) {
    fApi->AnimContinuePlay(master, nullptr, 1, 1, 1, 0, 0, 100.0f, 1, 1, -fRate, 0);
  } else {
    fApi->AnimStop(master, 1, 1, 0, 0, -1.0f, 0, 1.0f);
  }
}

void PeriscopeBrain::Filter() {
  mkSceneObject* sun = ktVariableObject(fApi, "global..TheSun");
  egCamera* camera = fApi->GetCamera();
  if (sun == nullptr || camera == nullptr) return;
  const mkPoint3 sunAt = ktWorldPosition(fApi, sun, 1);
  mkPoint3 from{0.0f, 0.0f, 0.0f};
  fApi->CamGetGoals(camera, &from, nullptr, nullptr, nullptr);
  const mkVector3 toward = Direction(sunAt, from);
  const mkVector3 view = FirstAxis(fApi, camera);
  const float s = MagnitudeSquared(view + toward);
  const float f = s > kFacingLimit30 ? 0.0f : 1.0f - s / kFacingLimit30;
  mkSceneObject* filter = ktVariableObject(fApi, "global..PeriscopeFilter");
  if (filter == nullptr) return;
  const int32_t frame = int32_t(f * 100.0f + 0.5f);
  if (frame == fFilterFrame) return;
  const int32_t backwards = fFilterFrame > frame ? 1 : 0;
  fFilterFrame = frame;
  fApi->AnimPlayToFrame(filter, nullptr, frame, 0, 0, 1, backwards, 1.0f, 0, 0);
}

// The dish's pointing direction follows the periscope's height: it turns
// about its own x axis toward the direction that keeps its horizontal part
// and rises to the periscope. With the periscope exactly at the dish there
// is no such direction, and the dish is left as it is.
void PeriscopeBrain::Dish(mkSceneObject* owner) {
  mkSceneObject* dish = ktVariableObject(fApi, "global..PeriscopeDish");
  if (dish == nullptr) return;
  const mkPoint3 d = ktWorldPosition(fApi, dish, 0);
  const mkPoint3 o = ktWorldPosition(fApi, owner, 0);
  const float dist = Magnitude(o - d);
  const mkVector3 a = FirstAxis(fApi, dish);
  mkVector3 q{a.fX * dist, a.fY * dist, o.fZ - d.fZ};
  if (MagnitudeSquared(q) == 0.0f || MagnitudeSquared(a) == 0.0f) return;
  Normalize(q);
  float c = InnerProduct(q, a);
  if (c > 1.0f) c = 1.0f;
  if (c < -1.0f) c = -1.0f;
  const float angle = std::acos(c);
  MoveLocal(fApi, dish, Rotation({1.0f, 0.0f, 0.0f}, q.fZ >= a.fZ ? -angle : angle));
  fApi->TransformChanged(dish);
}

int32_t SetPeriscopeVarsCmd::Run(int32_t argc, const char** argv, egActorInstance*, egTrigActor*,
                                 egTrigDetector*) {
  if (!ktArgumentsFit(fSceneApi, kRow, argc, argv)) return 1;
  static const char* const kVariables[5] = {"PeriscopeMaster", "PeriscopeCeiling", "PeriscopeFloor",
                                            "TheSun", "PeriscopeFilter"};
  mkSceneObject* objects[5];
  for (int i = 0; i < 5; ++i) objects[i] = fSceneApi->GetSceneObjectByID(argv[i]);
  for (int i = 0; i < 5; ++i)
    fSceneApi->VarSetTo(fSceneApi->GetObjKeyByID(kVariables[i]), objects[i]);
  return 1;
}
