// The per-frame steering step of a creature. After the first frame it
// allocates nothing: the boid, the voice emitter's name and the flock's lists
// are made on the creature's first steered frame (MakeBoid, hopkin.cpp).
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "hopkin/hopkin.h"
#include "kit/host/scene_geometry.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831854f;
constexpr float kHalfPi = 1.57079635f;

// The heading of a direction: its angle from the y axis toward the x axis,
// from -pi/2 to 3pi/2.
float Heading(const mkVector3& direction) {
  float angle = std::atan2(direction.fX, direction.fY);
  if (angle < -kHalfPi) angle += kTwoPi;
  return angle;
}

}  // namespace

int32_t HopkinBrain::Update(float) {
  fSceneApi->ReservedStatBegin(5);
  Step();
  fSceneApi->ReservedStatEnd(5);
  return 1;
}

void HopkinBrain::Step() {
  egSceneApi* api = fSceneApi;
  if (!fActive) return;
  fObject = reinterpret_cast<mkSceneObject*>(fBrain->GetOwnerChar());
  if (fObject == nullptr) return;
  mkSceneObject* object = fObject;
  fLocallyOwned = api->NetGetLocallyOwned(object) != 0;
  if (api->GetEnable(object) == 0 || api->GetDraw(object) == 0) {
    if (fBoid != nullptr) fBoid->SetInFlock(0);
    fInFlock = 0;
    return;
  }
  if (!fLocallyOwned) return;
  if (fBoid == nullptr && !MakeBoid()) return;

  // The current velocity points against the creature's first axis: the
  // flocking vectors point from the goal to the boid.
  fVelocity.SetVector(ktWorldAxesOf(api, object).view * -1.0f);

  fBoid->FlockIt(&fVelocity, &fFlockResult);
  fFlockResult.SetInfluence(fInfluences.flock);

  const float speed = fVelocity.GetSpeed();
  const float hit = fBoid->AvoidBlockers(float(fProbeFactor) * speed, speed, 2.0f, &fAvoidResult);
  fAvoidResult.SetInfluence(hit > 0.0f ? fInfluences.avoid : 0.0f);

  // The nearest player: the local one, or another machine's that is nearer.
  const mkPoint3 here = ktWorldPosition(api, object);
  mkPoint3 there = {0.0f, 0.0f, 0.0f};
  fNearestPlayer = api->GetPlayer();
  if (fNearestPlayer != nullptr) {
    there = ktWorldPosition(api, fNearestPlayer);
    fFromPlayer = here - there;
    fPlayerDistance = Magnitude(fFromPlayer);
  } else {
    // No local player: nobody is near unless another machine's is.
    fFromPlayer = {0.0f, 0.0f, 0.0f};
    fPlayerDistance = ktINFINITY;
  }
  for (int32_t i = 0; i < api->NetGetNumRemoteChars(); ++i) {
    egCharacter* other = api->NetGetRemoteChar(i);
    if (other == nullptr) continue;
    const mkPoint3 position = ktWorldPosition(api, other);
    const mkVector3 d = here - position;
    const float distance = Magnitude(d);
    if (distance < fPlayerDistance) {
      fNearestPlayer = other;
      fFromPlayer = d;
      fPlayerDistance = distance;
      there = position;
    }
  }

  if (fNearestPlayer != nullptr) {
    mkGBehavior* behavior = api->GetBehavior(reinterpret_cast<mkSceneObject*>(fNearestPlayer));
    mkRegistryKey* key = behavior != nullptr ? api->BehGetKey(behavior) : nullptr;
    if (key != nullptr) {
      const char* name = api->KeyGetName(key);
      if (name != nullptr) {
        const char* dot = std::strrchr(name, '.');
        HopkinCopyName(fPlayerActivity, kNameLimit, dot != nullptr ? dot + 1 : name);
      }
    }
  }

  if (!fInFlock) {
    const float where = fBoid->GetWhereToDistance();
    if (where > fPlayerDistance) {
      const float r = fPlayerDistance / where;
      fInfluences.flock =
          r > 0.5f
              ? fLonerFlockInfluence + (fLonerFlockInfluenceClose - fLonerFlockInfluence) * r * 0.5f
              : fLonerFlockInfluenceClose;
    }
  }

  UpdateMoods(here, there);
  const HopkinMoodAction action =
      HopkinMoodActionFor(HopkinMoodBand(fCuriosity), HopkinMoodBand(fFear));
  fMood.Reset();
  fMood.SetInfluence(fInfluences.mood);
  if (action.direction == kHopkinMoodNone) {
    fMood.SetInfluence(0.0f);
  } else {
    const float moodSpeed = action.speed == kHopkinMoodFast   ? fFastMoodSpeed
                            : action.speed == kHopkinMoodSlow ? fSlowMoodSpeed
                                                              : 0.0f;
    fMood.Set(action.direction == kHopkinMoodApproach ? fFromPlayer : fFromPlayer * -1.0f,
              moodSpeed);
  }

  fAvoidPlayer.Reset();
  if (fPlayerDistance < fPlayerTooClose) {
    const bool fleeing = action.direction == kHopkinMoodFlee && action.speed != kHopkinMoodStill;
    fAvoidPlayer.SetWithInfluence(fFromPlayer * -1.0f, fleeing ? fFastMoodSpeed : fSlowMoodSpeed,
                                  fInfluences.avoidPlayer);
  } else {
    fAvoidPlayer.SetInfluence(0.0f);
  }

  ktInfluenceVector blend;
  fAccumulator.TallyVectors(&blend);
  TurnAndMove(blend);
}

void HopkinBrain::UpdateMoods(const mkPoint3& creature, const mkPoint3& player) {
  egSceneApi* api = fSceneApi;
  const int32_t level = fMoodLevel;
  const float d = fPlayerDistance;
  const HopkinActivityFactors activity = HopkinActivity(fPlayerActivity);
  const float rawCuriosity =
      HopkinRawCuriosity(d, fLevels.maxCuriosityDist[level], fLevels.peakCuriosityDist[level],
                         activity.curiosity, fLevels.curiosityRate[level]);
  float rawFear = 0.0f;
  if (d <= fLevels.maxFearDist[level]) {
    const mkVector3 view = ktWorldAxesOf(api, fNearestPlayer).view;
    const float facing = HopkinFacing(player, creature, view, fLevels.facingFearFactor[level]);
    rawFear = HopkinRawFear(d, fLevels.maxFearDist[level], fLevels.peakFearDist[level], facing,
                            activity.fear, fLevels.fearRate[level]);
  }
  const float delta = api->GetSecsDelta();
  fCuriosity = HopkinSmoothMood(fCuriosity, rawCuriosity, &fCuriosityTimer, delta, fMoodStepTime,
                                fMoodStepJump);
  fFear = HopkinSmoothMood(fFear, rawFear, &fFearTimer, delta, fMoodStepTime, fMoodStepJump);
}

void HopkinBrain::TurnAndMove(ktVelocityVector& blend) {
  egSceneApi* api = fSceneApi;
  const float a1 = Heading(fVelocity.GetVector());
  float v = blend.GetSpeed() * fSpeedFactor;
  if (v > fSpeedLimit) v = fSpeedLimit;
  fVelocity.SetSpeed(v);
  // A blend without a direction has no heading to turn to: the creature
  // keeps its own rather than swing round to the y axis.
  const mkVector3 direction = blend.GetVector();
  const bool noDirection = direction.fX == 0.0f && direction.fY == 0.0f;
  const float a2 = noDirection ? a1 : Heading(direction);
  float turn = a1 - a2;
  if (turn < -kPi) turn += kTwoPi;
  if (turn > kPi) turn -= kTwoPi;
  if (turn < -fTurnLimit) turn = -fTurnLimit;
  if (turn > fTurnLimit) turn = fTurnLimit;

  const float size = std::fabs(turn);
  if (size > 0.05f && (!fStanding || size <= 0.2f)) {
    mkQuat quaternion;
    SetFromAngleAxis(quaternion, turn, {0.0f, 0.0f, 1.0f});
    mkMatrix44 rotation;
    MakeMatrix(quaternion, rotation);
    mkMatrix44 local = {};
    if (api->GetLocalMatrix(fObject, &local) != 0) {
      // The rotation on the right: the creature turns about its own origin.
      mkMatrix44 turned = local * rotation;
      api->SetLocalMatrix(fObject, &turned);
      api->TransformChanged(fObject);
      api->NetUpdateObjectTransform(fObject, 1);
    }
  } else if (size > 0.2f && fStanding) {
    PlayAnimation(turn > 0.0f ? "slow_turn_left" : "slow_turn_right");
  } else if (size <= 0.05f && fStanding) {
    PlayAnimation("wait");
  }

  fStanding = 0;
  if (v > fVelocityJump) {
    PlayAnimation("short_jump");
  } else if (v > fVelocityRun) {
    PlayAnimation("run");
  } else if (v > fVelocityWalk) {
    PlayAnimation("walk");
  } else {
    fStanding = 1;
  }
}
