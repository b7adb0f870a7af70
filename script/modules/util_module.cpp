// mkUtilc: geometry helpers that move, turn and compare scene objects
// through the scene interface handed over at start-up, and the three
// oscillator classes of kit/osc with their wave-type constants.
//
// The geometry is computed here from what the host reports (world
// positions, world axes, local matrices) and written back only through
// SetLocalMatrix. Points, axes and matrices that the host is asked to fill
// start as zero (the matrix as the identity without its flag), so that a
// host that writes nothing yields a stated value rather than garbage, and
// every normalisation leaves a zero vector unchanged and every arc cosine is
// clamped: no result is a NaN.
//
// Oscillators made by scripts have no destructor function: they live until
// the process ends.
#include <cstring>

#include "kit/osc/osc.h"
#include "script/modules/functions.h"
#include "script/modules/math_ops.h"
#include "script/modules/modules.h"

namespace script {

SCRIPT_TYPE(ktOscillator, "ktOscillator")
SCRIPT_TYPE(ktDampOscillator, "ktDampOscillator")
SCRIPT_TYPE(ktVecOscillator, "ktVecOscillator")

namespace {

TypeTable& Types() {
  return UtilModule().types();
}

#define FN(Name) PyObject* Name(PyObject*, PyObject* args)
#define DEF(Name, Doc) \
  { #Name, Name, METH_VARARGS, Doc }

// The scene interface, or null with a RuntimeError set.
egSceneApi* Api() {
  egSceneApi* api = SceneModuleApi();
  if (api == nullptr) PyErr_SetString(PyExc_RuntimeError, "mkUtilc: no scene interface");
  return api;
}

// --- Geometry ----------------------------------------------------------------------

constexpr float kTwoPi = 6.2831855f;
constexpr float kInverseTwoPi = 0.15915494f;

mkPoint3 Position(egSceneApi* api, mkSceneObject* object, int32_t flag) {
  mkPoint3 p{0.0f, 0.0f, 0.0f};
  api->GetWorldPos(object, &p, flag);
  return p;
}

mkVector3 ViewAxis(egSceneApi* api, mkSceneObject* object) {
  mkVector3 a{0.0f, 0.0f, 0.0f}, b{0.0f, 0.0f, 0.0f}, c{0.0f, 0.0f, 0.0f};
  api->GetWorldAxes(object, &a, &b, &c);
  return a;
}

mkMatrix44 LocalMatrix(egSceneApi* api, mkSceneObject* object) {
  mkMatrix44 l = math::Identity();
  l.flags = 0u;
  api->GetLocalMatrix(object, &l);
  return l;
}

void RotateObject(egSceneApi* api, mkSceneObject* object, const mkVector3& axis, float angle) {
  mkQuat q;
  SetFromAngleAxis(q, angle, axis);
  math::Normalize(q);
  mkMatrix44 r;
  MakeMatrix(q, r);
  mkMatrix44 l = LocalMatrix(api, object) * r;
  api->SetLocalMatrix(object, &l);
}

// The share of a full turn that angle `theta` is, counted one way round:
// (2 pi - theta) / 2 pi when `crossZ` is positive, else theta / 2 pi.
float TurnFraction(float theta, float crossZ) {
  return crossZ > 0.0f ? (kTwoPi - theta) * kInverseTwoPi : theta * kInverseTwoPi;
}

mkVector3 Flat(mkVector3 v) {
  v.fZ = 0.0f;
  return math::Normalised(v);
}

// 0 when |u + w|^2 > limit, else 1 - |u + w|^2 / limit. A limit of 0 with a
// zero sum (0 / 0) gives 1: the vectors point exactly against each other.
float FacingWithin(const mkVector3& u, const mkVector3& w, float limit) {
  const float s = MagnitudeSquared(u + w);
  if (s > limit) return 0.0f;
  if (limit == 0.0f) return 1.0f;
  return 1.0f - s / limit;
}

// Scene objects and one float: "ssf", "ss", "s".
bool ObjectsAndFloat(PyObject* args, const char* format, const char* name, mkSceneObject*& a,
                     mkSceneObject*& b, float& f) {
  const char *s, *t;
  if (!ParseArgs(args, format, &s, &t, &f)) return false;
  Arguments arguments(Types(), name);
  return arguments.Get(1, s, a) && arguments.Get(2, t, b);
}
bool TwoObjects(PyObject* args, const char* format, const char* name, mkSceneObject*& a,
                mkSceneObject*& b) {
  const char *s, *t;
  if (!ParseArgs(args, format, &s, &t)) return false;
  Arguments arguments(Types(), name);
  return arguments.Get(1, s, a) && arguments.Get(2, t, b);
}

FN(Rotate) {
  const char *s, *t;
  float angle;
  if (!ParseArgs(args, "ssf:Rotate", &s, &t, &angle)) return nullptr;
  mkSceneObject* object;
  mkVector3* axis;
  Arguments a(Types(), "Rotate");
  if (!a.Get(1, s, object) || !a.Get(2, t, axis)) return nullptr;
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  RotateObject(api, object, *axis, angle);
  Py_RETURN_NONE;
}
FN(Move) {
  const char *s, *t;
  float factor;
  if (!ParseArgs(args, "ssf:Move", &s, &t, &factor)) return nullptr;
  mkSceneObject* object;
  mkVector3* v;
  Arguments a(Types(), "Move");
  if (!a.Get(1, s, object) || !a.Get(2, t, v)) return nullptr;
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  mkMatrix44 l = LocalMatrix(api, object) * math::Translation(*v * factor);
  api->SetLocalMatrix(object, &l);
  Py_RETURN_NONE;
}
FN(Distance) {
  mkSceneObject *a, *b;
  if (!TwoObjects(args, "ss:Distance", "Distance", a, b)) return nullptr;
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  return PyFloat_FromDouble(double(MagnitudeSquared(Position(api, b, 0) - Position(api, a, 0))));
}
FN(FaceViewTowardsVert) {
  mkSceneObject *a, *b;
  if (!TwoObjects(args, "ss:FaceViewTowardsVert", "FaceViewTowardsVert", a, b)) return nullptr;
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkPoint3 pa = Position(api, a, 0), pb = Position(api, b, 0);
  const float d = Magnitude(pb - pa);
  const mkVector3 v = math::Normalised(ViewAxis(api, a));
  const mkVector3 t = math::Normalised({d * v.fX, d * v.fY, pb.fZ - pa.fZ});
  const float theta = math::ClampedAcos(InnerProduct(t, v));
  RotateObject(api, a, {1.0f, 0.0f, 0.0f}, t.fZ < v.fZ ? theta : -theta);
  Py_RETURN_NONE;
}
FN(FaceViewTowardsHorz) {
  mkSceneObject *a, *b;
  if (!TwoObjects(args, "ss:FaceViewTowardsHorz", "FaceViewTowardsHorz", a, b)) return nullptr;
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkPoint3 pa = Position(api, a, 0), pb = Position(api, b, 0);
  const mkVector3 v = math::Normalised(ViewAxis(api, a));
  const mkVector3 d = math::Normalised({pb.fX - pa.fX, pb.fY - pa.fY, 0.0f});
  const float theta = math::ClampedAcos(InnerProduct(d, v));
  const mkVector3 c = math::Cross(v, d);
  RotateObject(api, a, {0.0f, 0.0f, 1.0f}, c.fZ > 0.0f ? theta : -theta);
  Py_RETURN_NONE;
}
FN(HowMuchRotatedHorz) {
  mkSceneObject *a, *b;
  if (!TwoObjects(args, "ss:HowMuchRotatedHorz", "HowMuchRotatedHorz", a, b)) return nullptr;
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkVector3 va = Flat(ViewAxis(api, a)), vb = Flat(ViewAxis(api, b));
  const float theta = math::ClampedAcos(InnerProduct(va, vb));
  return PyFloat_FromDouble(double(TurnFraction(theta, math::Cross(va, vb).fZ)));
}
FN(ObjRotatedFromCam) {
  const char* s;
  if (!ParseArgs(args, "s:ObjRotatedFromCam", &s)) return nullptr;
  mkSceneObject* object;
  if (!Arguments(Types(), "ObjRotatedFromCam").Get(1, s, object)) return nullptr;
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkVector3 v = Flat(ViewAxis(api, object));
  const mkPoint3 p = Position(api, object, 1);
  mkSceneObject* camera = api->GetSceneObjectByID("the_camera");
  const mkPoint3 c = Position(api, camera, 0);
  const mkVector3 d = math::Normalised({c.fX - p.fX, c.fY - p.fY, 0.0f});
  const float theta = math::ClampedAcos(InnerProduct(v, d));
  return PyFloat_FromDouble(double(TurnFraction(theta, math::Cross(v, d).fZ)));
}
FN(VectorsFacingWithin) {
  const char *s, *t;
  float limit;
  if (!ParseArgs(args, "ssf:VectorsFacingWithin", &s, &t, &limit)) return nullptr;
  mkVector3 *u, *w;
  Arguments a(Types(), "VectorsFacingWithin");
  if (!a.Get(1, s, u) || !a.Get(2, t, w)) return nullptr;
  return PyFloat_FromDouble(double(FacingWithin(*u, *w, limit)));
}
FN(CamFacingWithin) {
  const char *s, *t;
  float limit;
  if (!ParseArgs(args, "ssf:CamFacingWithin", &s, &t, &limit)) return nullptr;
  egCamera* camera;
  mkSceneObject* object;
  Arguments a(Types(), "CamFacingWithin");
  if (!a.Get(1, s, camera) || !a.Get(2, t, object)) return nullptr;
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkPoint3 p = Position(api, object, 1);
  mkPoint3 goal{0.0f, 0.0f, 0.0f};
  api->CamGetGoals(camera, &goal, nullptr, nullptr, nullptr);
  const mkVector3 d = math::Normalised(goal - p);
  // The camera is a scene object at the same address.
  const mkVector3 v = math::Normalised(ViewAxis(api, reinterpret_cast<mkSceneObject*>(camera)));
  return PyFloat_FromDouble(double(FacingWithin(v, d, limit)));
}
FN(ObjFacingWithin) {
  mkSceneObject *a, *b;
  float limit;
  if (!ObjectsAndFloat(args, "ssf:ObjFacingWithin", "ObjFacingWithin", a, b, limit)) return nullptr;
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkVector3 d = math::Normalised(Position(api, a, 0) - Position(api, b, 0));
  const mkVector3 v = math::Normalised(ViewAxis(api, a));
  return PyFloat_FromDouble(double(FacingWithin(v, d, limit)));
}

// --- Oscillators -------------------------------------------------------------------

template <class T>
PyObject* NewOscillator(PyObject* args, const char* format) {
  if (!ParseArgs(args, format)) return nullptr;
  T* object = new (std::nothrow) T();
  if (object == nullptr) return PyErr_NoMemory();
  object->SetDefault();
  live::Add(object, ScriptType<T>::kName);
  PyObject* result = PointerResult(object, ScriptType<T>::kName);
  if (result == nullptr) {
    live::Remove(object);
    DestroyObject(object);
  }
  return result;
}
FN(new_ktOscillator) {
  return NewOscillator<ktOscillator>(args, ":new_ktOscillator");
}
FN(new_ktDampOscillator) {
  return NewOscillator<ktDampOscillator>(args, ":new_ktDampOscillator");
}
FN(new_ktVecOscillator) {
  return NewOscillator<ktVecOscillator>(args, ":new_ktVecOscillator");
}

template <class T>
bool One(PyObject* args, const char* format, const char* name, T*& self) {
  const char* text;
  if (!ParseArgs(args, format, &text)) return false;
  return Arguments(Types(), name).Get(1, text, self);
}
template <class T, class V>
bool WithValue(PyObject* args, const char* format, const char* name, T*& self, V& value) {
  const char* text;
  if (!ParseArgs(args, format, &text, &value)) return false;
  return Arguments(Types(), name).Get(1, text, self);
}

#define PLAIN_FN(T, Op)                                                \
  FN(T##_##Op) {                                                       \
    T* self;                                                           \
    if (!One(args, "s:" #T "_" #Op, #T "_" #Op, self)) return nullptr; \
    self->Op();                                                        \
    Py_RETURN_NONE;                                                    \
  }
#define FLOAT_SETTER_FN(T, Op)                                                       \
  FN(T##_##Op) {                                                                     \
    T* self;                                                                         \
    float value;                                                                     \
    if (!WithValue(args, "sf:" #T "_" #Op, #T "_" #Op, self, value)) return nullptr; \
    self->Op(value);                                                                 \
    Py_RETURN_NONE;                                                                  \
  }
#define FLOAT_GETTER_FN(T, Op)                                         \
  FN(T##_##Op) {                                                       \
    T* self;                                                           \
    if (!One(args, "s:" #T "_" #Op, #T "_" #Op, self)) return nullptr; \
    return PyFloat_FromDouble(double(self->Op()));                     \
  }
#define OSCILLATE_FN(T)                                                                       \
  FN(T##_Oscillate) {                                                                         \
    T* self;                                                                                  \
    float time;                                                                               \
    if (!WithValue(args, "sf:" #T "_Oscillate", #T "_Oscillate", self, time)) return nullptr; \
    return PyFloat_FromDouble(double(self->Oscillate(time)));                                 \
  }

PLAIN_FN(ktOscillator, SetDefault)
FN(ktOscillator_SetType) {
  ktOscillator* self;
  long type;
  if (!WithValue(args, "sl:ktOscillator_SetType", "ktOscillator_SetType", self, type))
    return nullptr;
  self->SetType(int32_t(type));
  Py_RETURN_NONE;
}
FLOAT_SETTER_FN(ktOscillator, SetBeginTime)
FLOAT_SETTER_FN(ktOscillator, SetPeriodTime)
FLOAT_SETTER_FN(ktOscillator, SetStartPhase)
FLOAT_SETTER_FN(ktOscillator, SetShape)
FLOAT_SETTER_FN(ktOscillator, SetFreqVar)
FLOAT_SETTER_FN(ktOscillator, SetAmpVar)
FN(ktOscillator_SetBipolar) {
  ktOscillator* self;
  long flag;
  if (!WithValue(args, "sl:ktOscillator_SetBipolar", "ktOscillator_SetBipolar", self, flag))
    return nullptr;
  self->SetBipolar(int32_t(flag));
  Py_RETURN_NONE;
}
FN(ktOscillator_SetWave) {
  const char* s;
  float begin, period = 1.0f, shape = 0.0f, phase = 0.0f;
  long type = ktOSC_SINE_WAVE;
  if (!ParseArgs(args, "sf|lfff:ktOscillator_SetWave", &s, &begin, &type, &period, &shape, &phase))
    return nullptr;
  ktOscillator* self;
  if (!Arguments(Types(), "ktOscillator_SetWave").Get(1, s, self)) return nullptr;
  self->SetWave(begin, int32_t(type), period, double(shape), phase);
  Py_RETURN_NONE;
}
FN(ktOscillator_SetWaveVariance) {
  const char* s;
  float freqVar = 0.0f, ampVar = 0.0f;
  if (!ParseArgs(args, "s|ff:ktOscillator_SetWaveVariance", &s, &freqVar, &ampVar)) return nullptr;
  ktOscillator* self;
  if (!Arguments(Types(), "ktOscillator_SetWaveVariance").Get(1, s, self)) return nullptr;
  self->SetWaveVariance(double(freqVar), double(ampVar));
  Py_RETURN_NONE;
}
FLOAT_GETTER_FN(ktOscillator, GetBeginTime)
FN(ktOscillator_GetDeltaTime) {
  ktOscillator* self;
  float time;
  if (!WithValue(args, "sf:ktOscillator_GetDeltaTime", "ktOscillator_GetDeltaTime", self, time))
    return nullptr;
  return PyFloat_FromDouble(self->GetDeltaTime(time));
}
OSCILLATE_FN(ktOscillator)

PLAIN_FN(ktDampOscillator, SetDefault)
PLAIN_FN(ktDampOscillator, ResetDampen)
#define EASE_FN(Op)                                                                                \
  FN(ktDampOscillator_##Op) {                                                                      \
    const char* s;                                                                                 \
    float time, shape = 0.0f;                                                                      \
    long type = ktOSC_SINE_WAVE;                                                                   \
    if (!ParseArgs(args, "sf|lf:ktDampOscillator_" #Op, &s, &time, &type, &shape)) return nullptr; \
    ktDampOscillator* self;                                                                        \
    if (!Arguments(Types(), "ktDampOscillator_" #Op).Get(1, s, self)) return nullptr;              \
    self->Op(time, int32_t(type), double(shape));                                                  \
    Py_RETURN_NONE;                                                                                \
  }
EASE_FN(SetEaseIn)
EASE_FN(SetEaseOut)
FLOAT_SETTER_FN(ktDampOscillator, SetMiddle)
FLOAT_GETTER_FN(ktDampOscillator, GetEaseIn)
FLOAT_GETTER_FN(ktDampOscillator, GetMiddle)
FLOAT_GETTER_FN(ktDampOscillator, GetEaseOut)
FN(ktDampOscillator_IsDampedExpired) {
  ktDampOscillator* self;
  if (!One(args, "s:ktDampOscillator_IsDampedExpired", "ktDampOscillator_IsDampedExpired", self))
    return nullptr;
  return PyLong_FromLong(self->IsDampedExpired());
}
OSCILLATE_FN(ktDampOscillator)

PLAIN_FN(ktVecOscillator, SetDefault)
FN(ktVecOscillator_SetVector) {
  const char *s, *t;
  if (!ParseArgs(args, "ss:ktVecOscillator_SetVector", &s, &t)) return nullptr;
  ktVecOscillator* self;
  mkVector3* v;
  Arguments a(Types(), "ktVecOscillator_SetVector");
  if (!a.Get(1, s, self) || !a.Get(2, t, v)) return nullptr;
  self->SetVector(*v);
  Py_RETURN_NONE;
}
FN(ktVecOscillator_Oscillate) {
  ktVecOscillator* self;
  float time;
  if (!WithValue(args, "sf:ktVecOscillator_Oscillate", "ktVecOscillator_Oscillate", self, time))
    return nullptr;
  const mkVector3 v = self->Oscillate(time);
  return MakeObject<mkVector3>(v.fX, v.fY, v.fZ);
}

PyMethodDef kFunctions[] = {
    DEF(Rotate,
        "(object: mkSceneObject, axis: mkVector3, angle: float) -> None\nTurns the "
        "object by `angle` radians about `axis` (in its own frame): local matrix = "
        "local matrix x rotation."),
    DEF(Move,
        "(object: mkSceneObject, v: mkVector3, factor: float) -> None\nMoves the object "
        "by v * factor (in its own frame): local matrix = local matrix x translation."),
    DEF(Distance,
        "(a: mkSceneObject, b: mkSceneObject) -> float\nThe SQUARED distance of the two world "
        "positions."),
    DEF(FaceViewTowardsVert,
        "(a: mkSceneObject, b: mkSceneObject) -> None\nPitches a (about "
        "its x axis) towards b."),
    DEF(FaceViewTowardsHorz,
        "(a: mkSceneObject, b: mkSceneObject) -> None\nTurns a about the "
        "vertical towards b."),
    DEF(HowMuchRotatedHorz,
        "(a: mkSceneObject, b: mkSceneObject) -> float\nThe turn from a's heading to b's as a "
        "fraction of a full turn, 0 to 1, counted one way round."),
    DEF(ObjRotatedFromCam,
        "(object: mkSceneObject) -> float\nAs HowMuchRotatedHorz, from the object's heading to "
        "the direction of the object named 'the_camera'."),
    DEF(VectorsFacingWithin,
        "(u: mkVector3, w: mkVector3, limit: float) -> float\ns = |u + w|^2; 0 when s > "
        "limit, else 1 - s / limit (1 for limit 0 and s 0)."),
    DEF(CamFacingWithin,
        "(camera: egCamera, object: mkSceneObject, limit: float) -> float\nVectorsFacingWithin "
        "of the camera's view axis and the direction from the object to the camera's goal."),
    DEF(ObjFacingWithin,
        "(a: mkSceneObject, b: mkSceneObject, limit: float) -> float\nVectorsFacingWithin of "
        "a's view axis and the direction from b to a: near 1 when a looks at b."),
    DEF(new_ktOscillator,
        "() -> ktOscillator\nA sine oscillator with the defaults (no "
        "destructor: it lives until the process ends)."),
    DEF(new_ktDampOscillator, "() -> ktDampOscillator\nA damped oscillator with the defaults."),
    DEF(new_ktVecOscillator, "() -> ktVecOscillator\nA vector oscillator with the defaults."),
    DEF(ktOscillator_SetDefault, "(ktOscillator) -> None\nThe default wave."),
    DEF(ktOscillator_SetType, "(ktOscillator, type: int) -> None\nOne of the ktOSC_ constants."),
    DEF(ktOscillator_SetBeginTime, "(ktOscillator, time: float) -> None\nThe begin time."),
    DEF(ktOscillator_SetPeriodTime,
        "(ktOscillator, period: float) -> None\nThe time of one half-wave."),
    DEF(ktOscillator_SetStartPhase, "(ktOscillator, phase: float) -> None\nThe start phase."),
    DEF(ktOscillator_SetShape,
        "(ktOscillator, shape: float) -> None\nBias of each half-wave, "
        "-1 to 1."),
    DEF(ktOscillator_SetFreqVar, "(ktOscillator, variance: float) -> None\nFrequency jitter."),
    DEF(ktOscillator_SetAmpVar, "(ktOscillator, variance: float) -> None\nAmplitude jitter."),
    DEF(ktOscillator_SetBipolar,
        "(ktOscillator, flag: int) -> None\nNon-zero: output -1 to 1; zero: 0 to 1."),
    DEF(ktOscillator_SetWave,
        "(ktOscillator, begin: float[, type: int, period: float, shape: float, phase: float]) "
        "-> None\nThe whole wave; omitted values are 3 (sine), 1.0, 0.0 and 0.0."),
    DEF(ktOscillator_SetWaveVariance,
        "(ktOscillator[, freq: float, amp: float]) -> None\nBoth jitters (omitted: 0.0)."),
    DEF(ktOscillator_GetBeginTime, "(ktOscillator) -> float\nThe begin time."),
    DEF(ktOscillator_GetDeltaTime,
        "(ktOscillator, time: float) -> float\ntime - begin time, in double precision."),
    DEF(ktOscillator_Oscillate, "(ktOscillator, time: float) -> float\nThe wave value."),
    DEF(ktDampOscillator_SetDefault, "(ktDampOscillator) -> None\nThe default wave and envelope."),
    DEF(ktDampOscillator_ResetDampen,
        "(ktDampOscillator) -> None\nThe default envelope; the wave kept."),
    DEF(ktDampOscillator_SetEaseIn,
        "(ktDampOscillator, time: float[, type: int, shape: float]) -> None\nThe rise of the "
        "envelope (omitted: sine, 0.0)."),
    DEF(ktDampOscillator_SetEaseOut,
        "(ktDampOscillator, time: float[, type: int, shape: float]) -> None\nThe fall of the "
        "envelope after the middle (omitted: sine, 0.0)."),
    DEF(ktDampOscillator_SetMiddle,
        "(ktDampOscillator, time: float) -> None\nThe time at full strength."),
    DEF(ktDampOscillator_GetEaseIn, "(ktDampOscillator) -> float\nThe ease-in time."),
    DEF(ktDampOscillator_GetMiddle, "(ktDampOscillator) -> float\nThe middle time."),
    DEF(ktDampOscillator_GetEaseOut, "(ktDampOscillator) -> float\nThe ease-out time."),
    DEF(ktDampOscillator_IsDampedExpired,
        "(ktDampOscillator) -> int\n1 once the envelope has run out."),
    DEF(ktDampOscillator_Oscillate,
        "(ktDampOscillator, time: float) -> float\nThe damped wave value."),
    DEF(ktVecOscillator_SetDefault, "(ktVecOscillator) -> None\nDefaults, vector (0, 0, 0)."),
    DEF(ktVecOscillator_SetVector,
        "(ktVecOscillator, v: mkVector3) -> None\nThe vector that the value scales."),
    DEF(ktVecOscillator_Oscillate,
        "(ktVecOscillator, time: float) -> mkVector3\nA NEW vector: the vector times the damped "
        "value (free it with mkTypesc.delete_mkVector3)."),
    {nullptr, nullptr, 0, nullptr},
};

int SetConstants(PyObject* module) {
  const struct {
    const char* name;
    long value;
  } constants[] = {{"ktOSC_RECT_WAVE", ktOSC_RECT_WAVE},
                   {"ktOSC_TRIANGLE_WAVE", ktOSC_TRIANGLE_WAVE},
                   {"ktOSC_SINE_WAVE", ktOSC_SINE_WAVE},
                   {"ktOSC_LINE1_WAVE", ktOSC_LINE1_WAVE},
                   {"ktOSC_LINE0_WAVE", ktOSC_LINE0_WAVE}};
  for (const auto& c : constants)
    if (PyModule_AddIntConstant(module, c.name, c.value) < 0) return -1;
  return 0;
}

}  // namespace

void DeclareUtilModuleObjects() {
  for (const char* type : {ScriptType<ktOscillator>::kName, ScriptType<ktDampOscillator>::kName,
                           ScriptType<ktVecOscillator>::kName})
    live::DeclareOwnedType(type);
}

ScriptModule& UtilModule() {
  static ScriptModule module("mkUtilc", kFunctions, {}, RegisterUtilEquivalences, SetConstants);
  return module;
}

}  // namespace script
