// A steady-state BugFlockUpdate allocates nothing: swarms that search and
// swarms that consume, over many frames. The update runs through the stage's
// quiet scene interface (no call trace) with messages switched off, so that
// only the plug-in's own allocations are counted. This program replaces the
// global allocation functions with counting ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/testing/count_allocations.h"
#include "stage/quiet_api.h"
#include "stage/stage.h"
#include "swarm/swarm.h"

namespace {

TEST(SwarmAllocationTest, SteadyStateUpdateAllocatesNothing) {
  stage::Stage played;
  std::string error;
  ASSERT_TRUE(played.LoadPlugin(SWARMXCMD_PLUGIN_PATH, &error)) << error;
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(
      stage::ParseScene("flock Near at 0 0 0\nflock Far at 50 50 0\nevent Go\n"
                        "firemarble rijus3..firemarble01 at 1 0 0 lit\n"
                        "firemarble rijus3..firemarble02 at 3 0 0\n"
                        "object rijus3..firemarble03\n",
                        &scene, &errors));
  ASSERT_TRUE(played.Build(scene, &errors));
  played.RunCommand("BugFlockInit", {"12", "4"});
  played.RunCommand("BugFlockAddFlock", {"Near", "5", "100", "1000", "1", "A", "B", "C", "D"});
  played.RunCommand("BugFlockAddFlock", {"Far", "5", "100", "1000", "1", "A", "B", "C", "D"});

  stage::Model& model = played.model();
  stage::QuietSceneApi quiet(model);
  quiet.SetMessageEnable(0);
  egXCmd* update = model.FindXCmd("BugFlockUpdate");
  update->SetSceneApi(&quiet);
  model.SetClock(1, 0.5f, 0.5f);
  const char* argv[] = {"Go"};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(update->Run(1, argv, nullptr, nullptr, nullptr), 0);
  const auto* near = static_cast<const SwarmRecord*>(
      stage::ActorOps(model)
          .XCmdFindContext(reinterpret_cast<void*>(2002), reinterpret_cast<void*>(2002), nullptr)
          ->GetData());
  ASSERT_EQ(near->state, kSwarmConsuming);

  const long before = mktest::gAllocations;
  for (int i = 0; i < 100; ++i) update->Run(1, argv, nullptr, nullptr, nullptr);
  EXPECT_EQ(mktest::gAllocations - before, 0);
  EXPECT_EQ(near->state, kSwarmConsuming);
  EXPECT_GT(near->mealTimer, 50.0f);
  update->SetSceneApi(&played.api());
}

}  // namespace
