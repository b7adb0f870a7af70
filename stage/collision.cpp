// The stage's line-against-object test (ObjectOps::DoesLineCollideWithObject).
//
// Geometry: every object is a sphere of its radius (SceneObject::radius)
// around its world position; the probe is the segment from `from` to `to`
// thickened by `size` (a capsule of radius `size`; a negative size counts as
// 0). The probe hits when the segment passes strictly nearer to the centre
// than radius + size: a probe that only touches the sphere does not hit.
//
// The collision vector is the unit vector from the sphere's centre toward the
// nearest point of the segment, i.e. the outward normal facing the probe;
// callers steer away from an object by subtracting it. When the segment runs
// through the centre itself the vector points from the centre back toward
// `from`, and along the reversed segment when `from` is the centre (zero
// when the segment is a single point at the centre). On a miss the vector
// argument is left as it was.
#include <cmath>

#include "stage/ops.h"

namespace stage {

namespace {

float Dot(const mkVector3& a, const mkVector3& b) {
  return a.fX * b.fX + a.fY * b.fY + a.fZ * b.fZ;
}

mkVector3 Between(const mkPoint3& to, const mkPoint3& from) {
  return {to.fX - from.fX, to.fY - from.fY, to.fZ - from.fZ};
}

mkVector3 Scaled(const mkVector3& v, float f) {
  return {v.fX * f, v.fY * f, v.fZ * f};
}

// `v` at unit length, or zero when it has none.
mkVector3 Unit(const mkVector3& v) {
  const float length = std::sqrt(Dot(v, v));
  return length > 0.0f ? Scaled(v, 1.0f / length) : mkVector3{0.0f, 0.0f, 0.0f};
}

}  // namespace

int32_t ObjectOps::DoesLineCollideWithObject(mkSceneObject* a1, mkPoint3* a2, mkPoint3* a3,
                                             float a4, mkVector3* a5) {
  SceneObject* object = model_.Object(a1);
  if (object == nullptr || a2 == nullptr || a3 == nullptr) return 0;
  mkMatrix44 scratch;
  const mkMatrix44& world = model_.WorldMatrix(object, scratch);
  const mkPoint3 centre = {world.m[0][3], world.m[1][3], world.m[2][3]};
  const mkPoint3& from = *a2;
  const mkVector3 segment = Between(*a3, from);

  // The nearest point of the segment to the centre: from + t * segment.
  const float lengthSquared = Dot(segment, segment);
  float t = 0.0f;
  if (lengthSquared > 0.0f) {
    t = Dot(Between(centre, from), segment) / lengthSquared;
    if (t < 0.0f) t = 0.0f;
    if (t > 1.0f) t = 1.0f;
  }
  const mkPoint3 nearest = {from.fX + t * segment.fX, from.fY + t * segment.fY,
                            from.fZ + t * segment.fZ};
  const mkVector3 outward = Between(nearest, centre);
  const float distance = std::sqrt(Dot(outward, outward));
  const float reach = object->radius + (a4 > 0.0f ? a4 : 0.0f);
  if (!(distance < reach)) return 0;

  if (a5 != nullptr) {
    if (distance > 0.0f) {
      *a5 = Scaled(outward, 1.0f / distance);
    } else {
      const mkVector3 back = Between(from, centre);
      *a5 = Dot(back, back) > 0.0f ? Unit(back) : Unit(Scaled(segment, -1.0f));
    }
  }
  return 1;
}

}  // namespace stage
