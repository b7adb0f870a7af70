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

#include "kit/host/scene_geometry.h"
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

// The scene interface, or null with a RuntimeError set.
egSceneApi* Api() {
  egSceneApi* api = SceneModuleApi();
  if (api == nullptr) PyErr_SetString(PyExc_RuntimeError, "mkUtilc: no scene interface");
  return api;
}

// --- Geometry ----------------------------------------------------------------------

constexpr float kTwoPi = 6.2831855f;
constexpr float kInverseTwoPi = 0.15915494f;

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

namespace native {

using Object = mkSceneObject*;

PyObject* Rotate(Object object, mkVector3* axis, float angle) {
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  RotateObject(api, object, *axis, angle);
  Py_RETURN_NONE;
}
PyObject* Move(Object object, mkVector3* v, float factor) {
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  mkMatrix44 l = LocalMatrix(api, object) * math::Translation(*v * factor);
  api->SetLocalMatrix(object, &l);
  Py_RETURN_NONE;
}
PyObject* Distance(Object a, Object b) {
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  return PyFloat_FromDouble(
      double(MagnitudeSquared(ktWorldPosition(api, b, 0) - ktWorldPosition(api, a, 0))));
}
PyObject* FaceViewTowardsVert(Object a, Object b) {
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkPoint3 pa = ktWorldPosition(api, a, 0), pb = ktWorldPosition(api, b, 0);
  const float d = Magnitude(pb - pa);
  const mkVector3 v = math::Normalised(ktWorldAxesOf(api, a).view);
  const mkVector3 t = math::Normalised({d * v.fX, d * v.fY, pb.fZ - pa.fZ});
  const float theta = math::ClampedAcos(InnerProduct(t, v));
  RotateObject(api, a, {1.0f, 0.0f, 0.0f}, t.fZ < v.fZ ? theta : -theta);
  Py_RETURN_NONE;
}
PyObject* FaceViewTowardsHorz(Object a, Object b) {
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkPoint3 pa = ktWorldPosition(api, a, 0), pb = ktWorldPosition(api, b, 0);
  const mkVector3 v = math::Normalised(ktWorldAxesOf(api, a).view);
  const mkVector3 d = math::Normalised({pb.fX - pa.fX, pb.fY - pa.fY, 0.0f});
  const float theta = math::ClampedAcos(InnerProduct(d, v));
  const mkVector3 c = math::Cross(v, d);
  RotateObject(api, a, {0.0f, 0.0f, 1.0f}, c.fZ > 0.0f ? theta : -theta);
  Py_RETURN_NONE;
}
PyObject* HowMuchRotatedHorz(Object a, Object b) {
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkVector3 va = Flat(ktWorldAxesOf(api, a).view), vb = Flat(ktWorldAxesOf(api, b).view);
  const float theta = math::ClampedAcos(InnerProduct(va, vb));
  return PyFloat_FromDouble(double(TurnFraction(theta, math::Cross(va, vb).fZ)));
}
PyObject* ObjRotatedFromCam(Object object) {
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkVector3 v = Flat(ktWorldAxesOf(api, object).view);
  const mkPoint3 p = ktWorldPosition(api, object, 1);
  mkSceneObject* camera = api->GetSceneObjectByID("the_camera");
  const mkPoint3 c = ktWorldPosition(api, camera, 0);
  const mkVector3 d = math::Normalised({c.fX - p.fX, c.fY - p.fY, 0.0f});
  const float theta = math::ClampedAcos(InnerProduct(v, d));
  return PyFloat_FromDouble(double(TurnFraction(theta, math::Cross(v, d).fZ)));
}
float VectorsFacingWithin(mkVector3* u, mkVector3* w, float limit) {
  return FacingWithin(*u, *w, limit);
}
PyObject* CamFacingWithin(egCamera* camera, Object object, float limit) {
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkPoint3 p = ktWorldPosition(api, object, 1);
  mkPoint3 goal{0.0f, 0.0f, 0.0f};
  api->CamGetGoals(camera, &goal, nullptr, nullptr, nullptr);
  const mkVector3 d = math::Normalised(goal - p);
  // The camera is a scene object at the same address.
  const mkVector3 v = math::Normalised(ktWorldAxesOf(api, camera).view);
  return PyFloat_FromDouble(double(FacingWithin(v, d, limit)));
}
PyObject* ObjFacingWithin(Object a, Object b, float limit) {
  egSceneApi* api = Api();
  if (api == nullptr) return nullptr;
  const mkVector3 d = math::Normalised(ktWorldPosition(api, a, 0) - ktWorldPosition(api, b, 0));
  const mkVector3 v = math::Normalised(ktWorldAxesOf(api, a).view);
  return PyFloat_FromDouble(double(FacingWithin(v, d, limit)));
}

// --- Oscillators -------------------------------------------------------------------

template <class T>
PyObject* NewOscillator() {
  T* object = new (std::nothrow) T();
  if (object == nullptr) return PyErr_NoMemory();
  object->SetDefault();
  if (!live::Add(object, ScriptType<T>::kName)) {
    DestroyObject(object);
    return PyErr_NoMemory();
  }
  PyObject* result = PointerResult(object, ScriptType<T>::kName);
  if (result == nullptr) {
    live::Remove(object);
    DestroyObject(object);
  }
  return result;
}
constexpr auto new_ktOscillator = &NewOscillator<ktOscillator>;
constexpr auto new_ktDampOscillator = &NewOscillator<ktDampOscillator>;
constexpr auto new_ktVecOscillator = &NewOscillator<ktVecOscillator>;

using Osc = ktOscillator*;
using Damp = ktDampOscillator*;
using Vec = ktVecOscillator*;

void ktOscillator_SetDefault(Osc o) {
  o->SetDefault();
}
void ktOscillator_SetType(Osc o, int32_t type) {
  o->SetType(type);
}
void ktOscillator_SetBeginTime(Osc o, float value) {
  o->SetBeginTime(value);
}
void ktOscillator_SetPeriodTime(Osc o, float value) {
  o->SetPeriodTime(value);
}
void ktOscillator_SetStartPhase(Osc o, float value) {
  o->SetStartPhase(value);
}
void ktOscillator_SetShape(Osc o, float value) {
  o->SetShape(value);
}
void ktOscillator_SetFreqVar(Osc o, float value) {
  o->SetFreqVar(value);
}
void ktOscillator_SetAmpVar(Osc o, float value) {
  o->SetAmpVar(value);
}
void ktOscillator_SetBipolar(Osc o, int32_t flag) {
  o->SetBipolar(flag);
}
void ktOscillator_SetWave(Osc o, float begin, OptionalInt<ktOSC_SINE_WAVE> type,
                          OptionalFloat<1> period, OptionalFloat<0> shape, OptionalFloat<0> phase) {
  o->SetWave(begin, type.value, period.value, double(shape.value), phase.value);
}
void ktOscillator_SetWaveVariance(Osc o, OptionalFloat<0> freqVar, OptionalFloat<0> ampVar) {
  o->SetWaveVariance(double(freqVar.value), double(ampVar.value));
}
float ktOscillator_GetBeginTime(Osc o) {
  return o->GetBeginTime();
}
double ktOscillator_GetDeltaTime(Osc o, float time) {
  return o->GetDeltaTime(time);
}
float ktOscillator_Oscillate(Osc o, float time) {
  return o->Oscillate(time);
}

void ktDampOscillator_SetDefault(Damp o) {
  o->SetDefault();
}
void ktDampOscillator_ResetDampen(Damp o) {
  o->ResetDampen();
}
void ktDampOscillator_SetEaseIn(Damp o, float time, OptionalInt<ktOSC_SINE_WAVE> type,
                                OptionalFloat<0> shape) {
  o->SetEaseIn(time, type.value, double(shape.value));
}
void ktDampOscillator_SetEaseOut(Damp o, float time, OptionalInt<ktOSC_SINE_WAVE> type,
                                 OptionalFloat<0> shape) {
  o->SetEaseOut(time, type.value, double(shape.value));
}
void ktDampOscillator_SetMiddle(Damp o, float value) {
  o->SetMiddle(value);
}
float ktDampOscillator_GetEaseIn(Damp o) {
  return o->GetEaseIn();
}
float ktDampOscillator_GetMiddle(Damp o) {
  return o->GetMiddle();
}
float ktDampOscillator_GetEaseOut(Damp o) {
  return o->GetEaseOut();
}
int32_t ktDampOscillator_IsDampedExpired(Damp o) {
  return o->IsDampedExpired();
}
float ktDampOscillator_Oscillate(Damp o, float time) {
  return o->Oscillate(time);
}

void ktVecOscillator_SetDefault(Vec o) {
  o->SetDefault();
}
void ktVecOscillator_SetVector(Vec o, mkVector3* v) {
  o->SetVector(*v);
}
PyObject* ktVecOscillator_Oscillate(Vec o, float time) {
  const mkVector3 v = o->Oscillate(time);
  return MakeObject<mkVector3>(v.fX, v.fY, v.fZ);
}

}  // namespace native

// clang-format off
#define KT_UTIL_ROWS(X) \
  X(Rotate, "(object: mkSceneObject, axis: mkVector3, angle: float) -> None\nTurns the " "object by `angle` radians about `axis` (in its own frame): local matrix = " "local matrix x rotation.") \
  X(Move, "(object: mkSceneObject, v: mkVector3, factor: float) -> None\nMoves the object " "by v * factor (in its own frame): local matrix = local matrix x translation.") \
  X(Distance, "(a: mkSceneObject, b: mkSceneObject) -> float\nThe SQUARED distance of the two world " "positions.") \
  X(FaceViewTowardsVert, "(a: mkSceneObject, b: mkSceneObject) -> None\nPitches a (about " "its x axis) towards b.") \
  X(FaceViewTowardsHorz, "(a: mkSceneObject, b: mkSceneObject) -> None\nTurns a about the " "vertical towards b.") \
  X(HowMuchRotatedHorz, "(a: mkSceneObject, b: mkSceneObject) -> float\nThe turn from a's heading to b's as a " "fraction of a full turn, 0 to 1, counted one way round.") \
  X(ObjRotatedFromCam, "(object: mkSceneObject) -> float\nAs HowMuchRotatedHorz, from the object's heading to " "the direction of the object named 'the_camera'.") \
  X(VectorsFacingWithin, "(u: mkVector3, w: mkVector3, limit: float) -> float\ns = |u + w|^2; 0 when s > " "limit, else 1 - s / limit (1 for limit 0 and s 0).") \
  X(CamFacingWithin, "(camera: egCamera, object: mkSceneObject, limit: float) -> float\nVectorsFacingWithin " "of the camera's view axis and the direction from the object to the camera's goal.") \
  X(ObjFacingWithin, "(a: mkSceneObject, b: mkSceneObject, limit: float) -> float\nVectorsFacingWithin of " "a's view axis and the direction from b to a: near 1 when a looks at b.") \
  X(new_ktOscillator, "() -> ktOscillator\nA sine oscillator with the defaults (no " "destructor: it lives until the process ends).") \
  X(new_ktDampOscillator, "() -> ktDampOscillator\nA damped oscillator with the defaults.") \
  X(new_ktVecOscillator, "() -> ktVecOscillator\nA vector oscillator with the defaults.") \
  X(ktOscillator_SetDefault, "(ktOscillator) -> None\nThe default wave.") \
  X(ktOscillator_SetType, "(ktOscillator, type: int) -> None\nOne of the ktOSC_ constants.") \
  X(ktOscillator_SetBeginTime, "(ktOscillator, time: float) -> None\nThe begin time.") \
  X(ktOscillator_SetPeriodTime, "(ktOscillator, period: float) -> None\nThe time of one half-wave.") \
  X(ktOscillator_SetStartPhase, "(ktOscillator, phase: float) -> None\nThe start phase.") \
  X(ktOscillator_SetShape, "(ktOscillator, shape: float) -> None\nBias of each half-wave, " "-1 to 1.") \
  X(ktOscillator_SetFreqVar, "(ktOscillator, variance: float) -> None\nFrequency jitter.") \
  X(ktOscillator_SetAmpVar, "(ktOscillator, variance: float) -> None\nAmplitude jitter.") \
  X(ktOscillator_SetBipolar, "(ktOscillator, flag: int) -> None\nNon-zero: output -1 to 1; zero: 0 to 1.") \
  X(ktOscillator_SetWave, "(ktOscillator, begin: float[, type: int, period: float, shape: float, phase: float]) " "-> None\nThe whole wave; omitted values are 3 (sine), 1.0, 0.0 and 0.0.") \
  X(ktOscillator_SetWaveVariance, "(ktOscillator[, freq: float, amp: float]) -> None\nBoth jitters (omitted: 0.0).") \
  X(ktOscillator_GetBeginTime, "(ktOscillator) -> float\nThe begin time.") \
  X(ktOscillator_GetDeltaTime, "(ktOscillator, time: float) -> float\ntime - begin time, in double precision.") \
  X(ktOscillator_Oscillate, "(ktOscillator, time: float) -> float\nThe wave value.") \
  X(ktDampOscillator_SetDefault, "(ktDampOscillator) -> None\nThe default wave and envelope.") \
  X(ktDampOscillator_ResetDampen, "(ktDampOscillator) -> None\nThe default envelope; the wave kept.") \
  X(ktDampOscillator_SetEaseIn, "(ktDampOscillator, time: float[, type: int, shape: float]) -> None\nThe rise of the " "envelope (omitted: sine, 0.0).") \
  X(ktDampOscillator_SetEaseOut, "(ktDampOscillator, time: float[, type: int, shape: float]) -> None\nThe fall of the " "envelope after the middle (omitted: sine, 0.0).") \
  X(ktDampOscillator_SetMiddle, "(ktDampOscillator, time: float) -> None\nThe time at full strength.") \
  X(ktDampOscillator_GetEaseIn, "(ktDampOscillator) -> float\nThe ease-in time.") \
  X(ktDampOscillator_GetMiddle, "(ktDampOscillator) -> float\nThe middle time.") \
  X(ktDampOscillator_GetEaseOut, "(ktDampOscillator) -> float\nThe ease-out time.") \
  X(ktDampOscillator_IsDampedExpired, "(ktDampOscillator) -> int\n1 once the envelope has run out.") \
  X(ktDampOscillator_Oscillate, "(ktDampOscillator, time: float) -> float\nThe damped wave value.") \
  X(ktVecOscillator_SetDefault, "(ktVecOscillator) -> None\nDefaults, vector (0, 0, 0).") \
  X(ktVecOscillator_SetVector, "(ktVecOscillator, v: mkVector3) -> None\nThe vector that the value scales.") \
  X(ktVecOscillator_Oscillate, "(ktVecOscillator, time: float) -> mkVector3\nA NEW vector: the vector times the damped " "value (free it with mkTypesc.delete_mkVector3).")
// clang-format on

#define KT_NAME(Name, Doc) constexpr char Name##_name[] = #Name;
KT_UTIL_ROWS(KT_NAME)
#undef KT_NAME

#define KT_DEF(Name, Doc) \
  {#Name, FastFunction(&Bind<native::Name, Name##_name, Types>), METH_FASTCALL, Doc},
PyMethodDef kFunctions[] = {KT_UTIL_ROWS(KT_DEF){nullptr, nullptr, 0, nullptr}};
#undef KT_DEF

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
