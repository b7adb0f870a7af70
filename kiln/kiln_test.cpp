// KilnXcmd loaded into the stage the way the engine loads it, its commands
// run on small scenes, judged by the message lines and the call trace.
#include "kiln/commands.h"
#include "kiln/kiln_fixture.h"
#include "kit/testing/command_rows.h"
#include "stage/ops.h"

namespace {

using kilntest::KilnTest;
using kilntest::Lines;

// The name lists, in the engine's order.
const Lines kCommands = {
    "SetObjFlag",
    "IfObjFlag",
    "SetObjVar",
    "IfObjVar",
    "CaseObjVar",
    "TransObjVar",
    "IfChildren",
    "IfEvent",
    "RandomActor",
    "RandomTimerActor",
    "PickRandomObject",
    "DetachFromParent",
    "FindRelatedObj",
    "LoopRelatedObjs",
    "PickRandomRelatedObject",
    "NextIdleRelatedObject",
    "NextIdleObject",
    "IfObjPlaying",
    "AnimGov",
    "AnimGovUpdate",
    "ViewIntoAnimate",
    "TestAvi",
    "JiggyCam",
    "JiggyCamUpdate",
    "ZoomCamSet",
    "DisplayChild",
    "DisplayVariable",
    "DisplayNumberFrames",
    "DisplayCamera",
    "DisplayPos",
};

TEST_F(KilnTest, LoadsAsTheEngineDoes) {
  const auto& library = *stage_.plugins()[0];
  EXPECT_EQ(library.xcmdNames.size(), 30u);
  EXPECT_EQ(library.xcmdNames, kCommands);
  EXPECT_EQ(library.brainNames, Lines{"ZoomCam"});
  EXPECT_EQ(library.xcmdMajor, 2);
  EXPECT_EQ(library.xcmdMinor, 27);
  EXPECT_EQ(library.brainMajor, 2);
  EXPECT_EQ(library.brainMinor, 27);
  EXPECT_FALSE(library.hasBrainClassIdent);
  for (const auto& name : library.xcmdNames) {
    egXCmd* command = stage_.model().FindXCmd(name);
    ASSERT_NE(command, nullptr) << name;
    EXPECT_EQ(command->fSceneApi, &stage_.api()) << name;
    EXPECT_EQ(command->fRefCount, 1) << name;
    EXPECT_EQ(command->fCurrentKey->fObject, command) << name;
  }
  egBrainDll* zoom = stage_.model().FindBrainDll("ZoomCam");
  ASSERT_NE(zoom, nullptr);
  EXPECT_EQ(zoom->GetType(), 303);
  EXPECT_STREQ(zoom->GetName(), "ZoomCam");
  EXPECT_EQ(zoom->fSceneApi, nullptr);  // the host writes it when it attaches the brain
  EXPECT_EQ(zoom->fBrain, nullptr);
}

// Unloading destroys the exported objects, which clear the keys that the host
// holds for them.
TEST_F(KilnTest, UnloadingClearsTheHostsKeys) {
  mkRegistryKey* key = stage::KeyOps(stage_.model()).GetXCmdKeyByID("SetObjVar");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->fObject, stage_.model().FindXCmd("SetObjVar"));
  stage_.UnloadPlugins();
  EXPECT_EQ(key->fObject, nullptr);
}

// The command rows, in list order: the names are the name list, every
// count outside a row's range is refused with exactly the row's usage line,
// and every usage line is quoted on the plug-in's page.
const std::vector<ktCommandRow> kRows = {KILN_XCMDS(MK_XCMD_ROW_)};

TEST_F(KilnTest, RowsAreTheNameListAndTheirUsageLines) {
  mktest::ExpectRowsAgree(kRows, kCommands, TESSERA_SOURCE_DIR "/docs/kiln.md",
                          [this](const char* name, int32_t count) {
                            const int32_t result = Run(name, Lines(size_t(count), "Nobody"));
                            return mktest::RunSaid{result, Said()};
                          });
}

// A host that gives a count but no argument array is told the usage line
// rather than read through a null pointer.
TEST_F(KilnTest, ACountWithoutArgumentsIsRefused) {
  for (const auto& row : kRows) {
    if (row.minArgs == 0) continue;
    egXCmd* command = stage_.model().FindXCmd(row.name);
    ASSERT_NE(command, nullptr) << row.name;
    first_ = stage_.model().messages().size();
    EXPECT_EQ(command->Run(row.minArgs, nullptr, nullptr, nullptr, nullptr), 1) << row.name;
    EXPECT_EQ(Said(), Lines{"warning: " + std::string(row.usage)}) << row.name;
  }
}

}  // namespace

namespace {

std::vector<std::string> PlayExample(std::vector<std::string>* messages) {
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  EXPECT_TRUE(stage::LoadScene(TESSERA_SOURCE_DIR "/scenes/door.scene", &scene, &errors));
  scene.plugins = {KILNXCMD_PLUGIN_PATH};
  stage::Stage stage;
  EXPECT_TRUE(stage.Play(scene, &errors)) << (errors.empty() ? "" : errors[0]);
  for (const auto& m : stage.model().messages()) messages->push_back(stage::FormatMessage(m));
  return stage.model().trace().lines();
}

TEST(KilnExampleSceneTest, PlaysTheSameTwice) {
  std::vector<std::string> first_messages, second_messages;
  const auto first = PlayExample(&first_messages);
  const auto second = PlayExample(&second_messages);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first_messages, second_messages);
  EXPECT_NE(std::find(first_messages.begin(), first_messages.end(),
                      "@0 log: SetObjVar: Door is set to 1"),
            first_messages.end());
}

}  // namespace
