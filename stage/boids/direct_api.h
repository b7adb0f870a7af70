// A scene interface that answers the four calls of the steering step
// (GetWorldPos, GetWorldAxes, GetEnable, DoesLineCollideWithObject) straight
// from the stage's objects, without checking handles, walking parents or
// keeping a trace, and the key look-up by name (GetObjKeyByID) that fills
// the avoid and gathering lists, from the model it was given; every other
// operation returns 0 or null. With it the benchmarks measure the boid
// library's own time, apart from the host's. Handles must be top-level
// objects of a stage::Model.
#ifndef TESSERA_STAGE_BOIDS_DIRECT_API_H_
#define TESSERA_STAGE_BOIDS_DIRECT_API_H_

#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "kit/host/host.h"
#include "stage/model.h"

namespace boidtest {

// One of the four calls as the step made it, with its arguments, so that a
// frame's calls can be made again without the step: the interface's share of
// the frame, measured apart.
struct DirectCall {
  enum Kind : uint8_t { kWorldPos, kWorldAxes, kEnable, kLineCollide };
  Kind kind;
  bool wantsCollision;  // kLineCollide: a collision vector was asked for
  mkSceneObject* object;
  mkPoint3 from, to;  // kLineCollide's segment
  float size;         // kLineCollide's probe size
};

// Makes the recorded calls again through `api`, with fresh outputs; returns
// a sum of the answers, for the caller to keep.
inline float ReplayCalls(egSceneApi* api, const std::vector<DirectCall>& calls) {
  float sum = 0.0f;
  for (const DirectCall& c : calls) {
    mkPoint3 p = {0.0f, 0.0f, 0.0f};
    mkVector3 a = {0.0f, 0.0f, 0.0f}, b = a, u = a;
    switch (c.kind) {
      case DirectCall::kWorldPos:
        api->GetWorldPos(c.object, &p, 0);
        sum += p.fX;
        break;
      case DirectCall::kWorldAxes:
        api->GetWorldAxes(c.object, &a, &b, &u);
        sum += a.fX;
        break;
      case DirectCall::kEnable:
        sum += float(api->GetEnable(c.object));
        break;
      case DirectCall::kLineCollide: {
        mkPoint3 from = c.from, to = c.to;
        sum += float(api->DoesLineCollideWithObject(c.object, &from, &to, c.size,
                                                    c.wantsCollision ? &a : nullptr));
        sum += a.fX;
        break;
      }
    }
  }
  return sum;
}

// The four calls, on the objects themselves, and the key look-up.
struct DirectAnswers {
  // Keys are found in this model; without one, no name finds a key.
  const stage::Model* model = nullptr;
  // When set, every one of the four calls is appended here.
  std::vector<DirectCall>* recording = nullptr;

  void Note(DirectCall::Kind kind, mkSceneObject* object, const mkPoint3* from = nullptr,
            const mkPoint3* to = nullptr, float size = 0.0f, bool wantsCollision = false) {
    if (recording == nullptr) return;
    const mkPoint3 none = {0.0f, 0.0f, 0.0f};
    recording->push_back({kind, wantsCollision, object, from != nullptr ? *from : none,
                          to != nullptr ? *to : none, size});
  }

  mkRegistryKey* GetObjKeyByID(const char* a1) {
    return model == nullptr || a1 == nullptr ? nullptr : model->FindKey(a1);
  }
  static stage::SceneObject* Of(mkSceneObject* handle) {
    return reinterpret_cast<stage::SceneObject*>(handle);
  }
  int32_t GetWorldPos(mkSceneObject* a1, mkPoint3* a2, int32_t) {
    Note(DirectCall::kWorldPos, a1);
    const mkMatrix44& m = Of(a1)->local;
    *a2 = {m.m[0][3], m.m[1][3], m.m[2][3]};
    return 1;
  }
  int32_t GetWorldAxes(mkSceneObject* a1, mkVector3* a2, mkVector3* a3, mkVector3* a4) {
    Note(DirectCall::kWorldAxes, a1);
    const mkMatrix44& m = Of(a1)->local;
    *a2 = {m.m[0][0], m.m[1][0], m.m[2][0]};
    *a3 = {m.m[0][1], m.m[1][1], m.m[2][1]};
    *a4 = {m.m[0][2], m.m[1][2], m.m[2][2]};
    return 1;
  }
  int32_t GetEnable(mkSceneObject* a1) {
    Note(DirectCall::kEnable, a1);
    return Of(a1)->enable;
  }
  // The stage's sphere probe (stage/collision.cpp), without its corner cases.
  int32_t DoesLineCollideWithObject(mkSceneObject* a1, mkPoint3* a2, mkPoint3* a3, float a4,
                                    mkVector3* a5) {
    Note(DirectCall::kLineCollide, a1, a2, a3, a4, a5 != nullptr);
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
  DirectSceneApi() = default;
  // Keys are looked up in `model`, which must outlive the interface.
  explicit DirectSceneApi(const stage::Model& model) { answers_.model = &model; }
  // Appends every one of the four calls to `calls` from now on; null stops.
  void Record(std::vector<DirectCall>* calls) { answers_.recording = calls; }
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

#endif  // TESSERA_STAGE_BOIDS_DIRECT_API_H_
