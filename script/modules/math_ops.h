// The arithmetic of mkTypesc beyond kit/math: quaternions, matrices and the
// look-at builders, in 32-bit floats. mkUtilc's geometry uses them too.
//
// Where the arithmetic has no defined value the routines state one instead
// of producing an infinity or a NaN: normalising a zero vector or
// quaternion leaves it unchanged, the angle of a quaternion whose scalar
// part lies outside -1..1 is taken from the clamped value, and the inverse
// of a singular matrix is the flagged identity. (Division of a point,
// vector or quaternion by 0 is refused by the script functions themselves.)
#ifndef TESSERA_SCRIPT_MODULES_MATH_OPS_H_
#define TESSERA_SCRIPT_MODULES_MATH_OPS_H_

#include <cmath>

#include "kit/math/math.h"

namespace script {
namespace math {

constexpr float kPi = 3.1415927f;

inline mkVector3 Cross(const mkVector3& a, const mkVector3& b) {
  return {a.fY * b.fZ - a.fZ * b.fY, a.fZ * b.fX - a.fX * b.fZ, a.fX * b.fY - a.fY * b.fX};
}

// A copy of `v` normalised (unchanged when its length is 0).
inline mkVector3 Normalised(mkVector3 v) {
  Normalize(v);
  return v;
}

inline mkVector3 AsVector(const mkPoint3& p) {
  return {p.fX, p.fY, p.fZ};
}

// acos of `x` limited to -1..1.
inline float ClampedAcos(float x) {
  if (x > 1.0f) x = 1.0f;
  if (x < -1.0f) x = -1.0f;
  return std::acos(x);
}

// --- Quaternions ---------------------------------------------------------------

inline float Dot(const mkQuat& a, const mkQuat& b) {
  return a.fX * b.fX + a.fY * b.fY + a.fZ * b.fZ + a.fW * b.fW;
}

// Multiplies all four components by 1 / length; a zero quaternion stays as
// it is.
inline void Normalize(mkQuat& q) {
  const float length = std::sqrt(Dot(q, q));
  if (length == 0.0f) return;
  const float inverse = 1.0f / length;
  q.fX *= inverse;
  q.fY *= inverse;
  q.fZ *= inverse;
  q.fW *= inverse;
}

// The quaternion product p (x) q.
inline mkQuat Product(const mkQuat& p, const mkQuat& q) {
  return {p.fY * q.fZ - p.fZ * q.fY + p.fW * q.fX + p.fX * q.fW,
          p.fZ * q.fX - p.fX * q.fZ + p.fW * q.fY + p.fY * q.fW,
          p.fX * q.fY - p.fY * q.fX + p.fW * q.fZ + p.fZ * q.fW,
          p.fW * q.fW - p.fX * q.fX - p.fY * q.fY - p.fZ * q.fZ};
}

// The angle (into `angle`) and axis of `q`. The axis is (x, y, z) / sin(h)
// with h = acos(w), or (0, 0, 0) when sin(h) is 0; w outside -1..1 is
// clamped.
inline void GetAngleAxis(const mkQuat& q, float& angle, mkVector3& axis) {
  const float h = ClampedAcos(q.fW);
  angle = 2.0f * h;
  const float s = std::sin(h);
  if (s != 0.0f)
    axis = {q.fX / s, q.fY / s, q.fZ / s};
  else
    axis = {0.0f, 0.0f, 0.0f};
}

inline mkQuat Slerp(const mkQuat& q1, const mkQuat& q2, float t, int32_t spin) {
  float c = Dot(q1, q2);
  const bool negative = c < 0.0f;
  if (negative) c = -c;
  float k1, k2;
  if (1.0f - c < 1e-6f) {
    k1 = 1.0f - t;
    k2 = t;
  } else {
    const float theta = std::acos(c);
    const float phi = t * (theta + float(spin) * kPi);
    const float s = std::sin(theta);
    k1 = std::sin(theta - phi) / s;
    k2 = std::sin(phi) / s;
  }
  if (negative) k2 = -k2;
  return {k1 * q1.fX + k2 * q2.fX, k1 * q1.fY + k2 * q2.fY, k1 * q1.fZ + k2 * q2.fZ,
          k1 * q1.fW + k2 * q2.fW};
}

inline mkQuat FromMatrix(const mkMatrix44& matrix) {
  const auto& m = matrix.m;
  mkQuat q;
  const float a = (m[1][1] + m[0][0] + m[2][2] + 1.0f) * 0.25f;
  if (a > 1e-6f) {
    q.fW = std::sqrt(a);
    const float s = 1.0f / (4.0f * std::sqrt(a));
    q.fX = (m[2][1] - m[1][2]) * s;
    q.fY = (m[0][2] - m[2][0]) * s;
    q.fZ = (m[1][0] - m[0][1]) * s;
    return q;
  }
  q.fW = 0.0f;
  const float b = -(m[1][1] + m[2][2]) * 0.5f;
  if (b > 1e-6f) {
    q.fX = std::sqrt(b);
    const float s = 1.0f / (2.0f * std::sqrt(b));
    q.fY = m[1][0] * s;
    q.fZ = m[2][0] * s;
    return q;
  }
  q.fX = 0.0f;
  const float c = (1.0f - m[2][2]) * 0.5f;
  if (c > 1e-6f) {
    q.fY = std::sqrt(c);
    q.fZ = m[2][1] / (2.0f * std::sqrt(c));
  } else {
    q.fY = 0.0f;
    q.fZ = 1.0f;
  }
  return q;
}

// The vector part of q^-1 (x) (v, 0) (x) q, q^-1 being the conjugate divided
// by the squared length; `v` unchanged for a zero quaternion.
inline mkVector3 Rotate(const mkQuat& q, const mkVector3& v) {
  const float squared = Dot(q, q);
  if (squared == 0.0f) return v;
  const mkQuat inverse{-q.fX / squared, -q.fY / squared, -q.fZ / squared, q.fW / squared};
  const mkQuat r = Product(Product(inverse, {v.fX, v.fY, v.fZ, 0.0f}), q);
  return {r.fX, r.fY, r.fZ};
}

// --- Matrices ------------------------------------------------------------------

inline mkMatrix44 Identity() {
  mkMatrix44 m;
  Reset(m);
  return m;
}

// The identity with column 3 = v, flag cleared.
inline mkMatrix44 Translation(const mkVector3& v) {
  mkMatrix44 m = Identity();
  m.m[0][3] = v.fX;
  m.m[1][3] = v.fY;
  m.m[2][3] = v.fZ;
  m.flags = 0u;
  return m;
}

// False (the matrix unchanged) for an axis other than 0, 1 and 2.
inline bool SetRotate(mkMatrix44& m, int32_t axis, float angle) {
  static const int kPairs[3][2] = {{1, 2}, {0, 2}, {0, 1}};
  if (axis < 0 || axis > 2) return false;
  const int i = kPairs[axis][0], j = kPairs[axis][1];
  const float c = std::cos(angle), s = std::sin(angle);
  m.m[i][i] = c;
  m.m[j][j] = c;
  m.m[i][j] = s;
  m.m[j][i] = -s;
  m.flags = 0u;
  return true;
}

inline void SetColumns(mkMatrix44& m, const mkVector3& c0, const mkVector3& c1,
                       const mkVector3& c2) {
  const mkVector3* columns[3] = {&c0, &c1, &c2};
  for (int j = 0; j < 3; ++j) {
    m.m[0][j] = columns[j]->fX;
    m.m[1][j] = columns[j]->fY;
    m.m[2][j] = columns[j]->fZ;
  }
  m.flags = 0u;
}

inline void SetRows(mkMatrix44& m, const mkVector3& r0, const mkVector3& r1, const mkVector3& r2) {
  const mkVector3* rows[3] = {&r0, &r1, &r2};
  for (int i = 0; i < 3; ++i) {
    m.m[i][0] = rows[i]->fX;
    m.m[i][1] = rows[i]->fY;
    m.m[i][2] = rows[i]->fZ;
  }
  m.flags = 0u;
}

inline mkMatrix44 LookAt(const mkPoint3& from, const mkPoint3& at, const mkVector3& up) {
  mkMatrix44 m = Translation(AsVector(from));
  const mkVector3 n = Normalised(from - at);
  const mkVector3 u = Normalised(Cross(up, n));
  const mkVector3 v = Normalised(Cross(u, n));
  SetColumns(m, u, n, v);
  return m;
}

inline mkMatrix44 LookAtUpPreserving(const mkPoint3& from, const mkPoint3& at,
                                     const mkVector3& up) {
  mkMatrix44 m = Translation(AsVector(from));
  const mkVector3 w = Normalised(up);
  const mkVector3 f = at - from;
  const mkVector3 r = Normalised(Cross(up, f));
  const mkVector3 f2 = Normalised(Cross(w, r));
  SetColumns(m, r, f2, w);
  return m;
}

inline mkMatrix44 CameraFrom(const mkVector3& r, const mkVector3& row1, const mkVector3& row2,
                             const mkPoint3& from) {
  mkMatrix44 a = Identity();
  SetRows(a, mkVector3{0.0f, 0.0f, 0.0f} - r, row1, row2);
  return a * Translation(mkVector3{-from.fX, -from.fY, -from.fZ});
}

inline mkMatrix44 Camera(const mkPoint3& from, const mkPoint3& at, const mkVector3& up) {
  mkVector3 f = from - at;
  const mkVector3 r = Normalised(Cross(up, f));
  f = Normalised(f);
  const mkVector3 v = Normalised(Cross(f, r));
  return CameraFrom(r, v, f, from);
}

inline mkMatrix44 CameraUpPreserving(const mkPoint3& from, const mkPoint3& at,
                                     const mkVector3& up) {
  const mkVector3 f = from - at;
  const mkVector3 r = Normalised(Cross(up, f));
  const mkVector3 w = Normalised(up);
  const mkVector3 f2 = Normalised(Cross(r, w));
  return CameraFrom(r, w, f2, from);
}

// Equal when both carry the identity flag or all 16 elements are equal.
inline bool Equal(const mkMatrix44& a, const mkMatrix44& b) {
  if ((a.flags & 1u) != 0 && (b.flags & 1u) != 0) return true;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (a.m[i][j] != b.m[i][j]) return false;
  return true;
}

// Recomputes the identity flag; whether the matrix is the identity.
inline bool IsIdentity(mkMatrix44& m) {
  bool identity = true;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (m.m[i][j] != (i == j ? 1.0f : 0.0f)) identity = false;
  m.flags = identity ? (m.flags | 1u) : (m.flags & ~1u);
  return identity;
}

// The 3x3 minor of `m` without row `row` and column `column`.
inline float Minor(const mkMatrix44& m, int row, int column) {
  float e[3][3];
  for (int i = 0, r = 0; i < 4; ++i) {
    if (i == row) continue;
    for (int j = 0, c = 0; j < 4; ++j) {
      if (j == column) continue;
      e[r][c++] = m.m[i][j];
    }
    ++r;
  }
  return e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) -
         e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
         e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
}

inline float Cofactor(const mkMatrix44& m, int row, int column) {
  const float minor = Minor(m, row, column);
  return (row + column) % 2 == 0 ? minor : -minor;
}

// Cofactor expansion along column 0.
inline float Determinant(const mkMatrix44& m) {
  float sum = 0.0f;
  for (int i = 0; i < 4; ++i) sum += m.m[i][0] * Cofactor(m, i, 0);
  return sum;
}

inline mkMatrix44 Adjoint(const mkMatrix44& m) {
  mkMatrix44 out;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out.m[j][i] = Cofactor(m, i, j);
  out.flags = 0u;
  return out;
}

// The adjoint times 1 / determinant; the flagged identity when the
// determinant is exactly 0.
inline mkMatrix44 Inverse(const mkMatrix44& m) {
  const float determinant = Determinant(m);
  if (determinant == 0.0f) return Identity();
  mkMatrix44 out = Adjoint(m);
  const float inverse = 1.0f / determinant;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out.m[i][j] *= inverse;
  return out;
}

inline mkMatrix44 Transpose(const mkMatrix44& m) {
  mkMatrix44 out;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out.m[i][j] = m.m[j][i];
  out.flags = 0u;
  return out;
}

}  // namespace math
}  // namespace script

#endif  // TESSERA_SCRIPT_MODULES_MATH_OPS_H_
