// Math value types of the host interface: points, vectors, planes,
// quaternions, 4x4 matrices and colours. Plain records, all 32-bit floats;
// their layout is part of the interface (hosts and scripts pass them by
// address).
#ifndef TESSERA_KIT_MATH_MATH_H_
#define TESSERA_KIT_MATH_MATH_H_

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

#endif  // TESSERA_KIT_MATH_MATH_H_
