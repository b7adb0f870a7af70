// ktFlocksc: the boid library (kit/boids) for scripts: flocks, boids,
// velocity and influence vectors and accumulators, made with new_X and freed
// with delete_X, and the library's defaults and limits as module constants.
//
// The library itself unlinks nothing when an object goes (a flock keeps a
// freed member in its list, an accumulator a freed vector). Freeing through
// this module therefore first takes the object out of every structure of
// live script objects that refers to it, so that a later step never reads
// freed memory:
// - delete_ktBoid removes the boid from every flock's member list, clears it
//   as a leader and drops every other boid's link or neighbour entry to it;
// - delete_ktFlock clears the links of exactly the boids in its member list
//   and leaves the boids built with it without a flock (they no longer
//   steer: FlockIt and AvoidBlockers write zero);
// - delete_ktInfluenceVector removes the vector from every accumulator's
//   list and every other vector's next link.
//
// Next links never form a ring, which every walk of a member or vector list
// would follow for ever: a link that would close one (ktBoid_SetNext,
// ktInfluenceVector_SetNext, or the unlinking of ktBoid_LinkOut after a
// script set a previous link by hand) is refused with a ValueError and
// changes nothing. A boid taken out of a flock's list (ktFlock_RemoveFrom,
// ktFlock_AddTo to another flock, delete_ktBoid) first gets the previous
// link that the list says, so its neighbours are joined as the list holds
// them.
#include <cstring>

#include "kit/boids/flock.h"
#include "kit/boids/vectors.h"
#include "script/modules/functions.h"
#include "script/modules/modules.h"

namespace script {

SCRIPT_TYPE(ktFlock, "ktFlock")
SCRIPT_TYPE(ktBoid, "ktBoid")
SCRIPT_TYPE(ktVelocityVector, "ktVelocityVector")
SCRIPT_TYPE(ktInfluenceVector, "ktInfluenceVector")
SCRIPT_TYPE(ktAccumInfluenceVectors, "ktAccumInfluenceVectors")
// The key arrays of the avoid and gathering lists.
template <>
struct ScriptType<mkRegistryKey*> {
  static constexpr const char* kName = "_mkRegistryKey_pp";
};

namespace {

TypeTable& Types() {
  return FlocksModule().types();
}

// --- Unlinking before a free -------------------------------------------------------

// Whether following next links from `from` (included) reaches `target`. The
// links never form a ring (every operation that sets one is checked), so
// the walk ends.
template <class T>
bool Reaches(T* from, const T* target) {
  for (T* p = from; p != nullptr; p = p->fNext)
    if (p == target) return true;
  return false;
}

// Whether unlinking `boid` (its previous boid then leads to its next) would
// close a ring of next links.
bool LinkOutClosesRing(const ktBoid* boid) {
  return boid->fPrev != nullptr && boid->fNext != nullptr && Reaches(boid->fNext, boid->fPrev);
}

// The library's RemoveFrom, after the boid's previous link is made the one
// that its list says (a script may have set it by hand), so that the
// unlinking joins the list's own neighbours and never closes a ring.
void RemoveMember(ktFlock* flock, ktBoid* boid) {
  ktBoid* previous = nullptr;
  for (ktBoid* member = flock->fFirst; member != nullptr;
       previous = member, member = member->fNext) {
    if (member != boid) continue;
    if (boid->fPrev != previous) boid->SetPrev(previous);
    flock->RemoveFrom(boid);
    return;
  }
}

PyObject* RingError(const char* function) {
  PyErr_Format(PyExc_ValueError, "%s: the link would close a ring of boids", function);
  return nullptr;
}

void ForgetBoidInFlock(void* object, void* boid) {
  ktFlock* flock = static_cast<ktFlock*>(object);
  RemoveMember(flock, static_cast<ktBoid*>(boid));
  if (flock->fLeader == boid) flock->fLeader = nullptr;
}

void ForgetBoidInBoid(void* object, void* gone) {
  ktBoid* boid = static_cast<ktBoid*>(object);
  // Through the link operations, which keep the neighbour index true.
  if (boid->fNext == gone) boid->SetNext(nullptr);
  if (boid->fPrev == gone) boid->SetPrev(nullptr);
  if (boid->fNearestFriend == gone) boid->fNearestFriend = nullptr;
  if (boid->fNearestBoid == gone) boid->fNearestBoid = nullptr;
  for (ktBoid*& f : boid->fFriends)
    if (f == gone) f = nullptr;
}

// A boid built with the freed flock no longer has one; its links belong to
// the list that holds it, which may be another flock's.
void ForgetFlock(void* object, void* flock) {
  ktBoid* boid = static_cast<ktBoid*>(object);
  if (boid->fFlock == flock) boid->fFlock = nullptr;
}

void ForgetVectorInAccumulator(void* object, void* vector) {
  ktAccumInfluenceVectors* accumulator = static_cast<ktAccumInfluenceVectors*>(object);
  ktInfluenceVector* previous = nullptr;
  for (ktInfluenceVector* v = accumulator->fFirst; v != nullptr; previous = v, v = v->fNext) {
    if (v != vector) continue;
    if (previous == nullptr)
      accumulator->fFirst = v->fNext;
    else
      previous->fNext = v->fNext;
    if (accumulator->fLast == v) accumulator->fLast = previous;
    break;
  }
}

void ForgetVectorInVector(void* object, void* vector) {
  ktInfluenceVector* v = static_cast<ktInfluenceVector*>(object);
  if (v->fNext == vector) v->fNext = nullptr;
}

// --- The native functions of the rows ------------------------------------------------

namespace native {

using Api = OrNull<egSceneApi>;

// The checks of delete_X: an object that new_X made and that is not freed
// yet, of exactly type T (not a derived type that an equivalence lets pass).
// It leaves the live register; false with a TypeError otherwise.
template <class T>
bool Freeing(T* object, const char* function) {
  if (!live::Made(object, ScriptType<T>::kName)) {
    PyErr_Format(PyExc_TypeError, "Type error in argument 1 of %s. Expected %s.", function,
                 ScriptType<T>::kName);
    return false;
  }
  live::Remove(object);
  return true;
}

PyObject* new_ktFlock(Api api) {
  return MakeObject<ktFlock>(api.get());
}
PyObject* delete_ktFlock(ktFlock* flock) {
  if (!Freeing(flock, "delete_ktFlock")) return nullptr;
  // Exactly its own members leave its list, their links cleared.
  for (ktBoid* member = flock->fFirst; member != nullptr;) {
    ktBoid* next = member->fNext;
    member->SetNext(nullptr);
    member->SetPrev(nullptr);
    member = next;
  }
  flock->fFirst = nullptr;
  flock->fCount = 0;
  live::ForEach(ScriptType<ktBoid>::kName, ForgetFlock, flock);
  // The key arrays that it handed out go with it.
  host::Remove(flock->fAvoidObjects);
  host::Remove(flock->fGatheringPlaces);
  DestroyObject(flock);
  Py_RETURN_NONE;
}
PyObject* new_ktBoid(OrNull<mkRegistryKey> key, OrNull<ktFlock> flock, Api api) {
  return MakeObject<ktBoid>(key.get(), flock.get(), api.get());
}
PyObject* delete_ktBoid(ktBoid* boid) {
  if (!Freeing(boid, "delete_ktBoid")) return nullptr;
  live::ForEach(ScriptType<ktFlock>::kName, ForgetBoidInFlock, boid);
  live::ForEach(ScriptType<ktBoid>::kName, ForgetBoidInBoid, boid);
  DestroyObject(boid);
  Py_RETURN_NONE;
}
PyObject* new_ktVelocityVector() {
  return MakeObject<ktVelocityVector>();
}
PyObject* delete_ktVelocityVector(ktVelocityVector* v) {
  if (!Freeing(v, "delete_ktVelocityVector")) return nullptr;
  DestroyObject(v);
  Py_RETURN_NONE;
}
PyObject* new_ktInfluenceVector() {
  return MakeObject<ktInfluenceVector>();
}
PyObject* delete_ktInfluenceVector(ktInfluenceVector* v) {
  if (!Freeing(v, "delete_ktInfluenceVector")) return nullptr;
  live::ForEach(ScriptType<ktAccumInfluenceVectors>::kName, ForgetVectorInAccumulator, v);
  live::ForEach(ScriptType<ktInfluenceVector>::kName, ForgetVectorInVector, v);
  DestroyObject(v);
  Py_RETURN_NONE;
}
PyObject* new_ktAccumInfluenceVectors(float low, float high) {
  return MakeObject<ktAccumInfluenceVectors>(low, high);
}
PyObject* delete_ktAccumInfluenceVectors(ktAccumInfluenceVectors* a) {
  if (!Freeing(a, "delete_ktAccumInfluenceVectors")) return nullptr;
  DestroyObject(a);
  Py_RETURN_NONE;
}

// The fourteen parameters: Set, Get and Update on the flock, Set, Get and
// Default on the boid.
#define KT_PARAMETER_FNS(Name, Initial)             \
  void ktFlock_Set##Name(ktFlock* f, float value) { \
    f->Set##Name(value);                            \
  }                                                 \
  float ktFlock_Get##Name(ktFlock* f) {             \
    return f->Get##Name();                          \
  }                                                 \
  void ktFlock_Update##Name(ktFlock* f) {           \
    f->Update##Name();                              \
  }                                                 \
  void ktBoid_Set##Name(ktBoid* b, float value) {   \
    b->Set##Name(value);                            \
  }                                                 \
  float ktBoid_Get##Name(ktBoid* b) {               \
    return b->Get##Name();                          \
  }                                                 \
  void ktBoid_Default##Name(ktBoid* b) {            \
    b->Default##Name();                             \
  }
KT_BOID_PARAMETERS(KT_PARAMETER_FNS)
#undef KT_PARAMETER_FNS

// A boid may be in one flock's member list at a time: adding it to another
// first takes it out of the one that holds it, so that two lists never share
// its links.
void ktFlock_AddTo(ktFlock* self, ktBoid* boid) {
  struct Context {
    ktFlock* keep;
    ktBoid* boid;
  } context{self, boid};
  live::ForEach(
      ScriptType<ktFlock>::kName,
      [](void* flock, void* c) {
        auto* other = static_cast<Context*>(c);
        if (flock != other->keep) RemoveMember(static_cast<ktFlock*>(flock), other->boid);
      },
      &context);
  self->AddTo(boid);
}
// "NULL" removes nothing, as the library does for a null boid.
void ktFlock_RemoveFrom(ktFlock* self, OrNull<ktBoid> boid) {
  if (boid) RemoveMember(self, boid.get());
}
void ktFlock_SetLeader(ktFlock* self, OrNull<ktBoid> boid) {
  self->SetLeader(boid.get());
}
ktBoid* ktFlock_GetLeader(ktFlock* self) {
  return self->GetLeader();
}
ktBoid* ktFlock_GetFirstMember(ktFlock* self) {
  return self->GetFirstMember();
}
int32_t ktFlock_GetCount(ktFlock* self) {
  return self->GetCount();
}
void ktFlock_SetWaypoint(ktFlock* self, int32_t waypoint) {
  self->SetWaypoint(waypoint);
}
int32_t ktFlock_GetWaypoint(ktFlock* self) {
  return self->GetWaypoint();
}
void ktFlock_IncWaypoint(ktFlock* self) {
  self->IncWaypoint();
}
void ktFlock_DefaultAll(ktFlock* self) {
  self->DefaultAll();
}
void ktFlock_UpdateAll(ktFlock* self) {
  self->UpdateAll();
}
void ktFlock_AddAvoidObjects(ktFlock* self, const char** names) {
  self->AddAvoidObjects(names);
}
void ktFlock_AddGatheringPlaces(ktFlock* self, const char** names) {
  self->AddGatheringPlaces(names);
}
void ktFlock_RemoveAllAvoidObjects(ktFlock* self) {
  self->RemoveAllAvoidObjects();
}
void ktFlock_RemoveAllGatheringPlaces(ktFlock* self) {
  self->RemoveAllGatheringPlaces();
}
mkRegistryKey** ktFlock_GetAvoidObjects(ktFlock* self) {
  return self->GetAvoidObjects();
}
mkRegistryKey** ktFlock_GetGatheringPlaces(ktFlock* self) {
  return self->GetGatheringPlaces();
}
int32_t ktFlock_GetMaxAvoidObjects(ktFlock* self) {
  return self->GetMaxAvoidObjects();
}
int32_t ktFlock_GetMaxGatheringPlaces(ktFlock* self) {
  return self->GetMaxGatheringPlaces();
}

void ktBoid_SetWaypoint(ktBoid* self, int32_t waypoint) {
  self->SetWaypoint(waypoint);
}
int32_t ktBoid_GetWaypoint(ktBoid* self) {
  return self->GetWaypoint();
}
void ktBoid_IncWaypoint(ktBoid* self) {
  self->IncWaypoint();
}
void ktBoid_DefaultAll(ktBoid* self) {
  self->DefaultAll();
}
void ktBoid_AddAvoidObjects(ktBoid* self, const char** names) {
  self->AddAvoidObjects(names);
}
void ktBoid_AddGatheringPlaces(ktBoid* self, const char** names) {
  self->AddGatheringPlaces(names);
}
void ktBoid_RemoveAllAvoidObjects(ktBoid* self) {
  self->RemoveAllAvoidObjects();
}
void ktBoid_RemoveAllGatheringPlaces(ktBoid* self) {
  self->RemoveAllGatheringPlaces();
}
PyObject* ktBoid_SetNext(ktBoid* self, OrNull<ktBoid> other) {
  if (Reaches(other.get(), self)) return RingError("ktBoid_SetNext");
  self->SetNext(other.get());
  Py_RETURN_NONE;
}
void ktBoid_SetPrev(ktBoid* self, OrNull<ktBoid> other) {
  self->SetPrev(other.get());
}
ktBoid* ktBoid_GetNext(ktBoid* self) {
  return self->GetNext();
}
PyObject* ktBoid_LinkOut(ktBoid* self) {
  if (LinkOutClosesRing(self)) return RingError("ktBoid_LinkOut");
  self->LinkOut();
  Py_RETURN_NONE;
}
void ktBoid_SetInFlock(ktBoid* self, int32_t flag) {
  self->SetInFlock(flag);
}
int32_t ktBoid_IsInFlock(ktBoid* self) {
  return self->IsInFlock();
}
void ktBoid_FlockIt(ktBoid* self, ktVelocityVector* current, ktInfluenceVector* out) {
  self->FlockIt(current, out);
}
float ktBoid_AvoidBlockers(ktBoid* self, float far, float near, float probe,
                           ktInfluenceVector* out) {
  return self->AvoidBlockers(far, near, probe, out);
}
float ktBoid_GetWhereToDistance(ktBoid* self) {
  return self->GetWhereToDistance();
}

void ktVelocityVector_Set(ktVelocityVector* self, mkVector3* v, float speed) {
  self->Set(*v, speed);
}
void ktVelocityVector_SetVector(ktVelocityVector* self, mkVector3* v) {
  self->SetVector(*v);
}
void ktVelocityVector_SetSpeed(ktVelocityVector* self, float speed) {
  self->SetSpeed(speed);
}
void ktVelocityVector_GetVector(ktVelocityVector* self, mkVector3* v) {
  *v = self->GetVector();
}
float ktVelocityVector_GetSpeed(ktVelocityVector* self) {
  return self->GetSpeed();
}
void ktVelocityVector_Reset(ktVelocityVector* self) {
  self->Reset();
}

void ktInfluenceVector_Set(ktInfluenceVector* self, mkVector3* v, float speed, float influence) {
  self->SetWithInfluence(*v, speed, influence);
}
void ktInfluenceVector_SetInfluence(ktInfluenceVector* self, float influence) {
  self->SetInfluence(influence);
}
float ktInfluenceVector_GetInfluence(ktInfluenceVector* self) {
  return self->GetInfluence();
}
PyObject* ktInfluenceVector_SetNext(ktInfluenceVector* self, OrNull<ktInfluenceVector> next) {
  if (Reaches(next.get(), self)) {
    PyErr_SetString(PyExc_ValueError,
                    "ktInfluenceVector_SetNext: the link would close a ring of vectors");
    return nullptr;
  }
  self->SetNext(next.get());
  Py_RETURN_NONE;
}
ktInfluenceVector* ktInfluenceVector_GetNext(ktInfluenceVector* self) {
  return self->GetNext();
}
void ktInfluenceVector_Reset(ktInfluenceVector* self) {
  self->Reset();
}
void ktInfluenceVector_ResetNext(ktInfluenceVector* self) {
  self->ResetNext();
}

void ktAccumInfluenceVectors_SetMinMaxInfluences(ktAccumInfluenceVectors* self, float low,
                                                 float high) {
  self->SetMinMaxInfluences(low, high);
}
void ktAccumInfluenceVectors_AddAVector(ktAccumInfluenceVectors* self, ktInfluenceVector* v) {
  self->AddAVector(v);
}
void ktAccumInfluenceVectors_TallyVectors(ktAccumInfluenceVectors* self, ktVelocityVector* out) {
  self->TallyVectors(out);
}

}  // namespace native

// clang-format off
// The six rows of parameter Name.
#define KT_PARAMETER_ROWS(X, Name) \
  X(ktFlock_Set##Name, "(ktFlock, value: float) -> None\nSets the flock's " #Name ".") \
  X(ktFlock_Get##Name, "(ktFlock) -> float\nThe flock's " #Name ".") \
  X(ktFlock_Update##Name, "(ktFlock) -> None\nCopies the flock's " #Name " to every member.") \
  X(ktBoid_Set##Name, "(ktBoid, value: float) -> None\nSets the boid's " #Name ".") \
  X(ktBoid_Get##Name, "(ktBoid) -> float\nThe boid's " #Name ".") \
  X(ktBoid_Default##Name, "(ktBoid) -> None\nThe boid's " #Name " becomes its flock's current value.")
#define KT_FLOCK_OBJECT_ROWS(X) \
  X(new_ktFlock, "(api: egSceneApi) -> ktFlock\nA new flock with every parameter at its default; " "`api` (from egBrainDll_GetSceneApi) resolves names in the Add functions.") \
  X(delete_ktFlock, "(ktFlock) -> None\nFrees the flock after clearing the links of its own members; the boids built with it are left without a flock (they stop steering).") \
  X(new_ktBoid, "(key: mkRegistryKey, flock: ktFlock, api: egSceneApi) -> ktBoid\nA new boid for the " "object that `key` names, with the flock's current parameters (it does not join the " "member list: use ktFlock_AddTo).") \
  X(delete_ktBoid, "(ktBoid) -> None\nFrees the boid after taking it out of every flock " "and every other boid's links.") \
  X(new_ktVelocityVector, "() -> ktVelocityVector\nDirection (0, 0, 0), speed 0.") \
  X(delete_ktVelocityVector, "(ktVelocityVector) -> None\nFrees the vector.") \
  X(new_ktInfluenceVector, "() -> ktInfluenceVector\nDirection (0, 0, 0), speed 0, influence 0.") \
  X(delete_ktInfluenceVector, "(ktInfluenceVector) -> None\nFrees the vector after taking " "it out of every accumulator and every other vector's link.") \
  X(new_ktAccumInfluenceVectors, "(min: float, max: float) -> ktAccumInfluenceVectors\nAn empty accumulator with these " "influence limits.") \
  X(delete_ktAccumInfluenceVectors, "(ktAccumInfluenceVectors) -> None\nFrees it.")
#define KT_FLOCK_ROWS(X) \
  X(ktFlock_AddTo, "(ktFlock, boid: ktBoid) -> None\nAppends the boid to the member list " "(taking it out of another flock's list first).") \
  X(ktFlock_RemoveFrom, "(ktFlock, boid: ktBoid) -> None\nTakes the boid out of the list ('NULL' changes " "nothing).") \
  X(ktFlock_SetLeader, "(ktFlock, boid: ktBoid) -> None\nSets the leader ('NULL': none).") \
  X(ktFlock_GetLeader, "(ktFlock) -> ktBoid\nThe leader, or 'NULL'.") \
  X(ktFlock_GetFirstMember, "(ktFlock) -> ktBoid\nThe first member, or 'NULL'.") \
  X(ktFlock_GetCount, "(ktFlock) -> int\nThe number of members.") \
  X(ktFlock_SetWaypoint, "(ktFlock, waypoint: int) -> None\n-1 seeks the nearest " "gathering place, 0 to 9 the place at that index.") \
  X(ktFlock_GetWaypoint, "(ktFlock) -> int\nThe waypoint.") \
  X(ktFlock_IncWaypoint, "(ktFlock) -> None\nAdds 1 to the waypoint.") \
  X(ktFlock_DefaultAll, "(ktFlock) -> None\nEvery parameter back to its default.") \
  X(ktFlock_UpdateAll, "(ktFlock) -> None\nEvery parameter copied to every member.") \
  X(ktFlock_AddAvoidObjects, "(ktFlock, names: list of str) -> None\nAdds the objects of these names to the avoid " "list (at most 19 in all; unknown names are skipped).") \
  X(ktFlock_AddGatheringPlaces, "(ktFlock, names: list of str) -> None\nAdds the objects of these names to the " "gathering list (at most 9 in all).") \
  X(ktFlock_RemoveAllAvoidObjects, "(ktFlock) -> None\nEmpties the avoid list.") \
  X(ktFlock_RemoveAllGatheringPlaces, "(ktFlock) -> None\nEmpties the gathering list.") \
  X(ktFlock_GetAvoidObjects, "(ktFlock) -> mkRegistryKey_pp\nThe avoid list's key array (20 entries).") \
  X(ktFlock_GetGatheringPlaces, "(ktFlock) -> mkRegistryKey_pp\nThe gathering list's key array (10 entries).") \
  X(ktFlock_GetMaxAvoidObjects, "(ktFlock) -> int\n20.") \
  X(ktFlock_GetMaxGatheringPlaces, "(ktFlock) -> int\n10.") \
  X(ktBoid_SetWaypoint, "(ktBoid, waypoint: int) -> None\nThe boid's own waypoint.") \
  X(ktBoid_GetWaypoint, "(ktBoid) -> int\nThe boid's own waypoint.") \
  X(ktBoid_IncWaypoint, "(ktBoid) -> None\nAdds 1 to the boid's waypoint.") \
  X(ktBoid_DefaultAll, "(ktBoid) -> None\nEvery parameter becomes the flock's value.") \
  X(ktBoid_AddAvoidObjects, "(ktBoid, names: list of str) -> None\nThe boid's own avoid list.") \
  X(ktBoid_AddGatheringPlaces, "(ktBoid, names: list of str) -> None\nThe boid's own gathering list.") \
  X(ktBoid_RemoveAllAvoidObjects, "(ktBoid) -> None\nEmpties the boid's avoid list.") \
  X(ktBoid_RemoveAllGatheringPlaces, "(ktBoid) -> None\nEmpties the boid's gathering list.") \
  X(ktBoid_SetNext, "(ktBoid, next: ktBoid) -> None\nThe member list's next link ('NULL' for none; " "ValueError for a link that would close a ring).") \
  X(ktBoid_SetPrev, "(ktBoid, prev: ktBoid) -> None\nThe member list's previous link.") \
  X(ktBoid_GetNext, "(ktBoid) -> ktBoid\nThe next member, or 'NULL'.") \
  X(ktBoid_LinkOut, "(ktBoid) -> None\nJoins the neighbours on either side (ValueError where that would " "close a ring).") \
  X(ktBoid_SetInFlock, "(ktBoid, flag: int) -> None\n0 makes the boid a loner (never a friend).") \
  X(ktBoid_IsInFlock, "(ktBoid) -> int\nThe in-flock flag.") \
  X(ktBoid_FlockIt, "(ktBoid, current: ktVelocityVector, out: ktInfluenceVector) -> None\nOne steering " "step from the current velocity (an influence vector is accepted); writes the " "direction and speed into `out`.") \
  X(ktBoid_AvoidBlockers, "(ktBoid, far: float, near: float, probe: float, out: ktInfluenceVector) -> " "float\nProbes ahead for objects of the avoid list; writes the way out into `out` and " "returns its speed (0 when nothing blocks).") \
  X(ktBoid_GetWhereToDistance, "(ktBoid) -> float\nThe distance to the gathering target " "of the last step (INFINITY: none).") \
  X(ktVelocityVector_Set, "(ktVelocityVector, v: mkVector3, speed: float) -> None\nDirection (normalised) and " "speed.") \
  X(ktVelocityVector_SetVector, "(ktVelocityVector, v: mkVector3) -> None\nThe direction (normalised).") \
  X(ktVelocityVector_SetSpeed, "(ktVelocityVector, speed: float) -> None\nThe speed.") \
  X(ktVelocityVector_GetVector, "(ktVelocityVector, v: mkVector3) -> None\nv receives the direction.") \
  X(ktVelocityVector_GetSpeed, "(ktVelocityVector) -> float\nThe speed.") \
  X(ktVelocityVector_Reset, "(ktVelocityVector) -> None\nDirection and speed 0.") \
  X(ktInfluenceVector_Set, "(ktInfluenceVector, v: mkVector3, speed: float, influence: float) -> None\nDirection " "(normalised), speed and influence.") \
  X(ktInfluenceVector_SetInfluence, "(ktInfluenceVector, influence: float) -> None\nThe influence.") \
  X(ktInfluenceVector_GetInfluence, "(ktInfluenceVector) -> float\nThe influence.") \
  X(ktInfluenceVector_SetNext, "(ktInfluenceVector, next: ktInfluenceVector) -> None\nThe accumulator link ('NULL' " "for none; ValueError for a link that would close a ring).") \
  X(ktInfluenceVector_GetNext, "(ktInfluenceVector) -> ktInfluenceVector\nThe accumulator link, or 'NULL'.") \
  X(ktInfluenceVector_Reset, "(ktInfluenceVector) -> None\nDirection and speed 0, influence 1.") \
  X(ktInfluenceVector_ResetNext, "(ktInfluenceVector) -> None\nClears the link.") \
  X(ktAccumInfluenceVectors_SetMinMaxInfluences, "(ktAccumInfluenceVectors, min: float, max: float) -> None\nThe influence limits.") \
  X(ktAccumInfluenceVectors_AddAVector, "(ktAccumInfluenceVectors, v: ktInfluenceVector) -> None\nAppends the vector (it " "stays the script's).") \
  X(ktAccumInfluenceVectors_TallyVectors, "(ktAccumInfluenceVectors, out: ktVelocityVector) -> None\nWrites the blend of the " "vectors into `out`.")
// clang-format on

#define KT_NAME(Name, Doc) constexpr char Name##_name[] = #Name;
#define KT_PARAMETER_NAMES(Name, Initial) KT_PARAMETER_ROWS(KT_NAME, Name)
KT_FLOCK_OBJECT_ROWS(KT_NAME)
KT_BOID_PARAMETERS(KT_PARAMETER_NAMES)
KT_FLOCK_ROWS(KT_NAME)
#undef KT_PARAMETER_NAMES
#undef KT_NAME

#define KT_DEF(Name, Doc) \
  {#Name, FastFunction(&Bind<native::Name, Name##_name, Types>), METH_FASTCALL, Doc},
#define KT_PARAMETER_DEFS(Name, Initial) KT_PARAMETER_ROWS(KT_DEF, Name)
PyMethodDef kFunctions[] = {KT_FLOCK_OBJECT_ROWS(KT_DEF) KT_BOID_PARAMETERS(KT_PARAMETER_DEFS)
                                KT_FLOCK_ROWS(KT_DEF){nullptr, nullptr, 0, nullptr}};
#undef KT_PARAMETER_DEFS
#undef KT_DEF

// The most boids that a flock is meant for (published for scripts; the
// library itself sets no bound).
constexpr int kMaxBoids = 30;

int SetConstants(PyObject* module) {
  struct FloatConstant {
    const char* name;
    float value;
  };
  const FloatConstant floats[] = {
      {"DEFAULT_MaxSpeed", 1.0f},
      {"DEFAULT_DesiredSpeed", 0.5f},
      {"DEFAULT_DesiredInfluence", 1.0f},
      {"DEFAULT_MaxChange", 0.1f},
      {"DEFAULT_SeparationDist", 5.0f},
      {"DEFAULT_CohesionDist", 10.0f},
      {"DEFAULT_PerceptionRange", 100.0f},
      {"DEFAULT_WaypointCloseEnough", 5.0f},
      {"DEFAULT_DesiredCruisingInfluence", 0.5f},
      {"DEFAULT_DesiredKeepDistanceInfluence", 1.0f},
      {"DEFAULT_DesiredCohesionInfluence", 1.0f},
      {"DEFAULT_DesiredMatchHeadingInfluence", 0.5f},
      {"DEFAULT_DesiredSteerToCenterInfluence", 0.5f},
      {"DEFAULT_DesiredSteerToLeaderInfluence", 0.5f},
      {"DEFAULT_DesiredGatheringPlaceInfluence", 0.5f},
  };
  for (const FloatConstant& c : floats) {
    PyRef value(PyFloat_FromDouble(double(c.value)));
    if (!value || PyModule_AddObjectRef(module, c.name, value.get()) < 0) return -1;
  }
  if (PyModule_AddIntConstant(module, "MaxBoids", kMaxBoids) < 0 ||
      PyModule_AddIntConstant(module, "Max_Friends_Visible", Max_Friends_Visible) < 0 ||
      PyModule_AddIntConstant(module, "MaxAvoidObjects", MaxAvoidObjects) < 0 ||
      PyModule_AddIntConstant(module, "MaxGatheringPlaces", MaxGatheringPlaces) < 0)
    return -1;
  const FloatConstant last[] = {{"INFINITY", ktINFINITY},
                                {"DEFAULT_MININFLUENCE", DEFAULT_MININFLUENCE},
                                {"DEFAULT_MAXINFLUENCE", DEFAULT_MAXINFLUENCE}};
  for (const FloatConstant& c : last) {
    PyRef value(PyFloat_FromDouble(double(c.value)));
    if (!value || PyModule_AddObjectRef(module, c.name, value.get()) < 0) return -1;
  }
  return 0;
}

}  // namespace

void DeclareFlocksModuleObjects() {
  for (const char* type :
       {ScriptType<ktFlock>::kName, ScriptType<ktBoid>::kName, ScriptType<ktVelocityVector>::kName,
        ScriptType<ktInfluenceVector>::kName, ScriptType<ktAccumInfluenceVectors>::kName})
    live::DeclareOwnedType(type);
}

ScriptModule& FlocksModule() {
  static ScriptModule module("ktFlocksc", kFunctions, {}, RegisterFlockEquivalences, SetConstants);
  return module;
}

}  // namespace script
