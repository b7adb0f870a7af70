// mkTypesc: the math value types (points, vectors, planes, quaternions,
// matrices, colours), the scalar boxes and six conversions between host
// scene-object types. Every value is a native object that a script makes
// with new_X, names by its pointer string and frees with delete_X; the
// arithmetic runs here, in 32-bit floats (math_ops.h).
//
// Each function's documentation string is its entry in the script authors'
// reference (docs/script-modules.md): the arguments and result on the first
// line, then what it does.
#include <cstring>

#include "script/modules/functions.h"
#include "script/modules/math_ops.h"
#include "script/modules/modules.h"

namespace script {

namespace {

// The scalar boxes are records of their own so that each has its own type.
struct ScalarBox {
  mkScalar value;
};
struct Bool32Box {
  mkBool32 value;
};
struct Int32Box {
  Int32 value;
};

}  // namespace

SCRIPT_TYPE(ScalarBox, "mkScalar")
SCRIPT_TYPE(Bool32Box, "mkBool32")
SCRIPT_TYPE(Int32Box, "Int32")

namespace {

TypeTable& Types() {
  return TypesModule().types();
}

// --- The native functions of the rows ------------------------------------------------
//
// mkTypesc's floats are AnyFloat: its arithmetic keeps non-finite
// components (division by 0 is refused on its own).

namespace native {

PyObject* DivisionByZero(const char* name) {
  PyErr_Format(PyExc_ZeroDivisionError, "%s: division by zero", name);
  return nullptr;
}

// The checks of delete_X: an object that new_X made and that is not freed
// yet, of exactly type T (not a type that an equivalence lets pass). It
// leaves the live register and is freed; a TypeError otherwise.
template <class T>
PyObject* Free(T* object, const char* function) {
  if (!live::Made(object, ScriptType<T>::kName)) {
    PyErr_Format(PyExc_TypeError, "Type error in argument 1 of %s. Expected %s.", function,
                 ScriptType<T>::kName);
    return nullptr;
  }
  live::Remove(object);
  DestroyObject(object);
  Py_RETURN_NONE;
}

// --- Constructors, destructors and fields ---------------------------------------

PyObject* new_mkPoint3(AnyFloat x, AnyFloat y, AnyFloat z) {
  return MakeObject<mkPoint3>(x.value, y.value, z.value);
}
PyObject* new_mkVector3(AnyFloat x, AnyFloat y, AnyFloat z) {
  return MakeObject<mkVector3>(x.value, y.value, z.value);
}
PyObject* new_mkPlane3(AnyFloat a, AnyFloat b, AnyFloat c, AnyFloat d) {
  return MakeObject<mkPlane3>(a.value, b.value, c.value, d.value);
}
PyObject* new_mkQuat(AnyFloat x, AnyFloat y, AnyFloat z, AnyFloat w) {
  return MakeObject<mkQuat>(x.value, y.value, z.value, w.value);
}
PyObject* new_mkColorRGBA() {
  return MakeObject<mkColorRGBA>(0.0f, 0.0f, 0.0f, 0.0f);
}
PyObject* new_mkMatrix44() {
  return MakeObject<mkMatrix44>();
}
PyObject* new_mkScalar() {
  return MakeObject<ScalarBox>(0.0f);
}
PyObject* new_mkBool32() {
  return MakeObject<Bool32Box>(0);
}
PyObject* new_Int32() {
  return MakeObject<Int32Box>(0);
}

#define TYPES_FREE_FN(T, Name)            \
  PyObject* delete_##Name(T* object) {    \
    return Free(object, "delete_" #Name); \
  }
TYPES_FREE_FN(mkPoint3, mkPoint3)
TYPES_FREE_FN(mkVector3, mkVector3)
TYPES_FREE_FN(mkPlane3, mkPlane3)
TYPES_FREE_FN(mkQuat, mkQuat)
TYPES_FREE_FN(mkColorRGBA, mkColorRGBA)
TYPES_FREE_FN(mkMatrix44, mkMatrix44)
TYPES_FREE_FN(ScalarBox, mkScalar)
TYPES_FREE_FN(Bool32Box, mkBool32)
TYPES_FREE_FN(Int32Box, Int32)
#undef TYPES_FREE_FN

#define TYPES_FIELD_FNS(T, F)                   \
  float T##_##F##_get(T* self) {                \
    return self->F;                             \
  }                                             \
  void T##_##F##_set(T* self, AnyFloat value) { \
    self->F = value;                            \
  }
TYPES_FIELD_FNS(mkPoint3, fX)
TYPES_FIELD_FNS(mkPoint3, fY)
TYPES_FIELD_FNS(mkPoint3, fZ)
TYPES_FIELD_FNS(mkVector3, fX)
TYPES_FIELD_FNS(mkVector3, fY)
TYPES_FIELD_FNS(mkVector3, fZ)
TYPES_FIELD_FNS(mkPlane3, fA)
TYPES_FIELD_FNS(mkPlane3, fB)
TYPES_FIELD_FNS(mkPlane3, fC)
TYPES_FIELD_FNS(mkPlane3, fD)
TYPES_FIELD_FNS(mkQuat, fX)
TYPES_FIELD_FNS(mkQuat, fY)
TYPES_FIELD_FNS(mkQuat, fZ)
TYPES_FIELD_FNS(mkQuat, fW)
TYPES_FIELD_FNS(mkColorRGBA, red)
TYPES_FIELD_FNS(mkColorRGBA, green)
TYPES_FIELD_FNS(mkColorRGBA, blue)
TYPES_FIELD_FNS(mkColorRGBA, alpha)
#undef TYPES_FIELD_FNS

float mkScalar_get(ScalarBox* self) {
  return self->value;
}
void mkScalar_set(ScalarBox* self, AnyFloat value) {
  self->value = value;
}
// The integer boxes keep 32 bits (a wider value is the binder's
// OverflowError).
int32_t mkBool32_get(Bool32Box* self) {
  return self->value;
}
void mkBool32_set(Bool32Box* self, int32_t value) {
  self->value = value;
}
int32_t Int32_get(Int32Box* self) {
  return self->value;
}
void Int32_set(Int32Box* self, int32_t value) {
  self->value = value;
}

// --- Points and vectors ----------------------------------------------------------

// Component-wise operations of the three-float types (T is mkPoint3 or
// mkVector3).
#define TYPES_TRIPLE_FNS(T)                                                         \
  void T##_add(T* self, T* a, T* b) {                                               \
    *self = T{a->fX + b->fX, a->fY + b->fY, a->fZ + b->fZ};                         \
  }                                                                                 \
  void T##_sub(T* self, T* a, T* b) {                                               \
    *self = T{a->fX - b->fX, a->fY - b->fY, a->fZ - b->fZ};                         \
  }                                                                                 \
  void T##_mul(T* self, T* a, AnyFloat f) {                                         \
    *self = T{a->fX * f, a->fY * f, a->fZ * f};                                     \
  }                                                                                 \
  PyObject* T##_div(T* self, T* a, AnyFloat f) {                                    \
    if (f == 0.0f) return DivisionByZero(#T "_div");                                \
    *self = T{a->fX / f, a->fY / f, a->fZ / f};                                     \
    Py_RETURN_NONE;                                                                 \
  }                                                                                 \
  int32_t T##_cmp(T* self, T* other) {                                              \
    return self->fX != other->fX || self->fY != other->fY || self->fZ != other->fZ; \
  }                                                                                 \
  float T##_InnerProduct(T* self, T* other) {                                       \
    return self->fX * other->fX + self->fY * other->fY + self->fZ * other->fZ;      \
  }                                                                                 \
  float T##_Magnitude(T* self) {                                                    \
    return Magnitude(mkVector3{self->fX, self->fY, self->fZ});                      \
  }                                                                                 \
  float T##_MagnitudeSquared(T* self) {                                             \
    return MagnitudeSquared(mkVector3{self->fX, self->fY, self->fZ});               \
  }
TYPES_TRIPLE_FNS(mkPoint3)
TYPES_TRIPLE_FNS(mkVector3)
#undef TYPES_TRIPLE_FNS

void mkVector3_Set(mkVector3* self, mkPoint3* p1, mkPoint3* p2) {
  *self = *p1 - *p2;
}
void mkVector3_Normalize(mkVector3* self) {
  Normalize(*self);
}
void mkVector3_Renormalize(mkVector3* self) {
  const float s = MagnitudeSquared(*self);
  if (s == 0.0f) return;
  const float h = s * 0.5f;
  const float y1 = 1.5f - h;
  const float y2 = y1 * (1.5f - h * y1 * y1);
  const float y3 = y2 * (1.5f - h * y2 * y2);
  *self = *self * y3;
}

// --- Planes ----------------------------------------------------------------------

void mkPlane3_setUsingPoint(mkPlane3* self, mkPoint3* p, mkVector3* n) {
  *self = mkPlane3{n->fX, n->fY, n->fZ, -(p->fX * n->fX + p->fY * n->fY + p->fZ * n->fZ)};
}
void mkPlane3_setUsingScalar(mkPlane3* self, mkVector3* n, AnyFloat d) {
  *self = mkPlane3{n->fX, n->fY, n->fZ, d};
}

// --- Colours and quaternions ----------------------------------------------------

#define TYPES_QUAD_FNS(T, A, B, C, D)                                           \
  void T##_add(T* self, T* a, T* b) {                                           \
    *self = T{a->A + b->A, a->B + b->B, a->C + b->C, a->D + b->D};              \
  }                                                                             \
  void T##_sub(T* self, T* a, T* b) {                                           \
    *self = T{a->A - b->A, a->B - b->B, a->C - b->C, a->D - b->D};              \
  }                                                                             \
  void T##_mul(T* self, T* a, AnyFloat f) {                                     \
    *self = T{a->A * f, a->B * f, a->C * f, a->D * f};                          \
  }                                                                             \
  int32_t T##_cmp(T* self, T* other) {                                          \
    return self->A != other->A || self->B != other->B || self->C != other->C || \
           self->D != other->D;                                                 \
  }
TYPES_QUAD_FNS(mkColorRGBA, red, green, blue, alpha)
TYPES_QUAD_FNS(mkQuat, fX, fY, fZ, fW)
#undef TYPES_QUAD_FNS

PyObject* mkQuat_div(mkQuat* self, mkQuat* a, AnyFloat f) {
  if (f == 0.0f) return DivisionByZero("mkQuat_div");
  *self = mkQuat{a->fX / f, a->fY / f, a->fZ / f, a->fW / f};
  Py_RETURN_NONE;
}
void mkQuat_Set(mkQuat* self, AnyFloat x, AnyFloat y, AnyFloat z, AnyFloat w) {
  *self = mkQuat{x, y, z, w};
}
void mkQuat_Identity(mkQuat* self) {
  *self = mkQuat{0.0f, 0.0f, 0.0f, 1.0f};
}
int32_t mkQuat_IsIdentity(mkQuat* self) {
  return self->fX == 0.0f && self->fY == 0.0f && self->fZ == 0.0f && self->fW == 1.0f;
}
float mkQuat_Dot(mkQuat* self, mkQuat* other) {
  return math::Dot(*self, *other);
}
float mkQuat_Magnitude(mkQuat* self) {
  return std::sqrt(math::Dot(*self, *self));
}
float mkQuat_MagnitudeSquared(mkQuat* self) {
  return math::Dot(*self, *self);
}
void mkQuat_Normalize(mkQuat* self) {
  math::Normalize(*self);
}
void mkQuat_NormalizeIfNeeded(mkQuat* self) {
  if (math::Dot(*self, *self) != 1.0f) math::Normalize(*self);
}
void mkQuat_SetFromAngleAxis(mkQuat* self, AnyFloat angle, mkVector3* axis) {
  SetFromAngleAxis(*self, angle, *axis);
}
void mkQuat_GetAngleAxis(mkQuat* self, ScalarBox* angle, mkVector3* axis) {
  math::GetAngleAxis(*self, angle->value, *axis);
}
void mkQuat_SetFromSlerp(mkQuat* self, mkQuat* q1, mkQuat* q2, AnyFloat t, int32_t spin) {
  *self = math::Slerp(*q1, *q2, t, spin);
}
void mkQuat_SetFromMatrix(mkQuat* self, mkMatrix44* m) {
  *self = math::FromMatrix(*m);
}
void mkQuat_MakeMatrix(mkQuat* self, mkMatrix44* m) {
  MakeMatrix(*self, *m);
}
void mkQuat_Rotate(mkQuat* self, mkVector3* v) {
  *v = math::Rotate(*self, *v);
}

// --- Matrices --------------------------------------------------------------------

void mkMatrix44_Reset(mkMatrix44* self) {
  Reset(*self);
}
void mkMatrix44_MakeTranslateMat(mkMatrix44* self, mkVector3* v) {
  *self = math::Translation(*v);
}
void mkMatrix44_MakeScaleMat(mkMatrix44* self, mkVector3* v) {
  Reset(*self);
  self->m[0][0] = v->fX;
  self->m[1][1] = v->fY;
  self->m[2][2] = v->fZ;
  self->flags = 0u;
}

// An axis other than 0, 1 and 2 is a ValueError (and changes nothing).
bool AxisRefused(int32_t axis, const char* name) {
  if (axis >= 0 && axis <= 2) return false;
  PyErr_Format(PyExc_ValueError, "%s: axis %d is not 0, 1 or 2", name, int(axis));
  return true;
}
PyObject* mkMatrix44_MakeRotateMat(mkMatrix44* self, int32_t axis, AnyFloat angle) {
  if (AxisRefused(axis, "mkMatrix44_MakeRotateMat")) return nullptr;
  Reset(*self);
  math::SetRotate(*self, axis, angle);
  Py_RETURN_NONE;
}
PyObject* mkMatrix44_SetRotate(mkMatrix44* self, int32_t axis, AnyFloat angle) {
  if (AxisRefused(axis, "mkMatrix44_SetRotate")) return nullptr;
  math::SetRotate(*self, axis, angle);
  Py_RETURN_NONE;
}
void mkMatrix44_SetTranslate(mkMatrix44* self, mkVector3* v) {
  self->m[0][3] = v->fX;
  self->m[1][3] = v->fY;
  self->m[2][3] = v->fZ;
  self->flags = 0u;
}
void mkMatrix44_SetScale(mkMatrix44* self, mkVector3* v) {
  self->m[0][0] = v->fX;
  self->m[1][1] = v->fY;
  self->m[2][2] = v->fZ;
  self->flags = 0u;
}
void mkMatrix44_GetTranslate(mkMatrix44* self, mkVector3* v) {
  *v = mkVector3{self->m[0][3], self->m[1][3], self->m[2][3]};
}
void mkMatrix44_Make(mkMatrix44* self, mkPoint3* from, mkPoint3* at, mkVector3* up) {
  *self = math::LookAt(*from, *at, *up);
}
void mkMatrix44_MakeUpPreserving(mkMatrix44* self, mkPoint3* from, mkPoint3* at, mkVector3* up) {
  *self = math::LookAtUpPreserving(*from, *at, *up);
}
void mkMatrix44_MakeCamera(mkMatrix44* self, mkPoint3* from, mkPoint3* at, mkVector3* up) {
  *self = math::Camera(*from, *at, *up);
}
void mkMatrix44_MakeCameraUpPreserving(mkMatrix44* self, mkPoint3* from, mkPoint3* at,
                                       mkVector3* up) {
  *self = math::CameraUpPreserving(*from, *at, *up);
}
// The three vectors of GetAxis and GetAxisFromCamera are each optional.
void mkMatrix44_GetAxis(mkMatrix44* self, OrNull<mkVector3> a, OrNull<mkVector3> b,
                        OrNull<mkVector3> c) {
  const auto& m = self->m;
  if (a) *a.get() = mkVector3{-m[0][1], -m[1][1], -m[2][1]};
  if (b) *b.get() = mkVector3{m[0][2], m[1][2], m[2][2]};
  if (c) *c.get() = mkVector3{-m[0][0], -m[1][0], -m[2][0]};
}
void mkMatrix44_GetAxisFromCamera(mkMatrix44* self, OrNull<mkVector3> a, OrNull<mkVector3> b,
                                  OrNull<mkVector3> c) {
  const auto& m = self->m;
  if (a) *a.get() = mkVector3{-m[2][0], -m[2][1], -m[2][2]};
  if (b) *b.get() = mkVector3{-m[1][0], -m[1][1], -m[1][2]};
  if (c) *c.get() = mkVector3{m[0][0], m[0][1], m[0][2]};
}
void mkMatrix44_mul(mkMatrix44* self, mkMatrix44* a, mkMatrix44* b) {
  *self = *a * *b;
}
int32_t mkMatrix44_cmp(mkMatrix44* self, mkMatrix44* other) {
  return math::Equal(*self, *other) ? 0 : 1;
}
int32_t mkMatrix44_IsIdentity(mkMatrix44* self) {
  return math::IsIdentity(*self) ? 1 : 0;
}
float mkMatrix44_GetDeterminant(mkMatrix44* self) {
  return math::Determinant(*self);
}
void mkMatrix44_GetAdjoint(mkMatrix44* self, mkMatrix44* out) {
  *out = math::Adjoint(*self);
}
void mkMatrix44_GetInverse(mkMatrix44* self, mkMatrix44* out) {
  *out = math::Inverse(*self);
}
void mkMatrix44_GetTranspose(mkMatrix44* self, mkMatrix44* out) {
  *out = math::Transpose(*self);
}

// --- Scene-object conversions ------------------------------------------------------

// The host's objects are one address under each of their views; the
// conversion only changes the type string ("NULL" stays "NULL").
#define TYPES_CONVERSION_FN(Name, From, To)     \
  To* Name(OrNull<From> object) {               \
    return reinterpret_cast<To*>(object.get()); \
  }
TYPES_CONVERSION_FN(CharIntoScene, egCharacter, mkSceneObject)
TYPES_CONVERSION_FN(CharIntoMoving, egCharacter, egMovingSceneObject)
TYPES_CONVERSION_FN(CharIntoPhysical, egCharacter, egPhysicalSceneObject)
TYPES_CONVERSION_FN(PhysicalIntoMoving, egPhysicalSceneObject, egMovingSceneObject)
TYPES_CONVERSION_FN(PhysicalIntoScene, egPhysicalSceneObject, mkSceneObject)
TYPES_CONVERSION_FN(MovingIntoScene, egMovingSceneObject, mkSceneObject)
#undef TYPES_CONVERSION_FN

}  // namespace native

// clang-format off
// The two rows of field F of type T.
#define TYPES_FIELD_ROWS(X, T, F, Doc) \
  X(T##_##F##_get, "(self: " #T ") -> float\nThe " Doc ".") \
  X(T##_##F##_set, "(self: " #T ", value: float) -> None\nSets the " Doc ".")
#define TYPES_ROWS(X) \
  X(new_mkPoint3, "(x: float, y: float, z: float) -> mkPoint3\nA new point.") \
  X(delete_mkPoint3, "(mkPoint3) -> None\nFrees the point.") \
  TYPES_FIELD_ROWS(X, mkPoint3, fX, "x coordinate") \
  TYPES_FIELD_ROWS(X, mkPoint3, fY, "y coordinate") \
  TYPES_FIELD_ROWS(X, mkPoint3, fZ, "z coordinate") \
  X(mkPoint3_add, "(self: mkPoint3, a: mkPoint3, b: mkPoint3) -> None\nself = a + b.") \
  X(mkPoint3_sub, "(self: mkPoint3, a: mkPoint3, b: mkPoint3) -> None\nself = a - b.") \
  X(mkPoint3_mul, "(self: mkPoint3, a: mkPoint3, f: float) -> None\nself = a * f.") \
  X(mkPoint3_div, "(self: mkPoint3, a: mkPoint3, f: float) -> None\nself = a / f. Dividing by 0 raises " "ZeroDivisionError and leaves self unchanged.") \
  X(mkPoint3_cmp, "(self: mkPoint3, other: mkPoint3) -> int\n1 if any component differs, " "0 if all are equal.") \
  X(mkPoint3_InnerProduct, "(self: mkPoint3, other: mkPoint3) -> float\nThe dot product.") \
  X(mkPoint3_Magnitude, "(self: mkPoint3) -> float\nThe length.") \
  X(mkPoint3_MagnitudeSquared, "(self: mkPoint3) -> float\nThe squared length.") \
  X(new_mkVector3, "(x: float, y: float, z: float) -> mkVector3\nA new vector.") \
  X(delete_mkVector3, "(mkVector3) -> None\nFrees the vector.") \
  TYPES_FIELD_ROWS(X, mkVector3, fX, "x component") \
  TYPES_FIELD_ROWS(X, mkVector3, fY, "y component") \
  TYPES_FIELD_ROWS(X, mkVector3, fZ, "z component") \
  X(mkVector3_add, "(self: mkVector3, a: mkVector3, b: mkVector3) -> None\nself = a + b.") \
  X(mkVector3_sub, "(self: mkVector3, a: mkVector3, b: mkVector3) -> None\nself = a - b.") \
  X(mkVector3_mul, "(self: mkVector3, a: mkVector3, f: float) -> None\nself = a * f.") \
  X(mkVector3_div, "(self: mkVector3, a: mkVector3, f: float) -> None\nself = a / f. Dividing by 0 raises " "ZeroDivisionError and leaves self unchanged.") \
  X(mkVector3_cmp, "(self: mkVector3, other: mkVector3) -> int\n1 if any component " "differs, 0 if all are equal.") \
  X(mkVector3_InnerProduct, "(self: mkVector3, other: mkVector3) -> float\nThe dot product.") \
  X(mkVector3_Magnitude, "(self: mkVector3) -> float\nThe length.") \
  X(mkVector3_MagnitudeSquared, "(self: mkVector3) -> float\nThe squared length.") \
  X(mkVector3_Set, "(self: mkVector3, p1: mkPoint3, p2: mkPoint3) -> None\nself = p1 - p2.") \
  X(mkVector3_Normalize, "(self: mkVector3) -> None\nScales to length 1; a zero vector stays unchanged.") \
  X(mkVector3_Renormalize, "(self: mkVector3) -> None\nCheap re-normalisation of a nearly unit vector (three " "Newton steps for 1/length from 1); a zero vector stays unchanged.") \
  X(new_mkPlane3, "(a: float, b: float, c: float, d: float) -> mkPlane3\nThe plane a*x + b*y + c*z + d = " "0.") \
  X(delete_mkPlane3, "(mkPlane3) -> None\nFrees the plane.") \
  TYPES_FIELD_ROWS(X, mkPlane3, fA, "coefficient A") \
  TYPES_FIELD_ROWS(X, mkPlane3, fB, "coefficient B") \
  TYPES_FIELD_ROWS(X, mkPlane3, fC, "coefficient C") \
  TYPES_FIELD_ROWS(X, mkPlane3, fD, "coefficient D") \
  X(mkPlane3_setUsingPoint, "(self: mkPlane3, p: mkPoint3, n: mkVector3) -> None\nA, B, C = n; D = -(p . n).") \
  X(mkPlane3_setUsingScalar, "(self: mkPlane3, n: mkVector3, d: float) -> None\nA, B, C = n; D = d.") \
  X(new_mkQuat, "(x: float, y: float, z: float, w: float) -> mkQuat\nA new quaternion (vector part " "first).") \
  X(delete_mkQuat, "(mkQuat) -> None\nFrees the quaternion.") \
  TYPES_FIELD_ROWS(X, mkQuat, fX, "x component") \
  TYPES_FIELD_ROWS(X, mkQuat, fY, "y component") \
  TYPES_FIELD_ROWS(X, mkQuat, fZ, "z component") \
  TYPES_FIELD_ROWS(X, mkQuat, fW, "w component (the scalar part)") \
  X(mkQuat_add, "(self: mkQuat, a: mkQuat, b: mkQuat) -> None\nself = a + b.") \
  X(mkQuat_sub, "(self: mkQuat, a: mkQuat, b: mkQuat) -> None\nself = a - b.") \
  X(mkQuat_mul, "(self: mkQuat, a: mkQuat, f: float) -> None\nself = a * f, all four " "components (a scaling, not a quaternion product).") \
  X(mkQuat_div, "(self: mkQuat, a: mkQuat, f: float) -> None\nself = a / f. Dividing by " "0 raises ZeroDivisionError and leaves self unchanged.") \
  X(mkQuat_cmp, "(self: mkQuat, other: mkQuat) -> int\n1 if any component differs, 0 if all are equal.") \
  X(mkQuat_Set, "(self: mkQuat, x: float, y: float, z: float, w: float) -> None\nSets the " "four components.") \
  X(mkQuat_Identity, "(self: mkQuat) -> None\nself = (0, 0, 0, 1).") \
  X(mkQuat_IsIdentity, "(self: mkQuat) -> int\n1 if the components are exactly (0, 0, 0, 1), else 0.") \
  X(mkQuat_Dot, "(self: mkQuat, other: mkQuat) -> float\nThe four-component dot product.") \
  X(mkQuat_Magnitude, "(self: mkQuat) -> float\nThe length over all four components.") \
  X(mkQuat_MagnitudeSquared, "(self: mkQuat) -> float\nThe squared length.") \
  X(mkQuat_Normalize, "(self: mkQuat) -> None\nScales to length 1; a zero quaternion stays " "unchanged.") \
  X(mkQuat_NormalizeIfNeeded, "(self: mkQuat) -> None\nAs mkQuat_Normalize, unless the squared length is exactly 1.") \
  X(mkQuat_SetFromAngleAxis, "(self: mkQuat, angle: float, axis: mkVector3) -> None\nw = cos(angle/2), (x, y, z) = " "sin(angle/2) * axis; the axis is used as given.") \
  X(mkQuat_GetAngleAxis, "(self: mkQuat, angle: mkScalar, axis: mkVector3) -> None\nangle receives 2*acos(w) (w " "limited to -1..1), axis (x, y, z) / sin(acos(w)), or (0, 0, 0) when that sine is 0.") \
  X(mkQuat_SetFromSlerp, "(self: mkQuat, q1: mkQuat, q2: mkQuat, t: float, spin: int) -> None\nSpherical " "interpolation from q1 (t = 0) to q2 (t = 1) with `spin` extra half turns; linear " "weights when q1 and q2 are within 1e-6 of each other.") \
  X(mkQuat_SetFromMatrix, "(self: mkQuat, m: mkMatrix44) -> None\nThe rotation of the matrix as a quaternion.") \
  X(mkQuat_MakeMatrix, "(self: mkQuat, m: mkMatrix44) -> None\nWrites the rotation matrix of self into m (no " "translation; identity flag cleared).") \
  X(mkQuat_Rotate, "(self: mkQuat, v: mkVector3) -> None\nv becomes the vector part of " "q^-1 * (v, 0) * q; unchanged for a zero quaternion.") \
  X(new_mkMatrix44, "() -> mkMatrix44\nA new matrix: elements 0, identity flag cleared.") \
  X(delete_mkMatrix44, "(mkMatrix44) -> None\nFrees the matrix.") \
  X(mkMatrix44_Reset, "(self: mkMatrix44) -> None\nThe identity, flag set.") \
  X(mkMatrix44_MakeTranslateMat, "(self: mkMatrix44, v: mkVector3) -> None\nThe identity with column 3 = v; flag " "cleared.") \
  X(mkMatrix44_MakeScaleMat, "(self: mkMatrix44, v: mkVector3) -> None\nThe identity with the diagonal v; flag " "cleared.") \
  X(mkMatrix44_MakeRotateMat, "(self: mkMatrix44, axis: int, angle: float) -> None\nThe identity, then " "mkMatrix44_SetRotate.") \
  X(mkMatrix44_SetRotate, "(self: mkMatrix44, axis: int, angle: float) -> None\nWith (i, j) = (1, 2), (0, 2) or " "(0, 1) for axis 0, 1 or 2: m[i][i] = m[j][j] = cos, m[i][j] = sin, m[j][i] = -sin; " "the rest kept, flag cleared. Another axis raises ValueError.") \
  X(mkMatrix44_SetTranslate, "(self: mkMatrix44, v: mkVector3) -> None\nColumn 3 rows 0 to 2 = v; the rest kept, " "flag cleared.") \
  X(mkMatrix44_SetScale, "(self: mkMatrix44, v: mkVector3) -> None\nThe diagonal m[i][i] = v (i = 0, 1, 2); the " "rest kept, flag cleared.") \
  X(mkMatrix44_GetTranslate, "(self: mkMatrix44, v: mkVector3) -> None\nv receives column 3 rows 0 to 2.") \
  X(mkMatrix44_Make, "(self: mkMatrix44, from: mkPoint3, at: mkPoint3, up: mkVector3) -> None\nAn object " "at `from` looking at `at`: columns U, N, V with N = norm(from - at), U = norm(up x N), " "V = norm(U x N), column 3 = from.") \
  X(mkMatrix44_MakeUpPreserving, "(self: mkMatrix44, from: mkPoint3, at: mkPoint3, up: mkVector3) -> None\nColumns R, " "F', W with W = norm(up), R = norm(up x (at - from)), F' = norm(W x R); column 3 = " "from.") \
  X(mkMatrix44_MakeCamera, "(self: mkMatrix44, from: mkPoint3, at: mkPoint3, up: mkVector3) -> None\nThe view " "matrix: rows -R, V, F (R = norm(up x (from - at)), F = norm(from - at), V = norm(F x " "R)) times the translation by -from.") \
  X(mkMatrix44_MakeCameraUpPreserving, "(self: mkMatrix44, from: mkPoint3, at: mkPoint3, up: mkVector3) -> None\nAs " "mkMatrix44_MakeCamera with rows -R, W = norm(up), F' = norm(R x W).") \
  X(mkMatrix44_GetAxis, "(self: mkMatrix44, a: mkVector3, b: mkVector3, c: mkVector3) -> None\na = -(column 1), " "b = column 2, c = -(column 0); a vector given as 'NULL' is skipped.") \
  X(mkMatrix44_GetAxisFromCamera, "(self: mkMatrix44, a: mkVector3, b: mkVector3, c: mkVector3) -> None\na = -(row 2), " "b = -(row 1), c = row 0; a vector given as 'NULL' is skipped.") \
  X(mkMatrix44_mul, "(self: mkMatrix44, a: mkMatrix44, b: mkMatrix44) -> None\nself = a x b (self may be a " "or b). Flagged identities are not multiplied: both flagged give the flagged identity, " "one flagged a copy of the other.") \
  X(mkMatrix44_cmp, "(self: mkMatrix44, other: mkMatrix44) -> int\n0 when both carry the " "identity flag or all 16 elements are equal, else 1.") \
  X(mkMatrix44_IsIdentity, "(self: mkMatrix44) -> int\n1 if the elements are exactly the identity, else 0; sets or " "clears the flag to match.") \
  X(mkMatrix44_GetDeterminant, "(self: mkMatrix44) -> float\nThe determinant.") \
  X(mkMatrix44_GetAdjoint, "(self: mkMatrix44, out: mkMatrix44) -> None\nout = the adjoint (transposed cofactors); " "flag cleared.") \
  X(mkMatrix44_GetInverse, "(self: mkMatrix44, out: mkMatrix44) -> None\nout = the adjoint / determinant; the " "flagged identity when the determinant is exactly 0.") \
  X(mkMatrix44_GetTranspose, "(self: mkMatrix44, out: mkMatrix44) -> None\nout = the transpose; flag cleared.") \
  X(new_mkColorRGBA, "() -> mkColorRGBA\nA new colour, all four components 0.") \
  X(delete_mkColorRGBA, "(mkColorRGBA) -> None\nFrees the colour.") \
  TYPES_FIELD_ROWS(X, mkColorRGBA, red, "red component") \
  TYPES_FIELD_ROWS(X, mkColorRGBA, green, "green component") \
  TYPES_FIELD_ROWS(X, mkColorRGBA, blue, "blue component") \
  TYPES_FIELD_ROWS(X, mkColorRGBA, alpha, "alpha component") \
  X(mkColorRGBA_add, "(self: mkColorRGBA, a: mkColorRGBA, b: mkColorRGBA) -> None\nself = a + b.") \
  X(mkColorRGBA_sub, "(self: mkColorRGBA, a: mkColorRGBA, b: mkColorRGBA) -> None\nself = a - b.") \
  X(mkColorRGBA_mul, "(self: mkColorRGBA, a: mkColorRGBA, f: float) -> None\nself = a * f.") \
  X(mkColorRGBA_cmp, "(self: mkColorRGBA, other: mkColorRGBA) -> int\n1 if any component " "differs, 0 if all are equal.") \
  X(new_mkScalar, "() -> mkScalar\nA new float box holding 0.") \
  X(delete_mkScalar, "(mkScalar) -> None\nFrees the box.") \
  X(mkScalar_get, "(self: mkScalar) -> float\nThe boxed float.") \
  X(mkScalar_set, "(self: mkScalar, value: float) -> None\nSets the boxed float.") \
  X(new_mkBool32, "() -> mkBool32\nA new 32-bit flag box holding 0.") \
  X(delete_mkBool32, "(mkBool32) -> None\nFrees the box.") \
  X(mkBool32_get, "(self: mkBool32) -> int\nThe boxed value.") \
  X(mkBool32_set, "(self: mkBool32, value: int) -> None\nSets the boxed value (OverflowError beyond 32 bits).") \
  X(new_Int32, "() -> Int32\nA new 32-bit integer box holding 0.") \
  X(delete_Int32, "(Int32) -> None\nFrees the box.") \
  X(Int32_get, "(self: Int32) -> int\nThe boxed value.") \
  X(Int32_set, "(self: Int32, value: int) -> None\nSets the boxed value (OverflowError beyond 32 bits).") \
  X(CharIntoScene, "(egCharacter) -> mkSceneObject\nThe same object as a scene object ('NULL' gives 'NULL').") \
  X(CharIntoMoving, "(egCharacter) -> egMovingSceneObject\nThe same object as a moving scene object ('NULL' gives 'NULL').") \
  X(CharIntoPhysical, "(egCharacter) -> egPhysicalSceneObject\nThe same object as a physical scene object ('NULL' gives 'NULL').") \
  X(PhysicalIntoMoving, "(egPhysicalSceneObject) -> egMovingSceneObject\nThe same object " "as a moving scene object ('NULL' gives 'NULL').") \
  X(PhysicalIntoScene, "(egPhysicalSceneObject) -> mkSceneObject\nThe same object as a scene object ('NULL' gives 'NULL').") \
  X(MovingIntoScene, "(egMovingSceneObject) -> mkSceneObject\nThe same object as a scene object ('NULL' gives 'NULL').")
// clang-format on

#define TYPES_NAME(Name, Doc) constexpr char Name##_name[] = #Name;
TYPES_ROWS(TYPES_NAME)
#undef TYPES_NAME

#define TYPES_DEF(Name, Doc) \
  {#Name, FastFunction(&Bind<native::Name, Name##_name, Types>), METH_FASTCALL, Doc},
PyMethodDef kFunctions[] = {TYPES_ROWS(TYPES_DEF){nullptr, nullptr, 0, nullptr}};
#undef TYPES_DEF

}  // namespace

void DeclareTypesModuleObjects() {
  for (const char* type :
       {ScriptType<mkPoint3>::kName, ScriptType<mkVector3>::kName, ScriptType<mkPlane3>::kName,
        ScriptType<mkQuat>::kName, ScriptType<mkColorRGBA>::kName, ScriptType<mkMatrix44>::kName,
        ScriptType<ScalarBox>::kName, ScriptType<Bool32Box>::kName, ScriptType<Int32Box>::kName})
    live::DeclareOwnedType(type);
}

ScriptModule& TypesModule() {
  static ScriptModule module("mkTypesc", kFunctions, {}, RegisterScalarEquivalences);
  return module;
}

}  // namespace script
