// A steady-state frame of a Python brain allocates nothing on the plug-in's
// side. This program replaces the global allocation functions with counting
// ones; the scene interface answers without a call trace (which would
// allocate).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "kit/testing/count_allocations.h"
#include "kit/testing/temp_dir.h"
#include "stage/quiet_api.h"
#include "stage/stage.h"

namespace {

namespace fs = std::filesystem;

TEST(BrainAllocationTest, SteadyBrainFrameAllocatesNothing) {
  const fs::path home = fs::current_path();
  const fs::path dir = mktest::MakeTempDir("brain_allocation");
  fs::create_directories(dir / "python");
  std::ofstream(dir / "python" / "idle.py")
      << "class Idle:\n    def Update(self, t): self.t = t\ndef brain(me): return Idle()\n";
  fs::current_path(dir);
  {
    stage::Stage stage;
    std::string error;
    ASSERT_TRUE(stage.LoadPlugin(SCRIPTXCMD_PLUGIN_PATH, &error)) << error;
    stage::SceneDescription scene;
    std::vector<std::string> errors;
    ASSERT_TRUE(
        stage::ParseScene("object Zovezi\nbrainclass Zovezi PythonMgr:idle.py\n", &scene, &errors));
    ASSERT_TRUE(stage.Build(scene, &errors)) << errors[0];
    ASSERT_EQ(stage.model().hostBrains().size(), 1u);
    egBrainDll* brain = stage.model().hostBrains()[0]->plugin;
    stage::QuietSceneApi quiet(stage.model());
    brain->fSceneApi = &quiet;
    for (int i = 0; i < 10; ++i) brain->Update(0.5f);
    const long before = mktest::gAllocations;
    int done = 0;
    for (int i = 0; i < 100; ++i) done += brain->Update(0.5f);
    EXPECT_EQ(mktest::gAllocations - before, 0);
    EXPECT_EQ(done, 100);  // every Update ran the Python method
  }
  fs::current_path(home);
}

TEST(BrainAllocationTest, TheCounterCountsThePluginsAllocations) {
  // The plug-in's own allocations reach this program's counting functions.
  const fs::path home = fs::current_path();
  const fs::path dir = mktest::MakeTempDir("brain_allocation");
  fs::create_directories(dir / "python");
  std::ofstream(dir / "python" / "idle.py") << "def brain(me): return 1\n";
  fs::current_path(dir);
  {
    stage::Stage stage;
    std::string error;
    ASSERT_TRUE(stage.LoadPlugin(SCRIPTXCMD_PLUGIN_PATH, &error)) << error;
    egBrainClassDll* manager = stage.model().FindBrainClass("PythonMgr");
    manager->Prepare();
    const long before = mktest::gAllocations;
    EXPECT_NE(manager->MakeBrain("idle.py", "Zovezi"), nullptr);
    EXPECT_GT(mktest::gAllocations - before, 0);
  }
  fs::current_path(home);
}

}  // namespace
