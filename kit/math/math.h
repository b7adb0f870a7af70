// Math value types of the host interface: points, vectors, planes,
// quaternions, 4x4 matrices and colours. Plain records, all 32-bit floats;
// their layout is part of the interface (hosts and scripts pass them by
// address). The arithmetic on them follows at the end.
#ifndef TESSERA_KIT_MATH_MATH_H_
#define TESSERA_KIT_MATH_MATH_H_

#include <cmath>
#include <cstdint>

struct mkPoint3 {
  float fX, fY, fZ;
};

// Same layout as mkPoint3.
struct mkVector3 {
  float fX, fY, fZ;
};

// The plane fA*x + fB*y + fC*z + fD = 0.
struct mkPlane3 {
  float fA, fB, fC, fD;
};

// Vector part first, scalar part last.
struct mkQuat {
  float fX, fY, fZ, fW;
};

struct mkScalarTriple {
  float fX, fY, fZ;
};

struct mkColorRGBA {
  float red, green, blue, alpha;
};

// m[row][column], row by row; the translation is column 3. Bit 0 of the flag
// word says that the matrix is the identity.
struct mkMatrix44 {
  float m[4][4];
  uint32_t flags;
};

// Scalar boxes through which host operations hand values back.
typedef float mkScalar;
typedef int32_t mkBool32;
typedef int32_t Int32;

static_assert(sizeof(mkPoint3) == 12 && sizeof(mkVector3) == 12, "three floats");
static_assert(sizeof(mkPlane3) == 16 && sizeof(mkQuat) == 16, "four floats");
static_assert(sizeof(mkMatrix44) == 68, "sixteen floats and a flag word");

// Arithmetic on points and vectors, all in 32-bit floats. The operators are
// the add, sub and mul of the math module; a point minus a point is the
// vector between them (mkVector3_Set).
inline mkVector3 operator+(const mkVector3& a, const mkVector3& b) {
  return {a.fX + b.fX, a.fY + b.fY, a.fZ + b.fZ};
}
inline mkVector3 operator-(const mkVector3& a, const mkVector3& b) {
  return {a.fX - b.fX, a.fY - b.fY, a.fZ - b.fZ};
}
inline mkVector3 operator*(const mkVector3& a, float f) { return {a.fX * f, a.fY * f, a.fZ * f}; }
inline mkVector3 operator-(const mkPoint3& a, const mkPoint3& b) {
  return {a.fX - b.fX, a.fY - b.fY, a.fZ - b.fZ};
}
inline mkPoint3 operator+(const mkPoint3& p, const mkVector3& v) {
  return {p.fX + v.fX, p.fY + v.fY, p.fZ + v.fZ};
}

inline float InnerProduct(const mkVector3& a, const mkVector3& b) {
  return a.fX * b.fX + a.fY * b.fY + a.fZ * b.fZ;
}
inline float MagnitudeSquared(const mkVector3& v) { return InnerProduct(v, v); }
inline float Magnitude(const mkVector3& v) { return std::sqrt(MagnitudeSquared(v)); }

// Scales `v` to unit length by multiplying with 1 / length; a vector of
// length exactly 0 stays as it is.
inline void Normalize(mkVector3& v) {
  const float length = Magnitude(v);
  if (length == 0.0f) return;
  const float inverse = 1.0f / length;
  v.fX *= inverse;
  v.fY *= inverse;
  v.fZ *= inverse;
}

#endif  // TESSERA_KIT_MATH_MATH_H_
