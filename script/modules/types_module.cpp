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

// Parses a tuple of pointer strings only ("sss:Name") and decodes each in
// order.
template <class... T, size_t... I>
bool ParseObjects(PyObject* args, const char* format, const char* name, std::index_sequence<I...>,
                  T*&... out) {
  const char* texts[sizeof...(T)] = {};
  if (!ParseArgs(args, format, &texts[I]...)) return false;
  Arguments a(Types(), name);
  return (a.Get(int(I) + 1, texts[I], out) && ...);
}
template <class... T>
bool Objects(PyObject* args, const char* format, const char* name, T*&... out) {
  return ParseObjects(args, format, name, std::index_sequence_for<T...>{}, out...);
}

// One object and one float ("sf:Name").
template <class T>
bool ObjectAndFloat(PyObject* args, const char* format, const char* name, T*& self, float& f) {
  const char* text = nullptr;
  if (!ParseArgs(args, format, &text, &f)) return false;
  return Arguments(Types(), name).Get(1, text, self);
}

// self, a and a float ("ssf:Name").
template <class T>
bool TwoObjectsAndFloat(PyObject* args, const char* format, const char* name, T*& self, T*& a,
                        float& f) {
  const char *s = nullptr, *t = nullptr;
  if (!ParseArgs(args, format, &s, &t, &f)) return false;
  Arguments arguments(Types(), name);
  return arguments.Get(1, s, self) && arguments.Get(2, t, a);
}

PyObject* DivisionByZero(const char* name) {
  PyErr_Format(PyExc_ZeroDivisionError, "%s: division by zero", name);
  return nullptr;
}

#define FN(Name) PyObject* Name(PyObject*, PyObject* args)

// --- Constructors, destructors and fields ---------------------------------------

#define FREE_FN(T, Name)                                                            \
  FN(delete_##Name) {                                                               \
    T* object = ObjectToFree<T>(Types(), "delete_" #Name, args, "s:delete_" #Name); \
    if (object == nullptr) return nullptr;                                          \
    DestroyObject(object);                                                          \
    Py_RETURN_NONE;                                                                 \
  }

FN(new_mkPoint3) {
  float x, y, z;
  if (!ParseArgs(args, "fff:new_mkPoint3", &x, &y, &z)) return nullptr;
  return MakeObject<mkPoint3>(x, y, z);
}
FN(new_mkVector3) {
  float x, y, z;
  if (!ParseArgs(args, "fff:new_mkVector3", &x, &y, &z)) return nullptr;
  return MakeObject<mkVector3>(x, y, z);
}
FN(new_mkPlane3) {
  float a, b, c, d;
  if (!ParseArgs(args, "ffff:new_mkPlane3", &a, &b, &c, &d)) return nullptr;
  return MakeObject<mkPlane3>(a, b, c, d);
}
FN(new_mkQuat) {
  float x, y, z, w;
  if (!ParseArgs(args, "ffff:new_mkQuat", &x, &y, &z, &w)) return nullptr;
  return MakeObject<mkQuat>(x, y, z, w);
}
FN(new_mkColorRGBA) {
  if (!ParseArgs(args, ":new_mkColorRGBA")) return nullptr;
  return MakeObject<mkColorRGBA>(0.0f, 0.0f, 0.0f, 0.0f);
}
FN(new_mkMatrix44) {
  if (!ParseArgs(args, ":new_mkMatrix44")) return nullptr;
  return MakeObject<mkMatrix44>();
}
FN(new_mkScalar) {
  if (!ParseArgs(args, ":new_mkScalar")) return nullptr;
  return MakeObject<ScalarBox>(0.0f);
}
FN(new_mkBool32) {
  if (!ParseArgs(args, ":new_mkBool32")) return nullptr;
  return MakeObject<Bool32Box>(0);
}
FN(new_Int32) {
  if (!ParseArgs(args, ":new_Int32")) return nullptr;
  return MakeObject<Int32Box>(0);
}
FREE_FN(mkPoint3, mkPoint3)
FREE_FN(mkVector3, mkVector3)
FREE_FN(mkPlane3, mkPlane3)
FREE_FN(mkQuat, mkQuat)
FREE_FN(mkColorRGBA, mkColorRGBA)
FREE_FN(mkMatrix44, mkMatrix44)
FREE_FN(ScalarBox, mkScalar)
FREE_FN(Bool32Box, mkBool32)
FREE_FN(Int32Box, Int32)

#define FIELD_FNS(T, F)                                                                \
  FN(T##_##F##_get) {                                                                  \
    T* self;                                                                           \
    if (!Objects(args, "s:" #T "_" #F "_get", #T "_" #F "_get", self)) return nullptr; \
    return PyFloat_FromDouble(double(self->F));                                        \
  }                                                                                    \
  FN(T##_##F##_set) {                                                                  \
    T* self;                                                                           \
    float value;                                                                       \
    if (!ObjectAndFloat(args, "sf:" #T "_" #F "_set", #T "_" #F "_set", self, value))  \
      return nullptr;                                                                  \
    self->F = value;                                                                   \
    Py_RETURN_NONE;                                                                    \
  }

FIELD_FNS(mkPoint3, fX)
FIELD_FNS(mkPoint3, fY)
FIELD_FNS(mkPoint3, fZ)
FIELD_FNS(mkVector3, fX)
FIELD_FNS(mkVector3, fY)
FIELD_FNS(mkVector3, fZ)
FIELD_FNS(mkPlane3, fA)
FIELD_FNS(mkPlane3, fB)
FIELD_FNS(mkPlane3, fC)
FIELD_FNS(mkPlane3, fD)
FIELD_FNS(mkQuat, fX)
FIELD_FNS(mkQuat, fY)
FIELD_FNS(mkQuat, fZ)
FIELD_FNS(mkQuat, fW)
FIELD_FNS(mkColorRGBA, red)
FIELD_FNS(mkColorRGBA, green)
FIELD_FNS(mkColorRGBA, blue)
FIELD_FNS(mkColorRGBA, alpha)

FN(mkScalar_get) {
  ScalarBox* self;
  if (!Objects(args, "s:mkScalar_get", "mkScalar_get", self)) return nullptr;
  return PyFloat_FromDouble(double(self->value));
}
FN(mkScalar_set) {
  ScalarBox* self;
  float value;
  if (!ObjectAndFloat(args, "sf:mkScalar_set", "mkScalar_set", self, value)) return nullptr;
  self->value = value;
  Py_RETURN_NONE;
}

// The integer boxes: "sl", the value kept in 32 bits (an integer that does
// not fit is an OverflowError).
template <class Box>
PyObject* SetInteger(PyObject* args, const char* format, const char* name) {
  const char* text = nullptr;
  long value = 0;
  if (!ParseArgs(args, format, &text, &value)) return nullptr;
  Box* self;
  if (!Arguments(Types(), name).Get(1, text, self)) return nullptr;
  if (value < INT32_MIN || value > INT32_MAX) {
    PyErr_Format(PyExc_OverflowError, "%s: %ld does not fit in 32 bits", name, value);
    return nullptr;
  }
  self->value = int32_t(value);
  Py_RETURN_NONE;
}
FN(mkBool32_get) {
  Bool32Box* self;
  if (!Objects(args, "s:mkBool32_get", "mkBool32_get", self)) return nullptr;
  return PyLong_FromLong(self->value);
}
FN(mkBool32_set) {
  return SetInteger<Bool32Box>(args, "sl:mkBool32_set", "mkBool32_set");
}
FN(Int32_get) {
  Int32Box* self;
  if (!Objects(args, "s:Int32_get", "Int32_get", self)) return nullptr;
  return PyLong_FromLong(self->value);
}
FN(Int32_set) {
  return SetInteger<Int32Box>(args, "sl:Int32_set", "Int32_set");
}

// --- Points and vectors ----------------------------------------------------------

// Component-wise operations of the three-float types (T is mkPoint3 or
// mkVector3).
#define TRIPLE_FNS(T)                                                                              \
  FN(T##_add) {                                                                                    \
    T *self, *a, *b;                                                                               \
    if (!Objects(args, "sss:" #T "_add", #T "_add", self, a, b)) return nullptr;                   \
    *self = T{a->fX + b->fX, a->fY + b->fY, a->fZ + b->fZ};                                        \
    Py_RETURN_NONE;                                                                                \
  }                                                                                                \
  FN(T##_sub) {                                                                                    \
    T *self, *a, *b;                                                                               \
    if (!Objects(args, "sss:" #T "_sub", #T "_sub", self, a, b)) return nullptr;                   \
    *self = T{a->fX - b->fX, a->fY - b->fY, a->fZ - b->fZ};                                        \
    Py_RETURN_NONE;                                                                                \
  }                                                                                                \
  FN(T##_mul) {                                                                                    \
    T *self, *a;                                                                                   \
    float f;                                                                                       \
    if (!TwoObjectsAndFloat(args, "ssf:" #T "_mul", #T "_mul", self, a, f)) return nullptr;        \
    *self = T{a->fX * f, a->fY * f, a->fZ * f};                                                    \
    Py_RETURN_NONE;                                                                                \
  }                                                                                                \
  FN(T##_div) {                                                                                    \
    T *self, *a;                                                                                   \
    float f;                                                                                       \
    if (!TwoObjectsAndFloat(args, "ssf:" #T "_div", #T "_div", self, a, f)) return nullptr;        \
    if (f == 0.0f) return DivisionByZero(#T "_div");                                               \
    *self = T{a->fX / f, a->fY / f, a->fZ / f};                                                    \
    Py_RETURN_NONE;                                                                                \
  }                                                                                                \
  FN(T##_cmp) {                                                                                    \
    T *self, *other;                                                                               \
    if (!Objects(args, "ss:" #T "_cmp", #T "_cmp", self, other)) return nullptr;                   \
    return PyLong_FromLong(self->fX != other->fX || self->fY != other->fY ||                       \
                           self->fZ != other->fZ);                                                 \
  }                                                                                                \
  FN(T##_InnerProduct) {                                                                           \
    T *self, *other;                                                                               \
    if (!Objects(args, "ss:" #T "_InnerProduct", #T "_InnerProduct", self, other)) return nullptr; \
    return PyFloat_FromDouble(                                                                     \
        double(self->fX * other->fX + self->fY * other->fY + self->fZ * other->fZ));               \
  }                                                                                                \
  FN(T##_Magnitude) {                                                                              \
    T* self;                                                                                       \
    if (!Objects(args, "s:" #T "_Magnitude", #T "_Magnitude", self)) return nullptr;               \
    return PyFloat_FromDouble(double(Magnitude(mkVector3{self->fX, self->fY, self->fZ})));         \
  }                                                                                                \
  FN(T##_MagnitudeSquared) {                                                                       \
    T* self;                                                                                       \
    if (!Objects(args, "s:" #T "_MagnitudeSquared", #T "_MagnitudeSquared", self)) return nullptr; \
    return PyFloat_FromDouble(double(MagnitudeSquared(mkVector3{self->fX, self->fY, self->fZ})));  \
  }

TRIPLE_FNS(mkPoint3)
TRIPLE_FNS(mkVector3)

FN(mkVector3_Set) {
  const char *s, *t, *u;
  if (!ParseArgs(args, "sss:mkVector3_Set", &s, &t, &u)) return nullptr;
  mkVector3* self;
  mkPoint3 *p1, *p2;
  Arguments a(Types(), "mkVector3_Set");
  if (!a.Get(1, s, self) || !a.Get(2, t, p1) || !a.Get(3, u, p2)) return nullptr;
  *self = *p1 - *p2;
  Py_RETURN_NONE;
}
FN(mkVector3_Normalize) {
  mkVector3* self;
  if (!Objects(args, "s:mkVector3_Normalize", "mkVector3_Normalize", self)) return nullptr;
  Normalize(*self);
  Py_RETURN_NONE;
}
FN(mkVector3_Renormalize) {
  mkVector3* self;
  if (!Objects(args, "s:mkVector3_Renormalize", "mkVector3_Renormalize", self)) return nullptr;
  const float s = MagnitudeSquared(*self);
  if (s == 0.0f) Py_RETURN_NONE;
  const float h = s * 0.5f;
  const float y1 = 1.5f - h;
  const float y2 = y1 * (1.5f - h * y1 * y1);
  const float y3 = y2 * (1.5f - h * y2 * y2);
  *self = *self * y3;
  Py_RETURN_NONE;
}

// --- Planes ----------------------------------------------------------------------

FN(mkPlane3_setUsingPoint) {
  const char *s, *t, *u;
  if (!ParseArgs(args, "sss:mkPlane3_setUsingPoint", &s, &t, &u)) return nullptr;
  mkPlane3* self;
  mkPoint3* p;
  mkVector3* n;
  Arguments a(Types(), "mkPlane3_setUsingPoint");
  if (!a.Get(1, s, self) || !a.Get(2, t, p) || !a.Get(3, u, n)) return nullptr;
  *self = mkPlane3{n->fX, n->fY, n->fZ, -(p->fX * n->fX + p->fY * n->fY + p->fZ * n->fZ)};
  Py_RETURN_NONE;
}
FN(mkPlane3_setUsingScalar) {
  const char *s, *t;
  float d;
  if (!ParseArgs(args, "ssf:mkPlane3_setUsingScalar", &s, &t, &d)) return nullptr;
  mkPlane3* self;
  mkVector3* n;
  Arguments a(Types(), "mkPlane3_setUsingScalar");
  if (!a.Get(1, s, self) || !a.Get(2, t, n)) return nullptr;
  *self = mkPlane3{n->fX, n->fY, n->fZ, d};
  Py_RETURN_NONE;
}

// --- Colours and quaternions ----------------------------------------------------

#define QUAD_FNS(T, A, B, C, D)                                                                 \
  FN(T##_add) {                                                                                 \
    T *self, *a, *b;                                                                            \
    if (!Objects(args, "sss:" #T "_add", #T "_add", self, a, b)) return nullptr;                \
    *self = T{a->A + b->A, a->B + b->B, a->C + b->C, a->D + b->D};                              \
    Py_RETURN_NONE;                                                                             \
  }                                                                                             \
  FN(T##_sub) {                                                                                 \
    T *self, *a, *b;                                                                            \
    if (!Objects(args, "sss:" #T "_sub", #T "_sub", self, a, b)) return nullptr;                \
    *self = T{a->A - b->A, a->B - b->B, a->C - b->C, a->D - b->D};                              \
    Py_RETURN_NONE;                                                                             \
  }                                                                                             \
  FN(T##_mul) {                                                                                 \
    T *self, *a;                                                                                \
    float f;                                                                                    \
    if (!TwoObjectsAndFloat(args, "ssf:" #T "_mul", #T "_mul", self, a, f)) return nullptr;     \
    *self = T{a->A * f, a->B * f, a->C * f, a->D * f};                                          \
    Py_RETURN_NONE;                                                                             \
  }                                                                                             \
  FN(T##_cmp) {                                                                                 \
    T *self, *other;                                                                            \
    if (!Objects(args, "ss:" #T "_cmp", #T "_cmp", self, other)) return nullptr;                \
    return PyLong_FromLong(self->A != other->A || self->B != other->B || self->C != other->C || \
                           self->D != other->D);                                                \
  }

QUAD_FNS(mkColorRGBA, red, green, blue, alpha)
QUAD_FNS(mkQuat, fX, fY, fZ, fW)

FN(mkQuat_div) {
  mkQuat *self, *a;
  float f;
  if (!TwoObjectsAndFloat(args, "ssf:mkQuat_div", "mkQuat_div", self, a, f)) return nullptr;
  if (f == 0.0f) return DivisionByZero("mkQuat_div");
  *self = mkQuat{a->fX / f, a->fY / f, a->fZ / f, a->fW / f};
  Py_RETURN_NONE;
}
FN(mkQuat_Set) {
  const char* s;
  float x, y, z, w;
  if (!ParseArgs(args, "sffff:mkQuat_Set", &s, &x, &y, &z, &w)) return nullptr;
  mkQuat* self;
  if (!Arguments(Types(), "mkQuat_Set").Get(1, s, self)) return nullptr;
  *self = mkQuat{x, y, z, w};
  Py_RETURN_NONE;
}
FN(mkQuat_Identity) {
  mkQuat* self;
  if (!Objects(args, "s:mkQuat_Identity", "mkQuat_Identity", self)) return nullptr;
  *self = mkQuat{0.0f, 0.0f, 0.0f, 1.0f};
  Py_RETURN_NONE;
}
FN(mkQuat_IsIdentity) {
  mkQuat* self;
  if (!Objects(args, "s:mkQuat_IsIdentity", "mkQuat_IsIdentity", self)) return nullptr;
  return PyLong_FromLong(self->fX == 0.0f && self->fY == 0.0f && self->fZ == 0.0f &&
                         self->fW == 1.0f);
}
FN(mkQuat_Dot) {
  mkQuat *self, *other;
  if (!Objects(args, "ss:mkQuat_Dot", "mkQuat_Dot", self, other)) return nullptr;
  return PyFloat_FromDouble(double(math::Dot(*self, *other)));
}
FN(mkQuat_Magnitude) {
  mkQuat* self;
  if (!Objects(args, "s:mkQuat_Magnitude", "mkQuat_Magnitude", self)) return nullptr;
  return PyFloat_FromDouble(double(std::sqrt(math::Dot(*self, *self))));
}
FN(mkQuat_MagnitudeSquared) {
  mkQuat* self;
  if (!Objects(args, "s:mkQuat_MagnitudeSquared", "mkQuat_MagnitudeSquared", self)) return nullptr;
  return PyFloat_FromDouble(double(math::Dot(*self, *self)));
}
FN(mkQuat_Normalize) {
  mkQuat* self;
  if (!Objects(args, "s:mkQuat_Normalize", "mkQuat_Normalize", self)) return nullptr;
  math::Normalize(*self);
  Py_RETURN_NONE;
}
FN(mkQuat_NormalizeIfNeeded) {
  mkQuat* self;
  if (!Objects(args, "s:mkQuat_NormalizeIfNeeded", "mkQuat_NormalizeIfNeeded", self))
    return nullptr;
  if (math::Dot(*self, *self) != 1.0f) math::Normalize(*self);
  Py_RETURN_NONE;
}
FN(mkQuat_SetFromAngleAxis) {
  const char *s, *t;
  float angle;
  if (!ParseArgs(args, "sfs:mkQuat_SetFromAngleAxis", &s, &angle, &t)) return nullptr;
  mkQuat* self;
  mkVector3* axis;
  Arguments a(Types(), "mkQuat_SetFromAngleAxis");
  if (!a.Get(1, s, self) || !a.Get(3, t, axis)) return nullptr;
  SetFromAngleAxis(*self, angle, *axis);
  Py_RETURN_NONE;
}
FN(mkQuat_GetAngleAxis) {
  const char *s, *t, *u;
  if (!ParseArgs(args, "sss:mkQuat_GetAngleAxis", &s, &t, &u)) return nullptr;
  mkQuat* self;
  ScalarBox* angle;
  mkVector3* axis;
  Arguments a(Types(), "mkQuat_GetAngleAxis");
  if (!a.Get(1, s, self) || !a.Get(2, t, angle) || !a.Get(3, u, axis)) return nullptr;
  math::GetAngleAxis(*self, angle->value, *axis);
  Py_RETURN_NONE;
}
FN(mkQuat_SetFromSlerp) {
  const char *s, *t, *u;
  float f;
  long spin;
  if (!ParseArgs(args, "sssfl:mkQuat_SetFromSlerp", &s, &t, &u, &f, &spin)) return nullptr;
  mkQuat *self, *q1, *q2;
  Arguments a(Types(), "mkQuat_SetFromSlerp");
  if (!a.Get(1, s, self) || !a.Get(2, t, q1) || !a.Get(3, u, q2)) return nullptr;
  *self = math::Slerp(*q1, *q2, f, int32_t(spin));
  Py_RETURN_NONE;
}
FN(mkQuat_SetFromMatrix) {
  const char *s, *t;
  if (!ParseArgs(args, "ss:mkQuat_SetFromMatrix", &s, &t)) return nullptr;
  mkQuat* self;
  mkMatrix44* m;
  Arguments a(Types(), "mkQuat_SetFromMatrix");
  if (!a.Get(1, s, self) || !a.Get(2, t, m)) return nullptr;
  *self = math::FromMatrix(*m);
  Py_RETURN_NONE;
}
FN(mkQuat_MakeMatrix) {
  const char *s, *t;
  if (!ParseArgs(args, "ss:mkQuat_MakeMatrix", &s, &t)) return nullptr;
  mkQuat* self;
  mkMatrix44* m;
  Arguments a(Types(), "mkQuat_MakeMatrix");
  if (!a.Get(1, s, self) || !a.Get(2, t, m)) return nullptr;
  MakeMatrix(*self, *m);
  Py_RETURN_NONE;
}
FN(mkQuat_Rotate) {
  const char *s, *t;
  if (!ParseArgs(args, "ss:mkQuat_Rotate", &s, &t)) return nullptr;
  mkQuat* self;
  mkVector3* v;
  Arguments a(Types(), "mkQuat_Rotate");
  if (!a.Get(1, s, self) || !a.Get(2, t, v)) return nullptr;
  *v = math::Rotate(*self, *v);
  Py_RETURN_NONE;
}

// --- Matrices --------------------------------------------------------------------

FN(mkMatrix44_Reset) {
  mkMatrix44* self;
  if (!Objects(args, "s:mkMatrix44_Reset", "mkMatrix44_Reset", self)) return nullptr;
  Reset(*self);
  Py_RETURN_NONE;
}
FN(mkMatrix44_MakeTranslateMat) {
  mkMatrix44* self;
  mkVector3* v;
  if (!Objects(args, "ss:mkMatrix44_MakeTranslateMat", "mkMatrix44_MakeTranslateMat", self, v))
    return nullptr;
  *self = math::Translation(*v);
  Py_RETURN_NONE;
}
FN(mkMatrix44_MakeScaleMat) {
  mkMatrix44* self;
  mkVector3* v;
  if (!Objects(args, "ss:mkMatrix44_MakeScaleMat", "mkMatrix44_MakeScaleMat", self, v))
    return nullptr;
  Reset(*self);
  self->m[0][0] = v->fX;
  self->m[1][1] = v->fY;
  self->m[2][2] = v->fZ;
  self->flags = 0u;
  Py_RETURN_NONE;
}

// Axis and angle ("slf"); an axis other than 0, 1 and 2 is a ValueError.
bool AxisAndAngle(PyObject* args, const char* format, const char* name, mkMatrix44*& self,
                  long& axis, float& angle) {
  const char* s;
  if (!ParseArgs(args, format, &s, &axis, &angle)) return false;
  if (!Arguments(Types(), name).Get(1, s, self)) return false;
  if (axis < 0 || axis > 2) {
    PyErr_Format(PyExc_ValueError, "%s: axis %ld is not 0, 1 or 2", name, axis);
    return false;
  }
  return true;
}
FN(mkMatrix44_MakeRotateMat) {
  mkMatrix44* self;
  long axis;
  float angle;
  if (!AxisAndAngle(args, "slf:mkMatrix44_MakeRotateMat", "mkMatrix44_MakeRotateMat", self, axis,
                    angle))
    return nullptr;
  Reset(*self);
  math::SetRotate(*self, int32_t(axis), angle);
  Py_RETURN_NONE;
}
FN(mkMatrix44_SetRotate) {
  mkMatrix44* self;
  long axis;
  float angle;
  if (!AxisAndAngle(args, "slf:mkMatrix44_SetRotate", "mkMatrix44_SetRotate", self, axis, angle))
    return nullptr;
  math::SetRotate(*self, int32_t(axis), angle);
  Py_RETURN_NONE;
}
FN(mkMatrix44_SetTranslate) {
  mkMatrix44* self;
  mkVector3* v;
  if (!Objects(args, "ss:mkMatrix44_SetTranslate", "mkMatrix44_SetTranslate", self, v))
    return nullptr;
  self->m[0][3] = v->fX;
  self->m[1][3] = v->fY;
  self->m[2][3] = v->fZ;
  self->flags = 0u;
  Py_RETURN_NONE;
}
FN(mkMatrix44_SetScale) {
  mkMatrix44* self;
  mkVector3* v;
  if (!Objects(args, "ss:mkMatrix44_SetScale", "mkMatrix44_SetScale", self, v)) return nullptr;
  self->m[0][0] = v->fX;
  self->m[1][1] = v->fY;
  self->m[2][2] = v->fZ;
  self->flags = 0u;
  Py_RETURN_NONE;
}
FN(mkMatrix44_GetTranslate) {
  mkMatrix44* self;
  mkVector3* v;
  if (!Objects(args, "ss:mkMatrix44_GetTranslate", "mkMatrix44_GetTranslate", self, v))
    return nullptr;
  *v = mkVector3{self->m[0][3], self->m[1][3], self->m[2][3]};
  Py_RETURN_NONE;
}

#define LOOK_AT_FN(Name, Builder)                                                         \
  FN(mkMatrix44_##Name) {                                                                 \
    mkMatrix44* self;                                                                     \
    mkPoint3 *from, *at;                                                                  \
    mkVector3* up;                                                                        \
    const char *s, *t, *u, *v;                                                            \
    if (!ParseArgs(args, "ssss:mkMatrix44_" #Name, &s, &t, &u, &v)) return nullptr;       \
    Arguments a(Types(), "mkMatrix44_" #Name);                                            \
    if (!a.Get(1, s, self) || !a.Get(2, t, from) || !a.Get(3, u, at) || !a.Get(4, v, up)) \
      return nullptr;                                                                     \
    *self = Builder(*from, *at, *up);                                                     \
    Py_RETURN_NONE;                                                                       \
  }
LOOK_AT_FN(Make, math::LookAt)
LOOK_AT_FN(MakeUpPreserving, math::LookAtUpPreserving)
LOOK_AT_FN(MakeCamera, math::Camera)
LOOK_AT_FN(MakeCameraUpPreserving, math::CameraUpPreserving)

// The three vectors of GetAxis and GetAxisFromCamera, each optional ("NULL").
bool AxisVectors(PyObject* args, const char* format, const char* name, mkMatrix44*& self,
                 mkVector3* (&v)[3]) {
  const char *s, *t[3];
  if (!ParseArgs(args, format, &s, &t[0], &t[1], &t[2])) return false;
  Arguments a(Types(), name);
  return a.Get(1, s, self) && a.GetOrNull(2, t[0], v[0]) && a.GetOrNull(3, t[1], v[1]) &&
         a.GetOrNull(4, t[2], v[2]);
}
FN(mkMatrix44_GetAxis) {
  mkMatrix44* self;
  mkVector3* v[3];
  if (!AxisVectors(args, "ssss:mkMatrix44_GetAxis", "mkMatrix44_GetAxis", self, v)) return nullptr;
  const auto& m = self->m;
  if (v[0]) *v[0] = mkVector3{-m[0][1], -m[1][1], -m[2][1]};
  if (v[1]) *v[1] = mkVector3{m[0][2], m[1][2], m[2][2]};
  if (v[2]) *v[2] = mkVector3{-m[0][0], -m[1][0], -m[2][0]};
  Py_RETURN_NONE;
}
FN(mkMatrix44_GetAxisFromCamera) {
  mkMatrix44* self;
  mkVector3* v[3];
  if (!AxisVectors(args, "ssss:mkMatrix44_GetAxisFromCamera", "mkMatrix44_GetAxisFromCamera", self,
                   v))
    return nullptr;
  const auto& m = self->m;
  if (v[0]) *v[0] = mkVector3{-m[2][0], -m[2][1], -m[2][2]};
  if (v[1]) *v[1] = mkVector3{-m[1][0], -m[1][1], -m[1][2]};
  if (v[2]) *v[2] = mkVector3{m[0][0], m[0][1], m[0][2]};
  Py_RETURN_NONE;
}
FN(mkMatrix44_mul) {
  mkMatrix44 *self, *a, *b;
  if (!Objects(args, "sss:mkMatrix44_mul", "mkMatrix44_mul", self, a, b)) return nullptr;
  *self = *a * *b;
  Py_RETURN_NONE;
}
FN(mkMatrix44_cmp) {
  mkMatrix44 *self, *other;
  if (!Objects(args, "ss:mkMatrix44_cmp", "mkMatrix44_cmp", self, other)) return nullptr;
  return PyLong_FromLong(math::Equal(*self, *other) ? 0 : 1);
}
FN(mkMatrix44_IsIdentity) {
  mkMatrix44* self;
  if (!Objects(args, "s:mkMatrix44_IsIdentity", "mkMatrix44_IsIdentity", self)) return nullptr;
  return PyLong_FromLong(math::IsIdentity(*self) ? 1 : 0);
}
FN(mkMatrix44_GetDeterminant) {
  mkMatrix44* self;
  if (!Objects(args, "s:mkMatrix44_GetDeterminant", "mkMatrix44_GetDeterminant", self))
    return nullptr;
  return PyFloat_FromDouble(double(math::Determinant(*self)));
}
#define MATRIX_OUT_FN(Name, Routine)                                                            \
  FN(mkMatrix44_##Name) {                                                                       \
    mkMatrix44 *self, *out;                                                                     \
    if (!Objects(args, "ss:mkMatrix44_" #Name, "mkMatrix44_" #Name, self, out)) return nullptr; \
    *out = Routine(*self);                                                                      \
    Py_RETURN_NONE;                                                                             \
  }
MATRIX_OUT_FN(GetAdjoint, math::Adjoint)
MATRIX_OUT_FN(GetInverse, math::Inverse)
MATRIX_OUT_FN(GetTranspose, math::Transpose)

// --- Scene-object conversions ------------------------------------------------------

// The host's objects are one address under each of their views; the
// conversion only changes the type string. Host types are not tracked.
#define CONVERSION_FN(Name, From, To)                                       \
  FN(Name) {                                                                \
    const char* s;                                                          \
    if (!ParseArgs(args, "s:" #Name, &s)) return nullptr;                   \
    const TypeTable::Decoded d = Types().Decode(s, "_" #From "_p");         \
    if (!CheckPointerArgument(d, "_" #From "_p", 1, #Name)) return nullptr; \
    return PointerResult(d.address, "_" #To "_p");                          \
  }
CONVERSION_FN(CharIntoScene, egCharacter, mkSceneObject)
CONVERSION_FN(CharIntoMoving, egCharacter, egMovingSceneObject)
CONVERSION_FN(CharIntoPhysical, egCharacter, egPhysicalSceneObject)
CONVERSION_FN(PhysicalIntoMoving, egPhysicalSceneObject, egMovingSceneObject)
CONVERSION_FN(PhysicalIntoScene, egPhysicalSceneObject, mkSceneObject)
CONVERSION_FN(MovingIntoScene, egMovingSceneObject, mkSceneObject)

#define DEF(Name, Doc) \
  { #Name, Name, METH_VARARGS, Doc }
#define FIELD_DEFS(T, F, Doc)                            \
  DEF(T##_##F##_get, "(" #T ") -> float\nThe " Doc "."), \
      DEF(T##_##F##_set, "(" #T ", float) -> None\nSets the " Doc ".")

PyMethodDef kFunctions[] = {
    DEF(new_mkPoint3, "(x: float, y: float, z: float) -> mkPoint3\nA new point."),
    DEF(delete_mkPoint3, "(mkPoint3) -> None\nFrees the point."),
    FIELD_DEFS(mkPoint3, fX, "x coordinate"),
    FIELD_DEFS(mkPoint3, fY, "y coordinate"),
    FIELD_DEFS(mkPoint3, fZ, "z coordinate"),
    DEF(mkPoint3_add, "(self: mkPoint3, a: mkPoint3, b: mkPoint3) -> None\nself = a + b."),
    DEF(mkPoint3_sub, "(self: mkPoint3, a: mkPoint3, b: mkPoint3) -> None\nself = a - b."),
    DEF(mkPoint3_mul, "(self: mkPoint3, a: mkPoint3, f: float) -> None\nself = a * f."),
    DEF(mkPoint3_div,
        "(self: mkPoint3, a: mkPoint3, f: float) -> None\nself = a / f. Dividing by 0 raises "
        "ZeroDivisionError and leaves self unchanged."),
    DEF(mkPoint3_cmp,
        "(self: mkPoint3, other: mkPoint3) -> int\n1 if any component differs, "
        "0 if all are equal."),
    DEF(mkPoint3_InnerProduct, "(self: mkPoint3, other: mkPoint3) -> float\nThe dot product."),
    DEF(mkPoint3_Magnitude, "(self: mkPoint3) -> float\nThe length."),
    DEF(mkPoint3_MagnitudeSquared, "(self: mkPoint3) -> float\nThe squared length."),
    DEF(new_mkVector3, "(x: float, y: float, z: float) -> mkVector3\nA new vector."),
    DEF(delete_mkVector3, "(mkVector3) -> None\nFrees the vector."),
    FIELD_DEFS(mkVector3, fX, "x component"),
    FIELD_DEFS(mkVector3, fY, "y component"),
    FIELD_DEFS(mkVector3, fZ, "z component"),
    DEF(mkVector3_add, "(self: mkVector3, a: mkVector3, b: mkVector3) -> None\nself = a + b."),
    DEF(mkVector3_sub, "(self: mkVector3, a: mkVector3, b: mkVector3) -> None\nself = a - b."),
    DEF(mkVector3_mul, "(self: mkVector3, a: mkVector3, f: float) -> None\nself = a * f."),
    DEF(mkVector3_div,
        "(self: mkVector3, a: mkVector3, f: float) -> None\nself = a / f. Dividing by 0 raises "
        "ZeroDivisionError and leaves self unchanged."),
    DEF(mkVector3_cmp,
        "(self: mkVector3, other: mkVector3) -> int\n1 if any component "
        "differs, 0 if all are equal."),
    DEF(mkVector3_InnerProduct, "(self: mkVector3, other: mkVector3) -> float\nThe dot product."),
    DEF(mkVector3_Magnitude, "(self: mkVector3) -> float\nThe length."),
    DEF(mkVector3_MagnitudeSquared, "(self: mkVector3) -> float\nThe squared length."),
    DEF(mkVector3_Set, "(self: mkVector3, p1: mkPoint3, p2: mkPoint3) -> None\nself = p1 - p2."),
    DEF(mkVector3_Normalize,
        "(self: mkVector3) -> None\nScales to length 1; a zero vector stays unchanged."),
    DEF(mkVector3_Renormalize,
        "(self: mkVector3) -> None\nCheap re-normalisation of a nearly unit vector (three "
        "Newton steps for 1/length from 1); a zero vector stays unchanged."),
    DEF(new_mkPlane3,
        "(a: float, b: float, c: float, d: float) -> mkPlane3\nThe plane a*x + b*y + c*z + d = "
        "0."),
    DEF(delete_mkPlane3, "(mkPlane3) -> None\nFrees the plane."),
    FIELD_DEFS(mkPlane3, fA, "coefficient A"),
    FIELD_DEFS(mkPlane3, fB, "coefficient B"),
    FIELD_DEFS(mkPlane3, fC, "coefficient C"),
    FIELD_DEFS(mkPlane3, fD, "coefficient D"),
    DEF(mkPlane3_setUsingPoint,
        "(self: mkPlane3, p: mkPoint3, n: mkVector3) -> None\nA, B, C = n; D = -(p . n)."),
    DEF(mkPlane3_setUsingScalar,
        "(self: mkPlane3, n: mkVector3, d: float) -> None\nA, B, C = n; D = d."),
    DEF(new_mkQuat,
        "(x: float, y: float, z: float, w: float) -> mkQuat\nA new quaternion (vector part "
        "first)."),
    DEF(delete_mkQuat, "(mkQuat) -> None\nFrees the quaternion."),
    FIELD_DEFS(mkQuat, fX, "x component"),
    FIELD_DEFS(mkQuat, fY, "y component"),
    FIELD_DEFS(mkQuat, fZ, "z component"),
    FIELD_DEFS(mkQuat, fW, "w component (the scalar part)"),
    DEF(mkQuat_add, "(self: mkQuat, a: mkQuat, b: mkQuat) -> None\nself = a + b."),
    DEF(mkQuat_sub, "(self: mkQuat, a: mkQuat, b: mkQuat) -> None\nself = a - b."),
    DEF(mkQuat_mul,
        "(self: mkQuat, a: mkQuat, f: float) -> None\nself = a * f, all four "
        "components (a scaling, not a quaternion product)."),
    DEF(mkQuat_div,
        "(self: mkQuat, a: mkQuat, f: float) -> None\nself = a / f. Dividing by "
        "0 raises ZeroDivisionError and leaves self unchanged."),
    DEF(mkQuat_cmp,
        "(self: mkQuat, other: mkQuat) -> int\n1 if any component differs, 0 if all are equal."),
    DEF(mkQuat_Set,
        "(self: mkQuat, x: float, y: float, z: float, w: float) -> None\nSets the "
        "four components."),
    DEF(mkQuat_Identity, "(self: mkQuat) -> None\nself = (0, 0, 0, 1)."),
    DEF(mkQuat_IsIdentity,
        "(self: mkQuat) -> int\n1 if the components are exactly (0, 0, 0, 1), else 0."),
    DEF(mkQuat_Dot, "(self: mkQuat, other: mkQuat) -> float\nThe four-component dot product."),
    DEF(mkQuat_Magnitude, "(self: mkQuat) -> float\nThe length over all four components."),
    DEF(mkQuat_MagnitudeSquared, "(self: mkQuat) -> float\nThe squared length."),
    DEF(mkQuat_Normalize,
        "(self: mkQuat) -> None\nScales to length 1; a zero quaternion stays "
        "unchanged."),
    DEF(mkQuat_NormalizeIfNeeded,
        "(self: mkQuat) -> None\nAs mkQuat_Normalize, unless the squared length is exactly 1."),
    DEF(mkQuat_SetFromAngleAxis,
        "(self: mkQuat, angle: float, axis: mkVector3) -> None\nw = cos(angle/2), (x, y, z) = "
        "sin(angle/2) * axis; the axis is used as given."),
    DEF(mkQuat_GetAngleAxis,
        "(self: mkQuat, angle: mkScalar, axis: mkVector3) -> None\nangle receives 2*acos(w) (w "
        "limited to -1..1), axis (x, y, z) / sin(acos(w)), or (0, 0, 0) when that sine is 0."),
    DEF(mkQuat_SetFromSlerp,
        "(self: mkQuat, q1: mkQuat, q2: mkQuat, t: float, spin: int) -> None\nSpherical "
        "interpolation from q1 (t = 0) to q2 (t = 1) with `spin` extra half turns; linear "
        "weights when q1 and q2 are within 1e-6 of each other."),
    DEF(mkQuat_SetFromMatrix,
        "(self: mkQuat, m: mkMatrix44) -> None\nThe rotation of the matrix as a quaternion."),
    DEF(mkQuat_MakeMatrix,
        "(self: mkQuat, m: mkMatrix44) -> None\nWrites the rotation matrix of self into m (no "
        "translation; identity flag cleared)."),
    DEF(mkQuat_Rotate,
        "(self: mkQuat, v: mkVector3) -> None\nv becomes the vector part of "
        "q^-1 * (v, 0) * q; unchanged for a zero quaternion."),
    DEF(new_mkMatrix44, "() -> mkMatrix44\nA new matrix: elements 0, identity flag cleared."),
    DEF(delete_mkMatrix44, "(mkMatrix44) -> None\nFrees the matrix."),
    DEF(mkMatrix44_Reset, "(self: mkMatrix44) -> None\nThe identity, flag set."),
    DEF(mkMatrix44_MakeTranslateMat,
        "(self: mkMatrix44, v: mkVector3) -> None\nThe identity with column 3 = v; flag "
        "cleared."),
    DEF(mkMatrix44_MakeScaleMat,
        "(self: mkMatrix44, v: mkVector3) -> None\nThe identity with the diagonal v; flag "
        "cleared."),
    DEF(mkMatrix44_MakeRotateMat,
        "(self: mkMatrix44, axis: int, angle: float) -> None\nThe identity, then "
        "mkMatrix44_SetRotate."),
    DEF(mkMatrix44_SetRotate,
        "(self: mkMatrix44, axis: int, angle: float) -> None\nWith (i, j) = (1, 2), (0, 2) or "
        "(0, 1) for axis 0, 1 or 2: m[i][i] = m[j][j] = cos, m[i][j] = sin, m[j][i] = -sin; "
        "the rest kept, flag cleared. Another axis raises ValueError."),
    DEF(mkMatrix44_SetTranslate,
        "(self: mkMatrix44, v: mkVector3) -> None\nColumn 3 rows 0 to 2 = v; the rest kept, "
        "flag cleared."),
    DEF(mkMatrix44_SetScale,
        "(self: mkMatrix44, v: mkVector3) -> None\nThe diagonal m[i][i] = v (i = 0, 1, 2); the "
        "rest kept, flag cleared."),
    DEF(mkMatrix44_GetTranslate,
        "(self: mkMatrix44, v: mkVector3) -> None\nv receives column 3 rows 0 to 2."),
    DEF(mkMatrix44_Make,
        "(self: mkMatrix44, from: mkPoint3, at: mkPoint3, up: mkVector3) -> None\nAn object "
        "at `from` looking at `at`: columns U, N, V with N = norm(from - at), U = norm(up x N), "
        "V = norm(U x N), column 3 = from."),
    DEF(mkMatrix44_MakeUpPreserving,
        "(self: mkMatrix44, from: mkPoint3, at: mkPoint3, up: mkVector3) -> None\nColumns R, "
        "F', W with W = norm(up), R = norm(up x (at - from)), F' = norm(W x R); column 3 = "
        "from."),
    DEF(mkMatrix44_MakeCamera,
        "(self: mkMatrix44, from: mkPoint3, at: mkPoint3, up: mkVector3) -> None\nThe view "
        "matrix: rows -R, V, F (R = norm(up x (from - at)), F = norm(from - at), V = norm(F x "
        "R)) times the translation by -from."),
    DEF(mkMatrix44_MakeCameraUpPreserving,
        "(self: mkMatrix44, from: mkPoint3, at: mkPoint3, up: mkVector3) -> None\nAs "
        "mkMatrix44_MakeCamera with rows -R, W = norm(up), F' = norm(R x W)."),
    DEF(mkMatrix44_GetAxis,
        "(self: mkMatrix44, a: mkVector3, b: mkVector3, c: mkVector3) -> None\na = -(column 1), "
        "b = column 2, c = -(column 0); a vector given as 'NULL' is skipped."),
    DEF(mkMatrix44_GetAxisFromCamera,
        "(self: mkMatrix44, a: mkVector3, b: mkVector3, c: mkVector3) -> None\na = -(row 2), "
        "b = -(row 1), c = row 0; a vector given as 'NULL' is skipped."),
    DEF(mkMatrix44_mul,
        "(self: mkMatrix44, a: mkMatrix44, b: mkMatrix44) -> None\nself = a x b (self may be a "
        "or b). Flagged identities are not multiplied: both flagged give the flagged identity, "
        "one flagged a copy of the other."),
    DEF(mkMatrix44_cmp,
        "(self: mkMatrix44, other: mkMatrix44) -> int\n0 when both carry the "
        "identity flag or all 16 elements are equal, else 1."),
    DEF(mkMatrix44_IsIdentity,
        "(self: mkMatrix44) -> int\n1 if the elements are exactly the identity, else 0; sets or "
        "clears the flag to match."),
    DEF(mkMatrix44_GetDeterminant, "(self: mkMatrix44) -> float\nThe determinant."),
    DEF(mkMatrix44_GetAdjoint,
        "(self: mkMatrix44, out: mkMatrix44) -> None\nout = the adjoint (transposed cofactors); "
        "flag cleared."),
    DEF(mkMatrix44_GetInverse,
        "(self: mkMatrix44, out: mkMatrix44) -> None\nout = the adjoint / determinant; the "
        "flagged identity when the determinant is exactly 0."),
    DEF(mkMatrix44_GetTranspose,
        "(self: mkMatrix44, out: mkMatrix44) -> None\nout = the transpose; flag cleared."),
    DEF(new_mkColorRGBA, "() -> mkColorRGBA\nA new colour, all four components 0."),
    DEF(delete_mkColorRGBA, "(mkColorRGBA) -> None\nFrees the colour."),
    FIELD_DEFS(mkColorRGBA, red, "red component"),
    FIELD_DEFS(mkColorRGBA, green, "green component"),
    FIELD_DEFS(mkColorRGBA, blue, "blue component"),
    FIELD_DEFS(mkColorRGBA, alpha, "alpha component"),
    DEF(mkColorRGBA_add,
        "(self: mkColorRGBA, a: mkColorRGBA, b: mkColorRGBA) -> None\nself = a + b."),
    DEF(mkColorRGBA_sub,
        "(self: mkColorRGBA, a: mkColorRGBA, b: mkColorRGBA) -> None\nself = a - b."),
    DEF(mkColorRGBA_mul, "(self: mkColorRGBA, a: mkColorRGBA, f: float) -> None\nself = a * f."),
    DEF(mkColorRGBA_cmp,
        "(self: mkColorRGBA, other: mkColorRGBA) -> int\n1 if any component "
        "differs, 0 if all are equal."),
    DEF(new_mkScalar, "() -> mkScalar\nA new float box holding 0."),
    DEF(delete_mkScalar, "(mkScalar) -> None\nFrees the box."),
    DEF(mkScalar_get, "(mkScalar) -> float\nThe boxed float."),
    DEF(mkScalar_set, "(mkScalar, float) -> None\nSets the boxed float."),
    DEF(new_mkBool32, "() -> mkBool32\nA new 32-bit flag box holding 0."),
    DEF(delete_mkBool32, "(mkBool32) -> None\nFrees the box."),
    DEF(mkBool32_get, "(mkBool32) -> int\nThe boxed value."),
    DEF(mkBool32_set,
        "(mkBool32, int) -> None\nSets the boxed value (OverflowError beyond 32 bits)."),
    DEF(new_Int32, "() -> Int32\nA new 32-bit integer box holding 0."),
    DEF(delete_Int32, "(Int32) -> None\nFrees the box."),
    DEF(Int32_get, "(Int32) -> int\nThe boxed value."),
    DEF(Int32_set, "(Int32, int) -> None\nSets the boxed value (OverflowError beyond 32 bits)."),
    DEF(CharIntoScene, "(egCharacter) -> mkSceneObject\nThe same object as a scene object."),
    DEF(CharIntoMoving,
        "(egCharacter) -> egMovingSceneObject\nThe same object as a moving scene object."),
    DEF(CharIntoPhysical,
        "(egCharacter) -> egPhysicalSceneObject\nThe same object as a physical scene object."),
    DEF(PhysicalIntoMoving,
        "(egPhysicalSceneObject) -> egMovingSceneObject\nThe same object "
        "as a moving scene object."),
    DEF(PhysicalIntoScene,
        "(egPhysicalSceneObject) -> mkSceneObject\nThe same object as a scene object."),
    DEF(MovingIntoScene,
        "(egMovingSceneObject) -> mkSceneObject\nThe same object as a scene object."),
    {nullptr, nullptr, 0, nullptr},
};

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
