// A scene interface that answers the four calls of the steering step
// (GetWorldPos, GetWorldAxes, GetEnable, DoesLineCollideWithObject) straight
// from the stage's objects, without checking handles, walking parents or
// keeping a trace; every other operation returns 0 or null. With it the
// benchmarks measure the boid library's own time, apart from the host's.
// Handles must be top-level objects of a stage::Model.
#ifndef TESSERA_KIT_BOIDS_DIRECT_API_H_
#define TESSERA_KIT_BOIDS_DIRECT_API_H_

#include <cmath>
#include <type_traits>

#include "kit/host/host.h"
#include "stage/model.h"

namespace boidtest {

// The four calls, on the objects themselves.
struct DirectAnswers {
  static stage::SceneObject* Of(mkSceneObject* handle) {
    return reinterpret_cast<stage::SceneObject*>(handle);
  }
  int32_t GetWorldPos(mkSceneObject* a1, mkPoint3* a2, int32_t) {
    const mkMatrix44& m = Of(a1)->local;
    *a2 = {m.m[0][3], m.m[1][3], m.m[2][3]};
    return 1;
  }
  int32_t GetWorldAxes(mkSceneObject* a1, mkVector3* a2, mkVector3* a3, mkVector3* a4) {
    const mkMatrix44& m = Of(a1)->local;
    *a2 = {m.m[0][0], m.m[1][0], m.m[2][0]};
    *a3 = {m.m[0][1], m.m[1][1], m.m[2][1]};
    *a4 = {m.m[0][2], m.m[1][2], m.m[2][2]};
    return 1;
  }
  int32_t GetEnable(mkSceneObject* a1) { return Of(a1)->enable; }
  // The stage's sphere probe (stage/collision.cpp), without its corner cases.
  int32_t DoesLineCollideWithObject(mkSceneObject* a1, mkPoint3* a2, mkPoint3* a3, float a4,
                                    mkVector3* a5) {
    const stage::SceneObject* o = Of(a1);
    const mkPoint3 centre = {o->local.m[0][3], o->local.m[1][3], o->local.m[2][3]};
    const mkVector3 segment = *a3 - *a2;
    const mkVector3 toCentre = centre - *a2;
    const float lengthSquared = Dot(segment, segment);
    float t = lengthSquared > 0.0f ? Dot(toCentre, segment) / lengthSquared : 0.0f;
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    const mkVector3 outward = (*a2 + segment * t) - centre;
    const float distance = std::sqrt(Dot(outward, outward));
    if (!(distance < o->radius + (a4 > 0.0f ? a4 : 0.0f))) return 0;
    if (a5 != nullptr && distance > 0.0f) *a5 = outward * (1.0f / distance);
    return 1;
  }
  static float Dot(const mkVector3& a, const mkVector3& b) {
    return a.fX * b.fX + a.fY * b.fY + a.fZ * b.fZ;
  }
};

class DirectSceneApi final : public egSceneApi {
 public:
  virtual ~DirectSceneApi() = default;

#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result)          \
  Ret Name Params override {                                                           \
    return Answer<Ret>([&](auto& d) -> decltype(d.Name Args) { return d.Name Args; }); \
  }
#include "kit/host/scene_ops.inc"

 private:
  template <class Ret, class Call>
  Ret Answer(Call&& call) {
    if constexpr (std::is_invocable_v<Call, DirectAnswers&>) {
      return call(answers_);
    } else if constexpr (!std::is_void_v<Ret>) {
      return Ret{};
    }
  }

  DirectAnswers answers_;
};

}  // namespace boidtest

#endif  // TESSERA_KIT_BOIDS_DIRECT_API_H_
