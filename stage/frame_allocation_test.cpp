// A steady-state frame of the creature example scene, played as
// `stage --quiet` plays it, allocates nothing. This program replaces the
// global allocation functions with counting ones.
#include <gtest/gtest.h>

#include "kit/testing/count_allocations.h"
#include "stage/scene_frames.h"

namespace {

TEST(StageFrameAllocationTest, SteadyStateFramesOfTheCreatureSceneAllocateNothing) {
  stagetest::SceneFrames frames(TESSERA_SOURCE_DIR "/scenes/hopkin.scene", HOPKIN_PLUGIN_PATH);
  ASSERT_TRUE(frames.ok()) << (frames.errors().empty() ? "" : frames.errors()[0]);
  // Past the scene's timeline: the visitor has come and gone.
  for (int i = 0; i < 700; ++i) frames.Step();
  const long before = mktest::gAllocations;
  for (int i = 0; i < 2000; ++i) frames.Step();
  EXPECT_EQ(mktest::gAllocations - before, 0);
}

}  // namespace
