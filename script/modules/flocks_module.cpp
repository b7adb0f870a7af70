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

namespace {

TypeTable& Types() {
  return FlocksModule().types();
}

#define FN(Name) PyObject* Name(PyObject*, PyObject* args)

template <class T>
bool One(PyObject* args, const char* format, const char* name, T*& self) {
  const char* text = nullptr;
  if (!ParseArgs(args, format, &text)) return false;
  return Arguments(Types(), name).Get(1, text, self);
}

template <class T, class U>
bool Two(PyObject* args, const char* format, const char* name, T*& self, U*& other) {
  const char *s = nullptr, *t = nullptr;
  if (!ParseArgs(args, format, &s, &t)) return false;
  Arguments a(Types(), name);
  return a.Get(1, s, self) && a.Get(2, t, other);
}

template <class T>
bool WithFloat(PyObject* args, const char* format, const char* name, T*& self, float& value) {
  const char* text = nullptr;
  if (!ParseArgs(args, format, &text, &value)) return false;
  return Arguments(Types(), name).Get(1, text, self);
}

template <class T>
bool WithLong(PyObject* args, const char* format, const char* name, T*& self, long& value) {
  const char* text = nullptr;
  if (!ParseArgs(args, format, &text, &value)) return false;
  return Arguments(Types(), name).Get(1, text, self);
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

// --- Constructors and destructors --------------------------------------------------

FN(new_ktFlock) {
  const char* text;
  if (!ParseArgs(args, "s:new_ktFlock", &text)) return nullptr;
  egSceneApi* api;
  if (!Arguments(Types(), "new_ktFlock").GetOrNull(1, text, api)) return nullptr;
  return MakeObject<ktFlock>(api);
}
FN(new_ktBoid) {
  const char *k, *f, *a;
  if (!ParseArgs(args, "sss:new_ktBoid", &k, &f, &a)) return nullptr;
  mkRegistryKey* key;
  ktFlock* flock;
  egSceneApi* api;
  Arguments arguments(Types(), "new_ktBoid");
  if (!arguments.GetOrNull(1, k, key) || !arguments.GetOrNull(2, f, flock) ||
      !arguments.GetOrNull(3, a, api))
    return nullptr;
  return MakeObject<ktBoid>(key, flock, api);
}
FN(new_ktVelocityVector) {
  if (!ParseArgs(args, ":new_ktVelocityVector")) return nullptr;
  return MakeObject<ktVelocityVector>();
}
FN(new_ktInfluenceVector) {
  if (!ParseArgs(args, ":new_ktInfluenceVector")) return nullptr;
  return MakeObject<ktInfluenceVector>();
}
FN(new_ktAccumInfluenceVectors) {
  float low, high;
  if (!ParseArgs(args, "ff:new_ktAccumInfluenceVectors", &low, &high)) return nullptr;
  return MakeObject<ktAccumInfluenceVectors>(low, high);
}

FN(delete_ktFlock) {
  ktFlock* flock = ObjectToFree<ktFlock>(Types(), "delete_ktFlock", args, "s:delete_ktFlock");
  if (flock == nullptr) return nullptr;
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
FN(delete_ktBoid) {
  ktBoid* boid = ObjectToFree<ktBoid>(Types(), "delete_ktBoid", args, "s:delete_ktBoid");
  if (boid == nullptr) return nullptr;
  live::ForEach(ScriptType<ktFlock>::kName, ForgetBoidInFlock, boid);
  live::ForEach(ScriptType<ktBoid>::kName, ForgetBoidInBoid, boid);
  DestroyObject(boid);
  Py_RETURN_NONE;
}
FN(delete_ktVelocityVector) {
  ktVelocityVector* v = ObjectToFree<ktVelocityVector>(Types(), "delete_ktVelocityVector", args,
                                                       "s:delete_ktVelocityVector");
  if (v == nullptr) return nullptr;
  DestroyObject(v);
  Py_RETURN_NONE;
}
FN(delete_ktInfluenceVector) {
  ktInfluenceVector* v = ObjectToFree<ktInfluenceVector>(Types(), "delete_ktInfluenceVector", args,
                                                         "s:delete_ktInfluenceVector");
  if (v == nullptr) return nullptr;
  live::ForEach(ScriptType<ktAccumInfluenceVectors>::kName, ForgetVectorInAccumulator, v);
  live::ForEach(ScriptType<ktInfluenceVector>::kName, ForgetVectorInVector, v);
  DestroyObject(v);
  Py_RETURN_NONE;
}
FN(delete_ktAccumInfluenceVectors) {
  ktAccumInfluenceVectors* a = ObjectToFree<ktAccumInfluenceVectors>(
      Types(), "delete_ktAccumInfluenceVectors", args, "s:delete_ktAccumInfluenceVectors");
  if (a == nullptr) return nullptr;
  DestroyObject(a);
  Py_RETURN_NONE;
}

// --- The fourteen parameters -------------------------------------------------------

#define PARAMETER_FNS(Name, Initial)                                                              \
  FN(ktFlock_Set##Name) {                                                                         \
    ktFlock* self;                                                                                \
    float value;                                                                                  \
    if (!WithFloat(args, "sf:ktFlock_Set" #Name, "ktFlock_Set" #Name, self, value))               \
      return nullptr;                                                                             \
    self->Set##Name(value);                                                                       \
    Py_RETURN_NONE;                                                                               \
  }                                                                                               \
  FN(ktFlock_Get##Name) {                                                                         \
    ktFlock* self;                                                                                \
    if (!One(args, "s:ktFlock_Get" #Name, "ktFlock_Get" #Name, self)) return nullptr;             \
    return PyFloat_FromDouble(double(self->Get##Name()));                                         \
  }                                                                                               \
  FN(ktFlock_Update##Name) {                                                                      \
    ktFlock* self;                                                                                \
    if (!One(args, "s:ktFlock_Update" #Name, "ktFlock_Update" #Name, self)) return nullptr;       \
    self->Update##Name();                                                                         \
    Py_RETURN_NONE;                                                                               \
  }                                                                                               \
  FN(ktBoid_Set##Name) {                                                                          \
    ktBoid* self;                                                                                 \
    float value;                                                                                  \
    if (!WithFloat(args, "sf:ktBoid_Set" #Name, "ktBoid_Set" #Name, self, value)) return nullptr; \
    self->Set##Name(value);                                                                       \
    Py_RETURN_NONE;                                                                               \
  }                                                                                               \
  FN(ktBoid_Get##Name) {                                                                          \
    ktBoid* self;                                                                                 \
    if (!One(args, "s:ktBoid_Get" #Name, "ktBoid_Get" #Name, self)) return nullptr;               \
    return PyFloat_FromDouble(double(self->Get##Name()));                                         \
  }                                                                                               \
  FN(ktBoid_Default##Name) {                                                                      \
    ktBoid* self;                                                                                 \
    if (!One(args, "s:ktBoid_Default" #Name, "ktBoid_Default" #Name, self)) return nullptr;       \
    self->Default##Name();                                                                        \
    Py_RETURN_NONE;                                                                               \
  }
KT_BOID_PARAMETERS(PARAMETER_FNS)

// --- Flocks ------------------------------------------------------------------------

// Flock and boid operations without arguments and without a result.
#define PLAIN_FN(T, Op)                                                \
  FN(T##_##Op) {                                                       \
    T* self;                                                           \
    if (!One(args, "s:" #T "_" #Op, #T "_" #Op, self)) return nullptr; \
    self->Op();                                                        \
    Py_RETURN_NONE;                                                    \
  }
#define INT_FN(T, Op, Code)                                            \
  FN(T##_##Op) {                                                       \
    T* self;                                                           \
    if (!One(args, "s:" #T "_" #Op, #T "_" #Op, self)) return nullptr; \
    return Py_BuildValue(Code, self->Op());                            \
  }
#define FLOAT_FN(T, Op)                                                \
  FN(T##_##Op) {                                                       \
    T* self;                                                           \
    if (!One(args, "s:" #T "_" #Op, #T "_" #Op, self)) return nullptr; \
    return PyFloat_FromDouble(double(self->Op()));                     \
  }
// An operation that takes one object of type U.
#define OBJECT_FN(T, Op, U)                                                    \
  FN(T##_##Op) {                                                               \
    T* self;                                                                   \
    U* other;                                                                  \
    if (!Two(args, "ss:" #T "_" #Op, #T "_" #Op, self, other)) return nullptr; \
    self->Op(other);                                                           \
    Py_RETURN_NONE;                                                            \
  }
#define POINTER_RESULT_FN(T, Op, U)                                    \
  FN(T##_##Op) {                                                       \
    T* self;                                                           \
    if (!One(args, "s:" #T "_" #Op, #T "_" #Op, self)) return nullptr; \
    return PointerResult(self->Op(), ScriptType<U>::kName);            \
  }
#define LIST_FN(T, Op)                                                      \
  FN(T##_##Op) {                                                            \
    const char* text;                                                       \
    PyObject* list;                                                         \
    if (!ParseArgs(args, "sO:" #T "_" #Op, &text, &list)) return nullptr;   \
    T* self;                                                                \
    if (!Arguments(Types(), #T "_" #Op).Get(1, text, self)) return nullptr; \
    StringList names;                                                       \
    if (!names.Convert(list)) return nullptr;                               \
    self->Op(names.texts());                                                \
    Py_RETURN_NONE;                                                         \
  }
#define WAYPOINT_FNS(T)                                                              \
  FN(T##_SetWaypoint) {                                                              \
    T* self;                                                                         \
    long waypoint;                                                                   \
    if (!WithLong(args, "sl:" #T "_SetWaypoint", #T "_SetWaypoint", self, waypoint)) \
      return nullptr;                                                                \
    self->SetWaypoint(int32_t(waypoint));                                            \
    Py_RETURN_NONE;                                                                  \
  }                                                                                  \
  INT_FN(T, GetWaypoint, "l")                                                        \
  PLAIN_FN(T, IncWaypoint)

// A boid may be in one flock's member list at a time: adding it to another
// first takes it out of the one that holds it, so that two lists never share
// its links.
FN(ktFlock_AddTo) {
  ktFlock* self;
  ktBoid* boid;
  if (!Two(args, "ss:ktFlock_AddTo", "ktFlock_AddTo", self, boid)) return nullptr;
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
  Py_RETURN_NONE;
}
// "NULL" removes nothing, as the library does for a null boid.
FN(ktFlock_RemoveFrom) {
  ktFlock* self;
  ktBoid* boid;
  const char *s, *t;
  if (!ParseArgs(args, "ss:ktFlock_RemoveFrom", &s, &t)) return nullptr;
  Arguments a(Types(), "ktFlock_RemoveFrom");
  if (!a.Get(1, s, self) || !a.GetOrNull(2, t, boid)) return nullptr;
  if (boid != nullptr) RemoveMember(self, boid);
  Py_RETURN_NONE;
}
FN(ktFlock_SetLeader) {
  ktFlock* self;
  ktBoid* boid;
  const char *s, *t;
  if (!ParseArgs(args, "ss:ktFlock_SetLeader", &s, &t)) return nullptr;
  Arguments a(Types(), "ktFlock_SetLeader");
  if (!a.Get(1, s, self) || !a.GetOrNull(2, t, boid)) return nullptr;
  self->SetLeader(boid);
  Py_RETURN_NONE;
}
POINTER_RESULT_FN(ktFlock, GetLeader, ktBoid)
POINTER_RESULT_FN(ktFlock, GetFirstMember, ktBoid)
INT_FN(ktFlock, GetCount, "i")
WAYPOINT_FNS(ktFlock)
PLAIN_FN(ktFlock, DefaultAll)
PLAIN_FN(ktFlock, UpdateAll)
LIST_FN(ktFlock, AddAvoidObjects)
LIST_FN(ktFlock, AddGatheringPlaces)
PLAIN_FN(ktFlock, RemoveAllAvoidObjects)
PLAIN_FN(ktFlock, RemoveAllGatheringPlaces)
FN(ktFlock_GetAvoidObjects) {
  ktFlock* self;
  if (!One(args, "s:ktFlock_GetAvoidObjects", "ktFlock_GetAvoidObjects", self)) return nullptr;
  return PointerResult(self->GetAvoidObjects(), "_mkRegistryKey_pp");
}
FN(ktFlock_GetGatheringPlaces) {
  ktFlock* self;
  if (!One(args, "s:ktFlock_GetGatheringPlaces", "ktFlock_GetGatheringPlaces", self))
    return nullptr;
  return PointerResult(self->GetGatheringPlaces(), "_mkRegistryKey_pp");
}
INT_FN(ktFlock, GetMaxAvoidObjects, "i")
INT_FN(ktFlock, GetMaxGatheringPlaces, "i")

// --- Boids -------------------------------------------------------------------------

WAYPOINT_FNS(ktBoid)
PLAIN_FN(ktBoid, DefaultAll)
LIST_FN(ktBoid, AddAvoidObjects)
LIST_FN(ktBoid, AddGatheringPlaces)
PLAIN_FN(ktBoid, RemoveAllAvoidObjects)
PLAIN_FN(ktBoid, RemoveAllGatheringPlaces)
FN(ktBoid_SetNext) {
  ktBoid *self, *other;
  const char *s, *t;
  if (!ParseArgs(args, "ss:ktBoid_SetNext", &s, &t)) return nullptr;
  Arguments a(Types(), "ktBoid_SetNext");
  if (!a.Get(1, s, self) || !a.GetOrNull(2, t, other)) return nullptr;
  if (Reaches(other, self)) return RingError("ktBoid_SetNext");
  self->SetNext(other);
  Py_RETURN_NONE;
}
FN(ktBoid_SetPrev) {
  ktBoid *self, *other;
  const char *s, *t;
  if (!ParseArgs(args, "ss:ktBoid_SetPrev", &s, &t)) return nullptr;
  Arguments a(Types(), "ktBoid_SetPrev");
  if (!a.Get(1, s, self) || !a.GetOrNull(2, t, other)) return nullptr;
  self->SetPrev(other);
  Py_RETURN_NONE;
}
POINTER_RESULT_FN(ktBoid, GetNext, ktBoid)
FN(ktBoid_LinkOut) {
  ktBoid* self;
  if (!One(args, "s:ktBoid_LinkOut", "ktBoid_LinkOut", self)) return nullptr;
  if (LinkOutClosesRing(self)) return RingError("ktBoid_LinkOut");
  self->LinkOut();
  Py_RETURN_NONE;
}
FN(ktBoid_SetInFlock) {
  ktBoid* self;
  long flag;
  if (!WithLong(args, "sl:ktBoid_SetInFlock", "ktBoid_SetInFlock", self, flag)) return nullptr;
  self->SetInFlock(int32_t(flag));
  Py_RETURN_NONE;
}
INT_FN(ktBoid, IsInFlock, "l")
FN(ktBoid_FlockIt) {
  const char *s, *t, *u;
  if (!ParseArgs(args, "sss:ktBoid_FlockIt", &s, &t, &u)) return nullptr;
  ktBoid* self;
  ktVelocityVector* current;
  ktInfluenceVector* out;
  Arguments a(Types(), "ktBoid_FlockIt");
  if (!a.Get(1, s, self) || !a.Get(2, t, current) || !a.Get(3, u, out)) return nullptr;
  self->FlockIt(current, out);
  Py_RETURN_NONE;
}
FN(ktBoid_AvoidBlockers) {
  const char *s, *t;
  float far, near, probe;
  if (!ParseArgs(args, "sfffs:ktBoid_AvoidBlockers", &s, &far, &near, &probe, &t)) return nullptr;
  ktBoid* self;
  ktInfluenceVector* out;
  Arguments a(Types(), "ktBoid_AvoidBlockers");
  if (!a.Get(1, s, self) || !a.Get(5, t, out)) return nullptr;
  return PyFloat_FromDouble(double(self->AvoidBlockers(far, near, probe, out)));
}
FLOAT_FN(ktBoid, GetWhereToDistance)

// --- Velocity and influence vectors -------------------------------------------------

FN(ktVelocityVector_Set) {
  const char *s, *t;
  float speed;
  if (!ParseArgs(args, "ssf:ktVelocityVector_Set", &s, &t, &speed)) return nullptr;
  ktVelocityVector* self;
  mkVector3* v;
  Arguments a(Types(), "ktVelocityVector_Set");
  if (!a.Get(1, s, self) || !a.Get(2, t, v)) return nullptr;
  self->Set(*v, speed);
  Py_RETURN_NONE;
}
FN(ktVelocityVector_SetVector) {
  ktVelocityVector* self;
  mkVector3* v;
  if (!Two(args, "ss:ktVelocityVector_SetVector", "ktVelocityVector_SetVector", self, v))
    return nullptr;
  self->SetVector(*v);
  Py_RETURN_NONE;
}
FN(ktVelocityVector_SetSpeed) {
  ktVelocityVector* self;
  float speed;
  if (!WithFloat(args, "sf:ktVelocityVector_SetSpeed", "ktVelocityVector_SetSpeed", self, speed))
    return nullptr;
  self->SetSpeed(speed);
  Py_RETURN_NONE;
}
FN(ktVelocityVector_GetVector) {
  ktVelocityVector* self;
  mkVector3* v;
  if (!Two(args, "ss:ktVelocityVector_GetVector", "ktVelocityVector_GetVector", self, v))
    return nullptr;
  *v = self->GetVector();
  Py_RETURN_NONE;
}
FLOAT_FN(ktVelocityVector, GetSpeed)
PLAIN_FN(ktVelocityVector, Reset)

FN(ktInfluenceVector_Set) {
  const char *s, *t;
  float speed, influence;
  if (!ParseArgs(args, "ssff:ktInfluenceVector_Set", &s, &t, &speed, &influence)) return nullptr;
  ktInfluenceVector* self;
  mkVector3* v;
  Arguments a(Types(), "ktInfluenceVector_Set");
  if (!a.Get(1, s, self) || !a.Get(2, t, v)) return nullptr;
  self->SetWithInfluence(*v, speed, influence);
  Py_RETURN_NONE;
}
FN(ktInfluenceVector_SetInfluence) {
  ktInfluenceVector* self;
  float influence;
  if (!WithFloat(args, "sf:ktInfluenceVector_SetInfluence", "ktInfluenceVector_SetInfluence", self,
                 influence))
    return nullptr;
  self->SetInfluence(influence);
  Py_RETURN_NONE;
}
FLOAT_FN(ktInfluenceVector, GetInfluence)
FN(ktInfluenceVector_SetNext) {
  ktInfluenceVector *self, *next;
  const char *s, *t;
  if (!ParseArgs(args, "ss:ktInfluenceVector_SetNext", &s, &t)) return nullptr;
  Arguments a(Types(), "ktInfluenceVector_SetNext");
  if (!a.Get(1, s, self) || !a.GetOrNull(2, t, next)) return nullptr;
  if (Reaches(next, self)) {
    PyErr_SetString(PyExc_ValueError,
                    "ktInfluenceVector_SetNext: the link would close a ring of vectors");
    return nullptr;
  }
  self->SetNext(next);
  Py_RETURN_NONE;
}
POINTER_RESULT_FN(ktInfluenceVector, GetNext, ktInfluenceVector)
PLAIN_FN(ktInfluenceVector, Reset)
PLAIN_FN(ktInfluenceVector, ResetNext)

FN(ktAccumInfluenceVectors_SetMinMaxInfluences) {
  const char* s;
  float low, high;
  if (!ParseArgs(args, "sff:ktAccumInfluenceVectors_SetMinMaxInfluences", &s, &low, &high))
    return nullptr;
  ktAccumInfluenceVectors* self;
  if (!Arguments(Types(), "ktAccumInfluenceVectors_SetMinMaxInfluences").Get(1, s, self))
    return nullptr;
  self->SetMinMaxInfluences(low, high);
  Py_RETURN_NONE;
}
OBJECT_FN(ktAccumInfluenceVectors, AddAVector, ktInfluenceVector)
OBJECT_FN(ktAccumInfluenceVectors, TallyVectors, ktVelocityVector)

#define DEF(Name, Doc) \
  { #Name, Name, METH_VARARGS, Doc }
#define PARAMETER_DEFS(Name, Initial)                                                      \
  DEF(ktFlock_Set##Name, "(ktFlock, value: float) -> None\nSets the flock's " #Name "."),  \
      DEF(ktFlock_Get##Name, "(ktFlock) -> float\nThe flock's " #Name "."),                \
      DEF(ktFlock_Update##Name,                                                            \
          "(ktFlock) -> None\nCopies the flock's " #Name " to every member."),             \
      DEF(ktBoid_Set##Name, "(ktBoid, value: float) -> None\nSets the boid's " #Name "."), \
      DEF(ktBoid_Get##Name, "(ktBoid) -> float\nThe boid's " #Name "."),                   \
      DEF(ktBoid_Default##Name,                                                            \
          "(ktBoid) -> None\nThe boid's " #Name " becomes its flock's current value."),

PyMethodDef kFunctions[] = {
    DEF(new_ktFlock,
        "(api: egSceneApi) -> ktFlock\nA new flock with every parameter at its default; "
        "`api` (from egBrainDll_GetSceneApi) resolves names in the Add functions."),
    DEF(delete_ktFlock,
        "(ktFlock) -> None\nFrees the flock; its boids are left without a "
        "flock (they stop steering)."),
    DEF(new_ktBoid,
        "(key: mkRegistryKey, flock: ktFlock, api: egSceneApi) -> ktBoid\nA new boid for the "
        "object that `key` names, with the flock's current parameters (it does not join the "
        "member list: use ktFlock_AddTo)."),
    DEF(delete_ktBoid,
        "(ktBoid) -> None\nFrees the boid after taking it out of every flock "
        "and every other boid's links."),
    DEF(new_ktVelocityVector, "() -> ktVelocityVector\nDirection (0, 0, 0), speed 0."),
    DEF(delete_ktVelocityVector, "(ktVelocityVector) -> None\nFrees the vector."),
    DEF(new_ktInfluenceVector,
        "() -> ktInfluenceVector\nDirection (0, 0, 0), speed 0, influence 0."),
    DEF(delete_ktInfluenceVector,
        "(ktInfluenceVector) -> None\nFrees the vector after taking "
        "it out of every accumulator and every other vector's link."),
    DEF(new_ktAccumInfluenceVectors,
        "(min: float, max: float) -> ktAccumInfluenceVectors\nAn empty accumulator with these "
        "influence limits."),
    DEF(delete_ktAccumInfluenceVectors, "(ktAccumInfluenceVectors) -> None\nFrees it."),
    KT_BOID_PARAMETERS(PARAMETER_DEFS)
        DEF(ktFlock_AddTo,
            "(ktFlock, boid: ktBoid) -> None\nAppends the boid to the member list "
            "(taking it out of another flock's list first)."),
    DEF(ktFlock_RemoveFrom,
        "(ktFlock, boid: ktBoid) -> None\nTakes the boid out of the list ('NULL' changes "
        "nothing)."),
    DEF(ktFlock_SetLeader, "(ktFlock, boid: ktBoid) -> None\nSets the leader ('NULL': none)."),
    DEF(ktFlock_GetLeader, "(ktFlock) -> ktBoid\nThe leader, or 'NULL'."),
    DEF(ktFlock_GetFirstMember, "(ktFlock) -> ktBoid\nThe first member, or 'NULL'."),
    DEF(ktFlock_GetCount, "(ktFlock) -> int\nThe number of members."),
    DEF(ktFlock_SetWaypoint,
        "(ktFlock, waypoint: int) -> None\n-1 seeks the nearest "
        "gathering place, 0 to 9 the place at that index."),
    DEF(ktFlock_GetWaypoint, "(ktFlock) -> int\nThe waypoint."),
    DEF(ktFlock_IncWaypoint, "(ktFlock) -> None\nAdds 1 to the waypoint."),
    DEF(ktFlock_DefaultAll, "(ktFlock) -> None\nEvery parameter back to its default."),
    DEF(ktFlock_UpdateAll, "(ktFlock) -> None\nEvery parameter copied to every member."),
    DEF(ktFlock_AddAvoidObjects,
        "(ktFlock, names: list of str) -> None\nAdds the objects of these names to the avoid "
        "list (at most 19 in all; unknown names are skipped)."),
    DEF(ktFlock_AddGatheringPlaces,
        "(ktFlock, names: list of str) -> None\nAdds the objects of these names to the "
        "gathering list (at most 9 in all)."),
    DEF(ktFlock_RemoveAllAvoidObjects, "(ktFlock) -> None\nEmpties the avoid list."),
    DEF(ktFlock_RemoveAllGatheringPlaces, "(ktFlock) -> None\nEmpties the gathering list."),
    DEF(ktFlock_GetAvoidObjects,
        "(ktFlock) -> mkRegistryKey_pp\nThe avoid list's key array (20 entries)."),
    DEF(ktFlock_GetGatheringPlaces,
        "(ktFlock) -> mkRegistryKey_pp\nThe gathering list's key array (10 entries)."),
    DEF(ktFlock_GetMaxAvoidObjects, "(ktFlock) -> int\n20."),
    DEF(ktFlock_GetMaxGatheringPlaces, "(ktFlock) -> int\n10."),
    DEF(ktBoid_SetWaypoint, "(ktBoid, waypoint: int) -> None\nThe boid's own waypoint."),
    DEF(ktBoid_GetWaypoint, "(ktBoid) -> int\nThe boid's own waypoint."),
    DEF(ktBoid_IncWaypoint, "(ktBoid) -> None\nAdds 1 to the boid's waypoint."),
    DEF(ktBoid_DefaultAll, "(ktBoid) -> None\nEvery parameter becomes the flock's value."),
    DEF(ktBoid_AddAvoidObjects, "(ktBoid, names: list of str) -> None\nThe boid's own avoid list."),
    DEF(ktBoid_AddGatheringPlaces,
        "(ktBoid, names: list of str) -> None\nThe boid's own gathering list."),
    DEF(ktBoid_RemoveAllAvoidObjects, "(ktBoid) -> None\nEmpties the boid's avoid list."),
    DEF(ktBoid_RemoveAllGatheringPlaces, "(ktBoid) -> None\nEmpties the boid's gathering list."),
    DEF(ktBoid_SetNext,
        "(ktBoid, next: ktBoid) -> None\nThe member list's next link ('NULL' for none; "
        "ValueError for a link that would close a ring)."),
    DEF(ktBoid_SetPrev, "(ktBoid, prev: ktBoid) -> None\nThe member list's previous link."),
    DEF(ktBoid_GetNext, "(ktBoid) -> ktBoid\nThe next member, or 'NULL'."),
    DEF(ktBoid_LinkOut,
        "(ktBoid) -> None\nJoins the neighbours on either side (ValueError where that would "
        "close a ring)."),
    DEF(ktBoid_SetInFlock,
        "(ktBoid, flag: int) -> None\n0 makes the boid a loner (never a friend)."),
    DEF(ktBoid_IsInFlock, "(ktBoid) -> int\nThe in-flock flag."),
    DEF(ktBoid_FlockIt,
        "(ktBoid, current: ktVelocityVector, out: ktInfluenceVector) -> None\nOne steering "
        "step from the current velocity (an influence vector is accepted); writes the "
        "direction and speed into `out`."),
    DEF(ktBoid_AvoidBlockers,
        "(ktBoid, far: float, near: float, probe: float, out: ktInfluenceVector) -> "
        "float\nProbes ahead for objects of the avoid list; writes the way out into `out` and "
        "returns its speed (0 when nothing blocks)."),
    DEF(ktBoid_GetWhereToDistance,
        "(ktBoid) -> float\nThe distance to the gathering target "
        "of the last step (INFINITY: none)."),
    DEF(ktVelocityVector_Set,
        "(ktVelocityVector, v: mkVector3, speed: float) -> None\nDirection (normalised) and "
        "speed."),
    DEF(ktVelocityVector_SetVector,
        "(ktVelocityVector, v: mkVector3) -> None\nThe direction (normalised)."),
    DEF(ktVelocityVector_SetSpeed, "(ktVelocityVector, speed: float) -> None\nThe speed."),
    DEF(ktVelocityVector_GetVector,
        "(ktVelocityVector, v: mkVector3) -> None\nv receives the direction."),
    DEF(ktVelocityVector_GetSpeed, "(ktVelocityVector) -> float\nThe speed."),
    DEF(ktVelocityVector_Reset, "(ktVelocityVector) -> None\nDirection and speed 0."),
    DEF(ktInfluenceVector_Set,
        "(ktInfluenceVector, v: mkVector3, speed: float, influence: float) -> None\nDirection "
        "(normalised), speed and influence."),
    DEF(ktInfluenceVector_SetInfluence,
        "(ktInfluenceVector, influence: float) -> None\nThe influence."),
    DEF(ktInfluenceVector_GetInfluence, "(ktInfluenceVector) -> float\nThe influence."),
    DEF(ktInfluenceVector_SetNext,
        "(ktInfluenceVector, next: ktInfluenceVector) -> None\nThe accumulator link ('NULL' "
        "for none; ValueError for a link that would close a ring)."),
    DEF(ktInfluenceVector_GetNext,
        "(ktInfluenceVector) -> ktInfluenceVector\nThe accumulator link, or 'NULL'."),
    DEF(ktInfluenceVector_Reset,
        "(ktInfluenceVector) -> None\nDirection and speed 0, influence 1."),
    DEF(ktInfluenceVector_ResetNext, "(ktInfluenceVector) -> None\nClears the link."),
    DEF(ktAccumInfluenceVectors_SetMinMaxInfluences,
        "(ktAccumInfluenceVectors, min: float, max: float) -> None\nThe influence limits."),
    DEF(ktAccumInfluenceVectors_AddAVector,
        "(ktAccumInfluenceVectors, v: ktInfluenceVector) -> None\nAppends the vector (it "
        "stays the script's)."),
    DEF(ktAccumInfluenceVectors_TallyVectors,
        "(ktAccumInfluenceVectors, out: ktVelocityVector) -> None\nWrites the blend of the "
        "vectors into `out`."),
    {nullptr, nullptr, 0, nullptr},
};

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
