// The flock and boid model: parameters, lists and membership. The steering
// step is in steer.cpp.
#include "kit/boids/flock.h"

#include <cstdint>

#include "kit/boids/neighbours.h"

namespace {

// The adding rule shared by all four lists: append after the leading valid
// entries, taking only keys that name an object. A list that holds
// capacity - 1 entries takes nothing more although one slot is free, while a
// list holding fewer may fill up to its capacity within one call.
void AddKeys(egSceneApi* api, const char* const* names, mkRegistryKey** list, int32_t capacity) {
  if (api == nullptr || names == nullptr) return;
  int32_t count = 0;
  while (count < capacity && list[count] != nullptr) ++count;
  if (count >= capacity - 1) return;
  for (; *names != nullptr && count < capacity; ++names) {
    mkRegistryKey* key = api->GetObjKeyByID(*names);
    if (key != nullptr && key->fObject != nullptr) list[count++] = key;
  }
}

void ClearKeys(mkRegistryKey** list, int32_t capacity) {
  for (int32_t i = 0; i < capacity; ++i) list[i] = nullptr;
}

void IncrementWaypoint(int32_t& waypoint) {
  if (waypoint < INT32_MAX) ++waypoint;
}

}  // namespace

// ktFlock -----------------------------------------------------------------

ktFlock::ktFlock(egSceneApi* api)
    : fApi(api),
      fCount(0),
      fFirst(nullptr),
      fLeader(nullptr),
      fWaypoint(-1),
      fNeighbourIndex(nullptr) {
  ClearKeys(fAvoidObjects, MaxAvoidObjects);
  ClearKeys(fGatheringPlaces, MaxGatheringPlaces);
  DefaultAll();
}

ktFlock::~ktFlock() {
  delete fNeighbourIndex;
}

void ktFlock::AddAvoidObjects(const char* const* names) {
  AddKeys(fApi, names, fAvoidObjects, MaxAvoidObjects);
}

void ktFlock::RemoveAllAvoidObjects() {
  ClearKeys(fAvoidObjects, MaxAvoidObjects);
}

mkRegistryKey** ktFlock::GetAvoidObjects() {
  return fAvoidObjects;
}

int32_t ktFlock::GetMaxAvoidObjects() {
  return MaxAvoidObjects;
}

void ktFlock::AddGatheringPlaces(const char* const* names) {
  AddKeys(fApi, names, fGatheringPlaces, MaxGatheringPlaces);
}

void ktFlock::RemoveAllGatheringPlaces() {
  ClearKeys(fGatheringPlaces, MaxGatheringPlaces);
}

void ktFlock::SetWaypoint(int32_t waypoint) {
  fWaypoint = waypoint;
}

void ktFlock::IncWaypoint() {
  IncrementWaypoint(fWaypoint);
}

int32_t ktFlock::GetWaypoint() {
  return fWaypoint;
}

mkRegistryKey** ktFlock::GetGatheringPlaces() {
  return fGatheringPlaces;
}

int32_t ktFlock::GetMaxGatheringPlaces() {
  return MaxGatheringPlaces;
}

int32_t ktFlock::AddTo(ktBoid* boid) {
  if (boid == nullptr) return fCount;
  if (fNeighbourIndex != nullptr) fNeighbourIndex->MarkStale();
  if (fFirst == nullptr) {
    fFirst = boid;
    boid->SetNext(nullptr);
    boid->SetPrev(nullptr);
  } else {
    // Adding a member twice would close the list into a ring that every
    // later walk (this one, the neighbour search) would follow for ever.
    ktBoid* last = fFirst;
    for (;;) {
      if (last == boid) return fCount;
      ktBoid* next = last->GetNext();
      if (next == nullptr) break;
      last = next;
    }
    boid->SetNext(nullptr);
    last->SetNext(boid);
    boid->SetPrev(last);
  }
  return ++fCount;
}

int32_t ktFlock::GetCount() {
  return fCount;
}

ktBoid* ktFlock::GetFirstMember() {
  return fFirst;
}

void ktFlock::RemoveFrom(ktBoid* boid) {
  if (fNeighbourIndex != nullptr) fNeighbourIndex->MarkStale();
  for (ktBoid* member = fFirst; member != nullptr; member = member->GetNext()) {
    if (member != boid) continue;
    if (boid == fFirst) fFirst = fCount == 1 ? nullptr : boid->GetNext();
    boid->LinkOut();
    boid->SetNext(nullptr);
    boid->SetPrev(nullptr);
    --fCount;
    return;
  }
}

void ktFlock::SetLeader(ktBoid* leader) {
  fLeader = leader;
}

ktBoid* ktFlock::GetLeader() {
  return fLeader;
}

void ktFlock::DefaultAll() {
#define KT_DEFINE(Name, Initial) Set##Name(Initial);
  KT_BOID_PARAMETERS(KT_DEFINE)
#undef KT_DEFINE
}

void ktFlock::UpdateAll() {
#define KT_DEFINE(Name, Initial) Update##Name();
  KT_BOID_PARAMETERS(KT_DEFINE)
#undef KT_DEFINE
}

#define KT_DEFINE(Name, Initial)                                                 \
  void ktFlock::Set##Name(float value) {                                         \
    f##Name = value;                                                             \
  }                                                                              \
  void ktFlock::Update##Name() {                                                 \
    for (ktBoid* member = fFirst; member != nullptr; member = member->GetNext()) \
      member->Set##Name(f##Name);                                                \
  }                                                                              \
  float ktFlock::Get##Name() {                                                   \
    return f##Name;                                                              \
  }
KT_BOID_PARAMETERS(KT_DEFINE)
#undef KT_DEFINE

// ktBoid ------------------------------------------------------------------

ktBoid::ktBoid(mkRegistryKey* key, ktFlock* flock, egSceneApi* api)
    : fKey(key),
      fApi(api),
      fFlock(flock),
      fPositionValid(0),
      fPosition{0.0f, 0.0f, 0.0f},
      fInFlock(0),
      fWaypoint(-1),
      fWhereToDistance(ktINFINITY),
#define KT_DEFINE(Name, Initial) f##Name(Initial),
      KT_BOID_PARAMETERS(KT_DEFINE)
#undef KT_DEFINE
          fFriendCount(0),
      fNearestFriend(nullptr),
      fNearestFriendDist(ktINFINITY),
      fNearestBoid(nullptr),
      fNearestBoidDist(ktINFINITY),
      fNext(nullptr),
      fPrev(nullptr),
      fIndexedBy(nullptr),
      fIndexSlot(-1) {
  ClearKeys(fAvoidObjects, MaxAvoidObjects);
  ClearKeys(fGatheringPlaces, MaxGatheringPlaces);
  ClearNeighbours();
  // The accumulator blends in this fixed order; FlockIt relies on it.
  fAccumulator.AddAVector(&fCruising);
  fAccumulator.AddAVector(&fKeepDistance);
  fAccumulator.AddAVector(&fCohesion);
  fAccumulator.AddAVector(&fMatchHeading);
  fAccumulator.AddAVector(&fSteerToCenter);
  fAccumulator.AddAVector(&fSteerToLeader);
  fAccumulator.AddAVector(&fGatheringPlace);
  DefaultAll();
}

ktBoid::~ktBoid() {
  if (fIndexedBy != nullptr) fIndexedBy->Forget(*this);
}

void ktBoid::DefaultAll() {
#define KT_DEFINE(Name, Initial) Default##Name();
  KT_BOID_PARAMETERS(KT_DEFINE)
#undef KT_DEFINE
}

void ktBoid::AddAvoidObjects(const char* const* names) {
  AddKeys(fApi, names, fAvoidObjects, MaxAvoidObjects);
}

void ktBoid::RemoveAllAvoidObjects() {
  ClearKeys(fAvoidObjects, MaxAvoidObjects);
}

void ktBoid::AddGatheringPlaces(const char* const* names) {
  AddKeys(fApi, names, fGatheringPlaces, MaxGatheringPlaces);
}

void ktBoid::RemoveAllGatheringPlaces() {
  ClearKeys(fGatheringPlaces, MaxGatheringPlaces);
}

void ktBoid::SetWaypoint(int32_t waypoint) {
  fWaypoint = waypoint;
}

void ktBoid::IncWaypoint() {
  IncrementWaypoint(fWaypoint);
}

int32_t ktBoid::GetWaypoint() {
  return fWaypoint;
}

#define KT_DEFINE(Name, Initial)                       \
  void ktBoid::Default##Name() {                       \
    Set##Name(fFlock ? fFlock->Get##Name() : Initial); \
  }                                                    \
  void ktBoid::Set##Name(float value) {                \
    f##Name = value;                                   \
  }                                                    \
  float ktBoid::Get##Name() {                          \
    return f##Name;                                    \
  }
KT_BOID_PARAMETERS(KT_DEFINE)
#undef KT_DEFINE

void ktBoid::SetInFlock(int32_t inFlock) {
  fInFlock = inFlock;
}

int32_t ktBoid::IsInFlock() {
  return fInFlock;
}

float ktBoid::GetWhereToDistance() {
  return fWhereToDistance;
}

ktBoid* ktBoid::GetNext() {
  return fNext;
}

// Every relink marks the neighbour index that holds the boid stale.
void ktBoid::LinkOut() {
  if (fIndexedBy != nullptr) fIndexedBy->MarkStale();
  if (fPrev != nullptr && fNext != nullptr) {
    fPrev->SetNext(fNext);
    fNext->SetPrev(fPrev);
  } else if (fPrev != nullptr) {
    fPrev->SetNext(nullptr);
  } else if (fNext != nullptr) {
    fNext->SetPrev(nullptr);
  } else {
    fNext = nullptr;
    fPrev = nullptr;
  }
}

void ktBoid::SetNext(ktBoid* next) {
  if (fIndexedBy != nullptr) fIndexedBy->MarkStale();
  fNext = next;
}

void ktBoid::SetPrev(ktBoid* prev) {
  if (fIndexedBy != nullptr) fIndexedBy->MarkStale();
  fPrev = prev;
}
