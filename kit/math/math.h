// Math value types of the host interface: points, vectors, planes,
// quaternions, 4x4 matrices and colours. Plain records, all 32-bit floats;
// their layout is part of the interface (hosts and scripts pass them by
// address). The arithmetic on them follows at the end: vectors, then
// quaternions and matrices (the routines of the math module, so that every
// plug-in that turns or places objects computes exactly alike).
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
inline mkVector3 operator*(const mkVector3& a, float f) {
  return {a.fX * f, a.fY * f, a.fZ * f};
}
inline mkVector3 operator-(const mkPoint3& a, const mkPoint3& b) {
  return {a.fX - b.fX, a.fY - b.fY, a.fZ - b.fZ};
}
inline mkPoint3 operator+(const mkPoint3& p, const mkVector3& v) {
  return {p.fX + v.fX, p.fY + v.fY, p.fZ + v.fZ};
}

inline float InnerProduct(const mkVector3& a, const mkVector3& b) {
  return a.fX * b.fX + a.fY * b.fY + a.fZ * b.fZ;
}
inline float MagnitudeSquared(const mkVector3& v) {
  return InnerProduct(v, v);
}
inline float Magnitude(const mkVector3& v) {
  return std::sqrt(MagnitudeSquared(v));
}

// Normalize for a caller that already holds Magnitude(v) in `length`: the
// same result without taking the square root again.
inline void NormalizeByLength(mkVector3& v, float length) {
  if (length == 0.0f) return;
  const float inverse = 1.0f / length;
  v.fX *= inverse;
  v.fY *= inverse;
  v.fZ *= inverse;
}

// Scales `v` to unit length by multiplying with 1 / length; a vector of
// length exactly 0 stays as it is.
inline void Normalize(mkVector3& v) {
  NormalizeByLength(v, Magnitude(v));
}

// --- Quaternions and matrices ----------------------------------------------------

// The identity with its flag set (mkMatrix44_Reset).
inline void Reset(mkMatrix44& m) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m.m[i][j] = i == j ? 1.0f : 0.0f;
  m.flags = 1u;
}

// a x b, with (a x b)[i][j] the sum over k of a[i][k] * b[k][j]
// (mkMatrix44_mul). The identity flag is a shortcut: both flagged give the
// flagged identity, one flagged gives a copy of the other (its flag
// included); otherwise the full product, flag cleared.
inline mkMatrix44 operator*(const mkMatrix44& a, const mkMatrix44& b) {
  const bool aIdentity = (a.flags & 1u) != 0;
  const bool bIdentity = (b.flags & 1u) != 0;
  mkMatrix44 product;
  if (aIdentity && bIdentity) {
    Reset(product);
    return product;
  }
  if (aIdentity) return b;
  if (bIdentity) return a;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
      product.m[i][j] = sum;
    }
  product.flags = 0u;
  return product;
}

// The rotation by `angle` radians about `axis` (mkQuat_SetFromAngleAxis):
// w = cos(angle / 2), (x, y, z) = sin(angle / 2) * axis. The axis is used as
// given, not normalised: a unit axis gives a unit quaternion.
inline void SetFromAngleAxis(mkQuat& q, float angle, const mkVector3& axis) {
  const float s = std::sin(angle * 0.5f);
  q.fX = axis.fX * s;
  q.fY = axis.fY * s;
  q.fZ = axis.fZ * s;
  q.fW = std::cos(angle * 0.5f);
}

// Writes the rotation matrix of `q` into `m` (mkQuat_MakeMatrix): no
// translation, row 3 (0, 0, 0, 1), flag cleared. For a rotation about z by
// t, row 0 is (cos t, -sin t, 0, 0) and row 1 (sin t, cos t, 0, 0).
inline void MakeMatrix(const mkQuat& q, mkMatrix44& m) {
  const float x = q.fX, y = q.fY, z = q.fZ, w = q.fW;
  const float rows[4][4] = {
      {1 - 2 * y * y - 2 * z * z, 2 * x * y - 2 * z * w, 2 * x * z + 2 * y * w, 0},
      {2 * x * y + 2 * z * w, 1 - 2 * x * x - 2 * z * z, 2 * y * z - 2 * w * x, 0},
      {2 * x * z - 2 * w * y, 2 * y * z + 2 * w * x, 1 - 2 * x * x - 2 * y * y, 0},
      {0, 0, 0, 1},
  };
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m.m[i][j] = rows[i][j];
  m.flags = 0u;
}

#endif  // TESSERA_KIT_MATH_MATH_H_
