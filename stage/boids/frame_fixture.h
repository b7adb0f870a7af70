// A flock frame on the stage's model for the benchmarks and the allocation
// checks.
//
// The grid (the default): 30 boids in a 6 x 5 grid 3 apart (all within
// perception of each other, so every search finds more than the 15 friends
// it remembers), 4 blockers ahead of the grid's rows and 2 gathering places.
// The room: any number of boids placed at random over a square room sized
// so that each perceives about 5 others (perception range 10), with the
// same blockers and places.
//
// The scene interface is the stage's untraced one, so that the host's
// bookkeeping neither dominates the cost nor allocates, or with `direct` one
// that reads the objects without any checks (stage/boids/direct_api.h), which
// leaves the boid library's own time.
#ifndef TESSERA_STAGE_BOIDS_FRAME_FIXTURE_H_
#define TESSERA_STAGE_BOIDS_FRAME_FIXTURE_H_

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stage/boids/direct_api.h"
#include "kit/boids/flock.h"
#include "stage/model.h"
#include "stage/quiet_api.h"

namespace boidtest {

enum class Layout { kGrid, kRoom };

class FlockFrame {
 public:
  static constexpr int kBoids = 30;
  // The perception range of the room, and the boids that each perceives.
  static constexpr float kRoomPerception = 10.0f;
  static constexpr float kRoomNeighbours = 5.0f;

  explicit FlockFrame(int boids = kBoids, Layout layout = Layout::kGrid, bool direct = false,
                      uint32_t seed = 1)
      : api_(model_), direct_(model_), flock_(direct ? static_cast<egSceneApi*>(&direct_) : &api_) {
    egSceneApi* api = flock_.fApi;
    const float side = std::sqrt(float(boids) * 3.14159265f / kRoomNeighbours) * kRoomPerception;
    if (layout == Layout::kRoom) flock_.SetPerceptionRange(kRoomPerception);
    for (int i = 0; i < boids; ++i) {
      const std::string name = "Zovezi" + std::to_string(i);
      mkPoint3 at = {3.0f * float(i % 6), 3.0f * float(i / 6), 0.0f};
      if (layout == Layout::kRoom) at = {Draw(seed) * side, Draw(seed) * side, 0.0f};
      objects_.push_back(model_.AddObject(name, nullptr, at));
      boids_.push_back(std::make_unique<ktBoid>(model_.FindKey(name), &flock_, api));
      flock_.AddTo(boids_.back().get());
      boids_.back()->SetInFlock(1);
    }
    const float rows = layout == Layout::kRoom ? side / 4.0f : 3.0f;
    const float ahead = layout == Layout::kRoom ? side * 0.5f : 19.0f;
    const char* blockers[] = {"Rock0", "Rock1", "Rock2", "Rock3", nullptr};
    for (int i = 0; i < 4; ++i)
      model_.AddObject(blockers[i], nullptr, {ahead, rows * float(i) + 0.5f, 0.0f})->radius = 1.5f;
    const char* places[] = {"Pond", "Tree", nullptr};
    model_.AddObject(places[0], nullptr, {60.0f, 10.0f, 0.0f});
    model_.AddObject(places[1], nullptr, {-40.0f, 5.0f, 2.0f});
    flock_.AddAvoidObjects(blockers);
    flock_.AddGatheringPlaces(places);
    velocities_.resize(size_t(boids));
    avoids_.resize(size_t(boids));
    for (auto& v : velocities_) v.Set({1.0f, 0.0f, 0.0f}, 0.5f);
  }

  // One frame: each boid flocks and probes for blockers; its blended result
  // becomes its velocity for the next frame.
  void Step() {
    for (size_t i = 0; i < boids_.size(); ++i) {
      ktBoid& boid = *boids_[i];
      boid.FlockIt(&velocities_[i], &flockResult_);
      boid.AvoidBlockers(10.0f, 3.0f, 2.0f, &avoidResult_);
      avoids_[i].fDirection = avoidResult_.fDirection;
      avoids_[i].fSpeed = avoidResult_.fSpeed;
      velocities_[i].Set(flockResult_.GetVector(), flockResult_.GetSpeed());
    }
  }

  // Moves every boid's object by `seconds` of its last result (against the
  // result's direction, which points from the goal toward the boid).
  void Move(float seconds) {
    for (size_t i = 0; i < boids_.size(); ++i) {
      const mkVector3 step = velocities_[i].fDirection * (-velocities_[i].fSpeed * seconds);
      objects_[i]->local.m[0][3] += step.fX;
      objects_[i]->local.m[1][3] += step.fY;
      objects_[i]->local.m[2][3] += step.fZ;
    }
  }

  int size() const { return int(boids_.size()); }
  ktBoid& boid(int i) { return *boids_[size_t(i)]; }
  // The last flocking result of boid i (its velocity for the next frame),
  // and its last AvoidBlockers result.
  const ktVelocityVector& result(int i) const { return velocities_[size_t(i)]; }
  const ktVelocityVector& avoided(int i) const { return avoids_[size_t(i)]; }
  ktFlock& flock() { return flock_; }
  // The direct interface (whether or not the boids use it).
  DirectSceneApi& direct() { return direct_; }
  stage::Model& model() { return model_; }

 private:
  // A number in [0, 1) from a small generator of its own, so that the room
  // does not depend on the C library's rand().
  static float Draw(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return float(state >> 8) / float(1u << 24);
  }

  stage::Model model_;
  stage::QuietSceneApi api_;
  DirectSceneApi direct_;
  ktFlock flock_;
  std::vector<std::unique_ptr<ktBoid>> boids_;
  std::vector<stage::SceneObject*> objects_;
  std::vector<ktVelocityVector> velocities_;
  std::vector<ktVelocityVector> avoids_;
  ktInfluenceVector flockResult_;
  ktInfluenceVector avoidResult_;
};

}  // namespace boidtest

#endif  // TESSERA_STAGE_BOIDS_FRAME_FIXTURE_H_
