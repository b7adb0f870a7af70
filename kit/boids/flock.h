// The boid library: flocks of creatures steered by weighted tendencies.
//
// A flock (ktFlock) holds the shared steering parameters, the shared lists of
// objects to avoid and of gathering places, a shared waypoint, an optional
// leader and the list of its members. A boid (ktBoid) is one creature: it
// keeps its own copy of every parameter, may carry its own avoid and
// gathering lists that take precedence over the flock's, and once per frame
// turns what it sees into one velocity:
//
//   ktFlock flock(api);
//   ktBoid boid(api->GetObjKeyByID("Zovezi01"), &flock, api);
//   flock.AddTo(&boid);
//   boid.SetInFlock(1);
//   ...each frame:
//   boid.FlockIt(&current, &flockResult);
//   boid.AvoidBlockers(3.0f * speed, speed, 2.0f, &avoidResult);
//
// Vector convention: every vector the steering step produces points from the
// goal toward the boid. Tendencies that draw the boid to a point are the
// boid's position minus that point; tendencies that push it away are the
// other's position minus the boid's, or a negated collision vector. Copied
// velocities (the current one, a matched heading) are used unchanged, so
// callers hand in and read back velocities in this same sense.
//
// Ownership: a flock never owns its members and a boid does not own its
// flock; registry keys and the scene interface belong to the host. Destroying
// either unlinks nothing: remove a boid with RemoveFrom before destroying it
// or its flock.
//
// Binary interface: scripts reach both classes through their operation
// tables, so each lists its virtual operations in slot order (there is no
// destroying slot: slot 0 is the first operation below), and the fields follow
// in their interface order; the library's own fields follow them. Nothing
// here throws. Nothing allocates except the neighbour index of a flock of 8
// members or more, when it is first built and when the flock outgrows it.
#ifndef TESSERA_KIT_BOIDS_FLOCK_H_
#define TESSERA_KIT_BOIDS_FLOCK_H_

#include <cstdint>

#include "kit/boids/vectors.h"
#include "kit/host/host.h"
#include "kit/math/math.h"

// The fourteen steering parameters that flock and boid both carry, with their
// defaults. Every family of operations (Set, Get, Update, Default) follows
// this order, and so do their slots. X(Name, Initial).
#define KT_BOID_PARAMETERS(X)            \
  X(MaxSpeed, 1.0f)                      \
  X(DesiredSpeed, 0.5f)                  \
  X(MaxChange, 0.1f)                     \
  X(SeparationDist, 5.0f)                \
  X(CohesionDist, 10.0f)                 \
  X(PerceptionRange, 100.0f)             \
  X(WaypointCloseEnough, 5.0f)           \
  X(DesiredCruisingInfluence, 0.5f)      \
  X(DesiredKeepDistanceInfluence, 1.0f)  \
  X(DesiredCohesionInfluence, 1.0f)      \
  X(DesiredMatchHeadingInfluence, 0.5f)  \
  X(DesiredSteerToCenterInfluence, 0.5f) \
  X(DesiredSteerToLeaderInfluence, 0.5f) \
  X(DesiredGatheringPlaceInfluence, 0.5f)

// Limits of the library, published to scripts under the same names.
inline constexpr int32_t MaxAvoidObjects = 20;      // entries per avoid list
inline constexpr int32_t MaxGatheringPlaces = 10;   // entries per gathering list
inline constexpr int32_t Max_Friends_Visible = 15;  // friends remembered per step
// The distance that means none, or not perceived (scripts: INFINITY, which
// C++ reserves for the runtime's own infinity).
inline constexpr float ktINFINITY = 999999.0f;

class ktBoid;
class ktNeighbourIndex;

// Shared parameters, lists, waypoint and membership of a group of boids.
class ktFlock final {
 public:
  // Count 0, no members, no leader, both lists empty, waypoint -1, and every
  // parameter at its default (set through its Set operation, in order).
  // `api` is the host's and is used only to resolve names in the Add
  // operations; with a null `api` nothing can be added.
  explicit ktFlock(egSceneApi* api);
  // Frees the neighbour index; the members are not touched (see Ownership).
  ~ktFlock();
  ktFlock(const ktFlock&) = delete;
  ktFlock& operator=(const ktFlock&) = delete;

  // Slot 0: resolves each name of the null-terminated array through the host
  // (GetObjKeyByID) and appends the keys that name an object, keeping the
  // list compact. A list that already holds MaxAvoidObjects - 1 entries
  // takes nothing more; names that resolve to nothing are skipped; names
  // beyond a full list are ignored. The array is read during the call only;
  // a null array adds nothing.
  virtual void AddAvoidObjects(const char* const* names);
  // Slot 1: every entry becomes null.
  virtual void RemoveAllAvoidObjects();
  // Slot 2: the MaxAvoidObjects entries, valid ones first, then nulls. The
  // array is the flock's.
  virtual mkRegistryKey** GetAvoidObjects();
  // Slot 3: MaxAvoidObjects.
  virtual int32_t GetMaxAvoidObjects();
  // Slot 4: as AddAvoidObjects, for the gathering list (MaxGatheringPlaces).
  virtual void AddGatheringPlaces(const char* const* names);
  // Slot 5.
  virtual void RemoveAllGatheringPlaces();
  // Slot 6: -1 seeks the nearest enabled gathering place, 0 to 9 the place
  // at that index; 10 or more selects nothing.
  virtual void SetWaypoint(int32_t waypoint);
  // Slot 7: adds 1 without any bound but stops at INT32_MAX (which selects
  // nothing) rather than wrap round to "nearest".
  virtual void IncWaypoint();
  // Slot 8.
  virtual int32_t GetWaypoint();
  // Slot 9: the MaxGatheringPlaces entries, valid ones first.
  virtual mkRegistryKey** GetGatheringPlaces();
  // Slot 10: MaxGatheringPlaces.
  virtual int32_t GetMaxGatheringPlaces();
  // Slot 11: appends `boid` to the member list and returns the new count.
  // The appended boid's next link is cleared. Adding a boid that is already
  // in the list, or a null boid, changes nothing and returns the count.
  virtual int32_t AddTo(ktBoid* boid);
  // Slot 12.
  virtual int32_t GetCount();
  // Slot 13: the first member, or null.
  virtual ktBoid* GetFirstMember();
  // Slot 14: unlinks `boid` from the member list; a boid that is not a
  // member leaves everything unchanged.
  virtual void RemoveFrom(ktBoid* boid);
  // Slot 15: any boid or null; not owned, and not read by the steering step.
  virtual void SetLeader(ktBoid* leader);
  // Slot 16.
  virtual ktBoid* GetLeader();
  // Slot 17: every parameter back to its default; members are not touched.
  virtual void DefaultAll();
  // Slot 18: every Update operation, in parameter order.
  virtual void UpdateAll();
  // Slots 19 to 32: store the value as given (no clamping, no propagation).
#define KT_DECLARE(Name, Initial) virtual void Set##Name(float value);
  KT_BOID_PARAMETERS(KT_DECLARE)
#undef KT_DECLARE
  // Slots 33 to 46: each member, in list order, gets the flock's value
  // through its own Set operation.
#define KT_DECLARE(Name, Initial) virtual void Update##Name();
  KT_BOID_PARAMETERS(KT_DECLARE)
#undef KT_DECLARE
  // Slots 47 to 60.
#define KT_DECLARE(Name, Initial) virtual float Get##Name();
  KT_BOID_PARAMETERS(KT_DECLARE)
#undef KT_DECLARE

  egSceneApi* fApi;
  int32_t fCount;
  ktBoid* fFirst;
  ktBoid* fLeader;
  mkRegistryKey* fAvoidObjects[MaxAvoidObjects];
  mkRegistryKey* fGatheringPlaces[MaxGatheringPlaces];
  int32_t fWaypoint;
#define KT_DECLARE(Name, Initial) float f##Name;
  KT_BOID_PARAMETERS(KT_DECLARE)
#undef KT_DECLARE
  // The library's own, after the interface's fields: the index that answers
  // the neighbour search of flocks of 8 members or more
  // (kit/boids/neighbours.h), made at the first search that needs it; owned.
  ktNeighbourIndex* fNeighbourIndex;
};

// One creature of a flock.
class ktBoid final {
 public:
  // `key` names the creature's scene object; with a null key (or a key that
  // names nothing) the boid never steers and its position is never read.
  // `flock` is the flock whose parameters, lists, waypoint and members the
  // boid uses, for its whole life; the boid does not join its list. Every
  // parameter starts at the flock's current value (the table defaults when
  // `flock` is null). whereToDistance starts at ktINFINITY: no target yet.
  ktBoid(mkRegistryKey* key, ktFlock* flock, egSceneApi* api);
  // Leaves the neighbour index that holds the boid (its flock's list is not
  // touched: see Ownership).
  ~ktBoid();
  ktBoid(const ktBoid&) = delete;
  ktBoid& operator=(const ktBoid&) = delete;

  // Slot 0: one steering step. Copies `current` into the boid's velocity,
  // reads its position, looks at its flock's members and gathering places
  // and writes the blended direction and speed (at most MaxSpeed) into
  // `out`. out's influence is left for the caller, except that a boid that
  // cannot steer (no key, no object, no flock or no scene interface) writes
  // direction 0, speed 0, influence 0. Null arguments make it do nothing.
  virtual void FlockIt(ktVelocityVector* current, ktInfluenceVector* out);
  // Slot 1: probes from the creature along its first world axis, to
  // `farDistance` with `probeSize` and to `nearDistance` with half of it,
  // against the enabled objects of the avoid list. Writes the summed negated
  // collision vectors (normalised; zero when nothing blocks) and the returned
  // speed into `out`: DesiredSpeed * 0.5 when anything blocks, else 0. The
  // boid's own avoid list is used when the boid has gathering places of its
  // own (its first own gathering entry is set), the flock's otherwise.
  // out's influence is set only when the boid cannot steer (to 0).
  virtual float AvoidBlockers(float farDistance, float nearDistance, float probeSize,
                              ktInfluenceVector* out);
  // Slot 2: every Default operation, in parameter order.
  virtual void DefaultAll();
  // Slots 3 to 6: the boid's own lists, with the adding rule of ktFlock.
  virtual void AddAvoidObjects(const char* const* names);
  virtual void RemoveAllAvoidObjects();
  virtual void AddGatheringPlaces(const char* const* names);
  virtual void RemoveAllGatheringPlaces();
  // Slots 7 to 9: the boid's own waypoint, used with its own gathering list
  // (same meaning as the flock's).
  virtual void SetWaypoint(int32_t waypoint);
  virtual void IncWaypoint();
  virtual int32_t GetWaypoint();
  // Slots 10 to 23: the parameter becomes the flock's current value.
#define KT_DECLARE(Name, Initial) virtual void Default##Name();
  KT_BOID_PARAMETERS(KT_DECLARE)
#undef KT_DECLARE
  // Slots 24 to 37: override the value for this boid until its next Default
  // or its flock's next Update of that parameter.
#define KT_DECLARE(Name, Initial) virtual void Set##Name(float value);
  KT_BOID_PARAMETERS(KT_DECLARE)
#undef KT_DECLARE
  // Slots 38 to 51.
#define KT_DECLARE(Name, Initial) virtual float Get##Name();
  KT_BOID_PARAMETERS(KT_DECLARE)
#undef KT_DECLARE
  // Slot 52: a member with the flag 0 (a loner) is seen by the others as a
  // neighbour but never counts as a friend.
  virtual void SetInFlock(int32_t inFlock);
  // Slot 53.
  virtual int32_t IsInFlock();
  // Slot 54: the distance to the gathering target found by the last
  // FlockIt, ktINFINITY when there was none (and before the first step).
  virtual float GetWhereToDistance();
  // Slots 55 to 58: the member list's links.
  virtual ktBoid* GetNext();
  // Joins the neighbours on either side to each other; with no neighbour the
  // boid's own links become null.
  virtual void LinkOut();
  virtual void SetNext(ktBoid* next);
  virtual void SetPrev(ktBoid* prev);

  // Slots 59 to 70: the parts of the steering step, internal to it (scripts
  // cannot call them). They read what FlockIt stored (position, velocity,
  // neighbours) and expect a flock.
  // Remembers `boid` as a friend, unless Max_Friends_Visible are remembered.
  virtual void AddFriend(ktBoid* boid);
  // No friends, no nearest friend or boid, both distances ktINFINITY.
  virtual void ClearNeighbours();
  // Speed keeping with a random jitter from rand().
  virtual void CalcCruising(ktInfluenceVector& out);
  virtual void CalcKeepDistance(ktInfluenceVector& out);
  virtual void CalcCohesion(ktInfluenceVector& out);
  virtual void CalcMatchHeading(ktInfluenceVector& out);
  // Walks the member list from `first`: remembers the in-flock members in
  // perception range as friends and finds the nearest boid and the nearest
  // friend. Returns the number of friends remembered.
  virtual int32_t FindNeighbours(ktBoid* first);
  virtual void CalcSteerToCenter(ktInfluenceVector& out);
  // Never called by FlockIt: the leader has no effect on the step.
  virtual void CalcSteerToLeader(ktInfluenceVector& out);
  virtual void CalcGatheringPlace(ktInfluenceVector& out);
  // The distance to `other`, or ktINFINITY when `other` is this boid, has
  // not stepped yet, or is not nearer than this boid's PerceptionRange.
  virtual float DistanceTo(ktBoid* other);
  // The distance to the gathering target that `waypoint` selects in `places`
  // (MaxGatheringPlaces entries), with `vector` set to own position minus
  // the target's; ktINFINITY and `vector` unchanged when there is none.
  // `waypoint` is handed back unchanged.
  virtual float NearestPlace(mkRegistryKey** places, mkVector3& vector, int32_t& waypoint);

  mkRegistryKey* fKey;
  egSceneApi* fApi;
  ktFlock* fFlock;
  int32_t fPositionValid;
  ktVelocityVector fVelocity;
  mkPoint3 fPosition;
  int32_t fInFlock;
  mkRegistryKey* fAvoidObjects[MaxAvoidObjects];
  mkRegistryKey* fGatheringPlaces[MaxGatheringPlaces];
  int32_t fWaypoint;
  float fWhereToDistance;
#define KT_DECLARE(Name, Initial) float f##Name;
  KT_BOID_PARAMETERS(KT_DECLARE)
#undef KT_DECLARE
  int32_t fFriendCount;
  ktBoid* fNearestFriend;
  float fNearestFriendDist;
  ktBoid* fNearestBoid;
  float fNearestBoidDist;
  ktInfluenceVector fCruising;
  ktInfluenceVector fKeepDistance;
  ktInfluenceVector fCohesion;
  ktInfluenceVector fMatchHeading;
  ktInfluenceVector fSteerToCenter;
  ktInfluenceVector fSteerToLeader;
  ktInfluenceVector fGatheringPlace;
  ktAccumInfluenceVectors fAccumulator;
  ktBoid* fNext;
  ktBoid* fPrev;
  ktBoid* fFriends[Max_Friends_Visible];
  // The library's own, after the interface's fields: the neighbour index
  // that holds the boid, or null, and the boid's ordinal in it.
  ktNeighbourIndex* fIndexedBy;
  int32_t fIndexSlot;

 private:
  // The creature's scene object, or null when the boid cannot steer.
  mkSceneObject* SteeredObject() const;
};

#endif  // TESSERA_KIT_BOIDS_FLOCK_H_
