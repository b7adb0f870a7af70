// A steady-state steering frame allocates nothing. This program replaces the
// global allocation functions with counting ones.
#include <gtest/gtest.h>

#include "stage/boids/frame_fixture.h"
#include "kit/testing/count_allocations.h"

namespace {

TEST(SteeringAllocationTest, SteadyStateFrameAllocatesNothing) {
  std::srand(3);
  boidtest::FlockFrame frame;
  frame.Step();
  frame.Step();
  const long before = mktest::gAllocations;
  for (int i = 0; i < 10; ++i) frame.Step();
  EXPECT_EQ(mktest::gAllocations - before, 0);
  // The frame did steer: blockers were probed and friends were found.
  EXPECT_EQ(frame.boid(0).fFriendCount, 15);
  EXPECT_NE(frame.boid(0).GetWhereToDistance(), ktINFINITY);
}

TEST(SteeringAllocationTest, SteadyStateFramesOfLargeFlocksAllocateNothing) {
  for (int boids : {200, 1000}) {
    SCOPED_TRACE(boids);
    std::srand(3);
    boidtest::FlockFrame frame(boids, boidtest::Layout::kRoom);
    frame.Step();
    frame.Step();
    const long before = mktest::gAllocations;
    for (int i = 0; i < 3; ++i) frame.Step();
    EXPECT_EQ(mktest::gAllocations - before, 0);
  }
}

TEST(SteeringAllocationTest, TheCounterCounts) {
  const long before = mktest::gAllocations;
  void* volatile p = ::operator new(8);
  ::operator delete(p);
  EXPECT_EQ(mktest::gAllocations - before, 1);
}

}  // namespace
