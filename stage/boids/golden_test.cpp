// The steering step gives bit for bit the results that the plain step gave
// (a scan of every member, the arithmetic in its written order) on the
// benchmarks' flocks: a checksum of every boid's result, nearest boid and
// friend, friend list and gathering distance over 20 frames, recorded from
// the plain step. A faster step that changes any bit, or the order of the
// remembered friends, fails here.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "stage/boids/frame_fixture.h"

namespace {

class Checksum {
 public:
  void Add(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash_ = (hash_ ^ bytes[i]) * 1099511628211ull;
  }
  void Add(float value) { Add(&value, sizeof value); }
  void Add(int32_t value) { Add(&value, sizeof value); }
  uint64_t value() const { return hash_; }

 private:
  uint64_t hash_ = 14695981039346656037ull;
};

struct GoldenCase {
  const char* name;
  int boids;
  boidtest::Layout layout;
  bool direct;  // through the direct interface, else the stage's
  uint64_t checksum;
  // When above 0, every boid's cohesion distance: below the perception
  // range it lets cohesion draw boids toward far friends.
  float cohesionDist = 0.0f;
};

class SteeringGoldenTest : public testing::TestWithParam<GoldenCase> {};

TEST_P(SteeringGoldenTest, MatchesThePlainStepBitForBit) {
  const GoldenCase& c = GetParam();
  std::srand(7);
  boidtest::FlockFrame frame(c.boids, c.layout, c.direct, 11);
  if (c.cohesionDist > 0.0f) {
    frame.flock().SetCohesionDist(c.cohesionDist);
    frame.flock().UpdateCohesionDist();
  }
  // Boids move in the model as the host would move them: a step along their
  // result after every frame, so that neighbours change.
  Checksum sum;
  for (int f = 0; f < 20; ++f) {
    frame.Step();
    for (int i = 0; i < frame.size(); ++i) {
      ktBoid& b = frame.boid(i);
      const mkVector3 d = b.fVelocity.GetVector();
      sum.Add(&d, sizeof d);
      sum.Add(b.fVelocity.GetSpeed());
      sum.Add(b.GetWhereToDistance());
      sum.Add(b.fFriendCount);
      sum.Add(b.fNearestBoidDist);
      sum.Add(b.fNearestFriendDist);
      // The friends in the order remembered, by where they stand.
      for (int k = 0; k < b.fFriendCount; ++k) {
        const mkPoint3 p = b.fFriends[k]->fPosition;
        sum.Add(&p, sizeof p);
      }
      for (const ktVelocityVector* v : {&frame.result(i), &frame.avoided(i)}) {
        sum.Add(&v->fDirection, sizeof v->fDirection);
        sum.Add(v->fSpeed);
      }
    }
    frame.Move(0.5f);
  }
  EXPECT_EQ(sum.value(), c.checksum) << std::hex << sum.value();
}

// The frame probes 4 blockers and seeks 2 gathering places through either
// interface: an interface that found no keys would leave the lists empty and
// the step with less to do than the stage's.
TEST(SteeringFrameFixture, EitherInterfaceFillsTheAvoidAndGatheringLists) {
  for (bool direct : {false, true}) {
    boidtest::FlockFrame frame(boidtest::FlockFrame::kBoids, boidtest::Layout::kGrid, direct);
    int blockers = 0, places = 0;
    for (int i = 0; i < frame.flock().GetMaxAvoidObjects(); ++i)
      blockers += frame.flock().GetAvoidObjects()[i] != nullptr;
    for (int i = 0; i < frame.flock().GetMaxGatheringPlaces(); ++i)
      places += frame.flock().GetGatheringPlaces()[i] != nullptr;
    EXPECT_EQ(blockers, 4) << "direct " << direct;
    EXPECT_EQ(places, 2) << "direct " << direct;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Flocks, SteeringGoldenTest,
    testing::Values(
        GoldenCase{"Grid30", 30, boidtest::Layout::kGrid, true, 0x4070ba4d8c51f972ull},
        GoldenCase{"Grid30OnTheStage", 30, boidtest::Layout::kGrid, false, 0x4070ba4d8c51f972ull},
        GoldenCase{"Room200", 200, boidtest::Layout::kRoom, true, 0xce6ac8321604b2d7ull},
        GoldenCase{"Room1000", 1000, boidtest::Layout::kRoom, true, 0x9810672536d88247ull},
        GoldenCase{"Room200Cohesive", 200, boidtest::Layout::kRoom, true, 0xd97edb81d4968b53ull,
                   4.0f}),
    [](const testing::TestParamInfo<GoldenCase>& param) { return std::string(param.param.name); });

}  // namespace
