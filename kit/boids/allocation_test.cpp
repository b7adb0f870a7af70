// A steady-state steering frame allocates nothing. This program replaces the
// global allocation functions with counting ones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "kit/boids/frame_fixture.h"

namespace {
long gAllocations = 0;
}  // namespace

void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(SteeringAllocationTest, SteadyStateFrameAllocatesNothing) {
  std::srand(3);
  boidtest::FlockFrame frame;
  frame.Step();
  frame.Step();
  const long before = gAllocations;
  for (int i = 0; i < 10; ++i) frame.Step();
  EXPECT_EQ(gAllocations - before, 0);
  // The frame did steer: blockers were probed and friends were found.
  EXPECT_EQ(frame.boid(0).fFriendCount, 15);
  EXPECT_NE(frame.boid(0).GetWhereToDistance(), ktINFINITY);
}

TEST(SteeringAllocationTest, TheCounterCounts) {
  const long before = gAllocations;
  void* volatile p = ::operator new(8);
  ::operator delete(p);
  EXPECT_EQ(gAllocations - before, 1);
}

}  // namespace
