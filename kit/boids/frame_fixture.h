// A flock frame on the stage's model for the benchmark and the allocation
// check: 30 boids in a 6 x 5 grid 3 apart (all within perception of each
// other, so every search finds more than the 15 friends it remembers), 4
// blockers ahead of the grid's rows and 2 gathering places. The scene
// interface is the stage's untraced one, so that the host's bookkeeping
// neither dominates the cost nor allocates.
#ifndef TESSERA_KIT_BOIDS_FRAME_FIXTURE_H_
#define TESSERA_KIT_BOIDS_FRAME_FIXTURE_H_

#include <memory>
#include <string>
#include <vector>

#include "kit/boids/flock.h"
#include "stage/model.h"
#include "stage/quiet_api.h"

namespace boidtest {

class FlockFrame {
 public:
  static constexpr int kBoids = 30;

  FlockFrame() : api_(model_), flock_(&api_) {
    for (int i = 0; i < kBoids; ++i) {
      const std::string name = "Zovezi" + std::to_string(i);
      model_.AddObject(name, nullptr, {3.0f * (i % 6), 3.0f * (i / 6), 0.0f});
      boids_.push_back(std::make_unique<ktBoid>(model_.FindKey(name), &flock_, &api_));
      flock_.AddTo(boids_.back().get());
      boids_.back()->SetInFlock(1);
    }
    const char* blockers[] = {"Rock0", "Rock1", "Rock2", "Rock3", nullptr};
    for (int i = 0; i < 4; ++i)
      model_.AddObject(blockers[i], nullptr, {19.0f, 3.0f * i + 0.5f, 0.0f})->radius = 1.5f;
    const char* places[] = {"Pond", "Tree", nullptr};
    model_.AddObject(places[0], nullptr, {60.0f, 10.0f, 0.0f});
    model_.AddObject(places[1], nullptr, {-40.0f, 5.0f, 2.0f});
    flock_.AddAvoidObjects(blockers);
    flock_.AddGatheringPlaces(places);
    for (auto& v : velocities_) v.Set({1.0f, 0.0f, 0.0f}, 0.5f);
  }

  // One frame: each boid flocks and probes for blockers; its blended result
  // becomes its velocity for the next frame.
  void Step() {
    for (int i = 0; i < kBoids; ++i) {
      ktBoid& boid = *boids_[i];
      boid.FlockIt(&velocities_[i], &flockResult_);
      boid.AvoidBlockers(10.0f, 3.0f, 2.0f, &avoidResult_);
      velocities_[i].Set(flockResult_.GetVector(), flockResult_.GetSpeed());
    }
  }

  ktBoid& boid(int i) { return *boids_[i]; }

 private:
  stage::Model model_;
  stage::QuietSceneApi api_;
  ktFlock flock_;
  std::vector<std::unique_ptr<ktBoid>> boids_;
  ktVelocityVector velocities_[kBoids];
  ktInfluenceVector flockResult_;
  ktInfluenceVector avoidResult_;
};

}  // namespace boidtest

#endif  // TESSERA_KIT_BOIDS_FRAME_FIXTURE_H_
