// The steering step of a boid: FlockIt, AvoidBlockers and their parts.
#include <cmath>
#include <cstdlib>

#include "kit/boids/flock.h"
#include "kit/boids/neighbours.h"
#include "kit/host/scene_geometry.h"

// FlockIt takes its parts (the tendencies, the blend) inline, though each
// also stays an operation of its own: the parts are short chains of square
// roots and divisions that do not depend on each other, and with them in one
// body the processor overlaps them. The same operations in the same order,
// so results do not change. Compilers without the attribute call the parts
// as usual.
#if defined(__GNUC__)
#define KT_STEP_INLINE __attribute__((flatten))
#else
#define KT_STEP_INLINE
#endif

namespace {

const mkVector3 kZero = {0.0f, 0.0f, 0.0f};

// A key's scene object if it is there and enabled, else null: disabled
// objects are neither avoided nor sought.
mkSceneObject* EnabledObject(egSceneApi* api, mkRegistryKey* key) {
  auto* object = static_cast<mkSceneObject*>(key->fObject);
  if (object == nullptr || api->GetEnable(object) == 0) return nullptr;
  return object;
}

// SetVector(vector) for a vector whose Magnitude the step already took
// (a neighbour's or a gathering place's distance): the same direction
// without a second square root.
void SetVectorOfLength(ktInfluenceVector& out, const mkVector3& vector, float length) {
  mkVector3 direction = vector;
  NormalizeByLength(direction, length);
  out.fDirection = direction;
}

}  // namespace

mkSceneObject* ktBoid::SteeredObject() const {
  if (fKey == nullptr || fApi == nullptr || fFlock == nullptr) return nullptr;
  return static_cast<mkSceneObject*>(fKey->fObject);
}

KT_STEP_INLINE void ktBoid::FlockIt(ktVelocityVector* current, ktInfluenceVector* out) {
  if (current == nullptr || out == nullptr) return;
  mkSceneObject* object = SteeredObject();
  if (object == nullptr) {
    out->Set(kZero, 0.0f, 0.0f);
    return;
  }
  ktBoid* first = fFlock->GetFirstMember();
  fVelocity.SetVector(current->GetVector());
  fVelocity.SetSpeed(current->GetSpeed());
  fPosition = ktWorldPosition(fApi, object);
  fPositionValid = 1;
  if (fIndexedBy != nullptr) fIndexedBy->NoteMoved(*this);

  // Without friends these four keep what they held after the last step that
  // computed them.
  if (FindNeighbours(first) != 0) {
    CalcKeepDistance(fKeepDistance);
    CalcCohesion(fCohesion);
    CalcMatchHeading(fMatchHeading);
    CalcSteerToCenter(fSteerToCenter);
  }
  CalcCruising(fCruising);
  CalcGatheringPlace(fGatheringPlace);
  fAccumulator.TallyVectors(out);
  if (out->GetSpeed() > fMaxSpeed) out->SetSpeed(fMaxSpeed);
}

float ktBoid::AvoidBlockers(float farDistance, float nearDistance, float probeSize,
                            ktInfluenceVector* out) {
  if (out == nullptr) return 0.0f;
  mkSceneObject* object = SteeredObject();
  if (object == nullptr) {
    out->Set(kZero, 0.0f, 0.0f);
    return 0.0f;
  }
  mkPoint3 position = ktWorldPosition(fApi, object);
  mkVector3 ahead = kZero, side = kZero, up = kZero;
  fApi->GetWorldAxes(object, &ahead, &side, &up);
  Normalize(ahead);
  mkPoint3 farPoint = position + ahead * farDistance;
  mkPoint3 nearPoint = position + ahead * nearDistance;

  // A boid with gathering places of its own probes its own avoid list, even
  // an empty one; any other boid probes the flock's. The choice follows the
  // gathering list, not the avoid list: a creature sent off to places of its
  // own stops probing the flock's blockers.
  mkRegistryKey** blockers = fAvoidObjects;
  int32_t capacity = MaxAvoidObjects;
  if (fGatheringPlaces[0] == nullptr) {
    blockers = fFlock->GetAvoidObjects();
    capacity = fFlock->GetMaxAvoidObjects();
  }

  mkVector3 away = kZero;
  float result = 0.0f;
  for (int32_t i = 0; i < capacity && blockers[i] != nullptr; ++i) {
    mkSceneObject* blocker = EnabledObject(fApi, blockers[i]);
    if (blocker == nullptr) continue;
    mkVector3 collision = kZero;
    if (fApi->DoesLineCollideWithObject(blocker, &position, &farPoint, probeSize, &collision) == 0)
      continue;
    result = fDesiredSpeed * 0.5f;
    // The near probe may leave the far probe's vector in place; either way
    // the vector counts twice when the near probe hits.
    if (fApi->DoesLineCollideWithObject(blocker, &position, &nearPoint, probeSize * 0.5f,
                                        &collision) != 0)
      collision = collision * 2.0f;
    away = away - collision;
  }
  out->SetVector(away);
  out->SetSpeed(result);
  return result;
}

void ktBoid::AddFriend(ktBoid* boid) {
  if (fFriendCount < Max_Friends_Visible) fFriends[fFriendCount++] = boid;
}

void ktBoid::ClearNeighbours() {
  for (ktBoid*& entry : fFriends) entry = nullptr;
  fFriendCount = 0;
  fNearestFriend = nullptr;
  fNearestFriendDist = ktINFINITY;
  fNearestBoid = nullptr;
  fNearestBoidDist = ktINFINITY;
}

void ktBoid::CalcCruising(ktInfluenceVector& out) {
  mkVector3 direction = fVelocity.GetVector();
  const float difference = fVelocity.GetSpeed() - fDesiredSpeed;
  // A boid at exactly the desired speed has no error whatever MaxSpeed is;
  // dividing would make 0 / 0 when MaxSpeed is 0 and carry a NaN speed into
  // the blend.
  const float error = difference == 0.0f ? 0.0f : difference / fMaxSpeed;
  float cruise = std::fabs(error);
  if (cruise < fDesiredSpeed * 0.5f) cruise = fDesiredSpeed * 0.5f;
  if (cruise > fDesiredSpeed * 1.5f) cruise = fDesiredSpeed * 1.5f;
  const float jitter = (error > 0.0f ? -1.0f : 1.0f) * fMaxChange * 0.5f;
  const int draw = std::rand() % 100;
  if (draw < 45) {
    direction.fX += jitter;
  } else if (draw < 90) {
    direction.fY += jitter;
  } else {
    direction.fZ += jitter;
  }
  out.SetVector(direction);
  out.SetSpeed(error > 0.0f ? 0.0f : cruise);
  out.SetInfluence(fDesiredCruisingInfluence);
}

void ktBoid::CalcKeepDistance(ktInfluenceVector& out) {
  out.SetInfluence(0.0f);
  if (fNearestBoid == nullptr || !(fNearestBoidDist < fSeparationDist)) return;
  const float closeness = 1.0f - fNearestBoidDist / fSeparationDist;
  out.SetInfluence(closeness * fDesiredKeepDistanceInfluence * 1.5f);
  out.SetSpeed(closeness * fDesiredSpeed * 1.5f);
  // The nearest distance is the magnitude of this very vector.
  SetVectorOfLength(out, fNearestBoid->fPosition - fPosition, fNearestBoidDist);
}

void ktBoid::CalcCohesion(ktInfluenceVector& out) {
  out.SetInfluence(0.0f);
  if (fNearestFriend == nullptr || !(fNearestFriendDist > fCohesionDist)) return;
  const float remoteness = 1.0f - fCohesionDist / fNearestFriendDist;
  out.SetInfluence(remoteness * fDesiredCohesionInfluence * 1.5f);
  out.SetSpeed(remoteness * fDesiredSpeed * 1.5f);
  SetVectorOfLength(out, fPosition - fNearestFriend->fPosition, fNearestFriendDist);
}

void ktBoid::CalcMatchHeading(ktInfluenceVector& out) {
  out.SetInfluence(0.0f);
  if (fNearestBoid == nullptr || fNearestBoid->fPositionValid == 0) return;
  out.Set(fNearestBoid->fVelocity.GetVector(), fNearestBoid->fVelocity.GetSpeed());
  out.SetInfluence(fDesiredMatchHeadingInfluence);
}

// Strict comparisons: among members at equal distance the earlier one in list
// order stays nearest. The nearest friend is sought among all members in
// range, also beyond the friends remembered. Large flocks answer through a
// spatial index that finds exactly the members the walk finds, in list order
// (kit/boids/neighbours.h).
int32_t ktBoid::FindNeighbours(ktBoid* first) {
  return FindNeighboursOf(*this, first);
}

void ktBoid::CalcSteerToCenter(ktInfluenceVector& out) {
  out.SetInfluence(0.0f);
  const int32_t count = fFriendCount;
  if (count <= 0) return;
  mkVector3 sum = kZero;
  for (int32_t i = 0; i < count && i < Max_Friends_Visible; ++i) {
    if (fFriends[i] == nullptr) continue;
    const mkPoint3& p = fFriends[i]->fPosition;
    sum = sum + mkVector3{p.fX, p.fY, p.fZ};
  }
  const mkPoint3 centre = {sum.fX / count, sum.fY / count, sum.fZ / count};
  out.SetVector(fPosition - centre);
  out.SetSpeed(fDesiredSpeed);
  out.SetInfluence(fDesiredSteerToCenterInfluence);
}

void ktBoid::CalcSteerToLeader(ktInfluenceVector& out) {
  out.SetInfluence(0.0f);
  ktBoid* leader = fFlock != nullptr ? fFlock->GetLeader() : nullptr;
  if (leader == nullptr) return;
  out.SetVector(fPosition - leader->fPosition);
  out.SetSpeed(fDesiredSpeed * 0.5f);
  out.SetInfluence(fDesiredSteerToLeaderInfluence);
}

void ktBoid::CalcGatheringPlace(ktInfluenceVector& out) {
  out.SetInfluence(0.0f);
  fWhereToDistance = ktINFINITY;
  mkVector3 toward = kZero;
  float speed;
  // A boid's own places, with its own waypoint, are sought at the full
  // desired speed; the flock's, with the flock's waypoint, at half of it.
  if (fGatheringPlaces[0] != nullptr) {
    int32_t waypoint = fWaypoint;
    fWhereToDistance = NearestPlace(fGatheringPlaces, toward, waypoint);
    SetWaypoint(waypoint);
    speed = fDesiredSpeed;
  } else {
    int32_t waypoint = fFlock->GetWaypoint();
    fWhereToDistance = NearestPlace(fFlock->GetGatheringPlaces(), toward, waypoint);
    fFlock->SetWaypoint(waypoint);
    speed = fDesiredSpeed * 0.5f;
  }
  out.SetSpeed(speed);
  if (fWhereToDistance != ktINFINITY) {
    // NearestPlace measured this very vector.
    SetVectorOfLength(out, toward, fWhereToDistance);
    out.SetInfluence(fDesiredGatheringPlaceInfluence);
  }
}

float ktBoid::DistanceTo(ktBoid* other) {
  if (other == this || other == nullptr || other->fPositionValid == 0) return ktINFINITY;
  const float distance = Magnitude(other->fPosition - fPosition);
  return distance < fPerceptionRange ? distance : ktINFINITY;
}

float ktBoid::NearestPlace(mkRegistryKey** places, mkVector3& vector, int32_t& waypoint) {
  if (places == nullptr) return ktINFINITY;
  if (waypoint < 0) {
    // The nearest enabled place, however far: PerceptionRange does not
    // limit this search. Ties keep the earlier place.
    float best = ktINFINITY;
    const int32_t capacity = fFlock->GetMaxGatheringPlaces();
    for (int32_t i = 0; i < capacity && places[i] != nullptr; ++i) {
      mkSceneObject* place = EnabledObject(fApi, places[i]);
      if (place == nullptr) continue;
      const mkVector3 toward = fPosition - ktWorldPosition(fApi, place);
      const float distance = Magnitude(toward);
      if (distance < best) {
        best = distance;
        vector = toward;
      }
    }
    return best;
  }
  if (waypoint >= MaxGatheringPlaces || places[waypoint] == nullptr) return ktINFINITY;
  mkSceneObject* place = EnabledObject(fApi, places[waypoint]);
  if (place == nullptr) return ktINFINITY;
  vector = fPosition - ktWorldPosition(fApi, place);
  return Magnitude(vector);
}
