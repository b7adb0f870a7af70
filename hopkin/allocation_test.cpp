// A steady-state frame of the creatures allocates nothing. This program
// replaces the global allocation functions with counting ones.
#include <gtest/gtest.h>

#include "hopkin/frame_fixture.h"
#include "kit/testing/count_allocations.h"

namespace {

TEST(CreatureAllocationTest, SteadyStateFrameAllocatesNothing) {
  hopkintest::CreatureFrame frame;
  const long beforeFirst = mktest::gAllocations;
  frame.Step();
  // The first frame makes each creature's boid and voice emitter name.
  EXPECT_GE(mktest::gAllocations - beforeFirst, hopkintest::CreatureFrame::kCreatures);
  for (int i = 0; i < 30; ++i) frame.Step();
  const long before = mktest::gAllocations;
  int moving = 0;
  for (int i = 0; i < 60; ++i) {
    frame.Step();
    for (int k = 0; k < hopkintest::CreatureFrame::kCreatures; ++k)
      moving += frame.brain(k).fMovePlaying;
  }
  EXPECT_EQ(mktest::gAllocations - before, 0);
  EXPECT_GT(moving, 0);  // animations were started and told to finish
  // The frames did steer: the creatures have friends and moods, and move.
  EXPECT_GT(frame.brain(0).fBoid->fFriendCount, 0);
  EXPECT_GT(frame.brain(0).fCuriosity + frame.brain(0).fFear, 0.0f);
  EXPECT_GT(frame.brain(0).fVelocity.GetSpeed(), 0.0f);
}

TEST(CreatureAllocationTest, TheCounterCounts) {
  const long before = mktest::gAllocations;
  void* volatile p = ::operator new(8);
  ::operator delete(p);
  EXPECT_EQ(mktest::gAllocations - before, 1);
}

}  // namespace
