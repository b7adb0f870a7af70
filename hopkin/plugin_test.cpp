// The built hopkin plug-in loaded into the stage as the engine loads it: its
// exports, the operation slots of its brain class and brains, and the
// example scene of a flock played end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hopkin/hopkin.h"
#include "kit/testing/raw_slots.h"
#include "stage/stage.h"
#include "stage/testing/stage_fixture.h"

namespace {

using mktest::CallSlot;
using stagetest::Lines;

// Scenes have the frame time 0.1 unless the text sets one first.
class HopkinPluginTest : public stagetest::StageFixture {
 protected:
  HopkinPluginTest() : StageFixture({HOPKIN_PLUGIN_PATH}) { sceneHead_ = "frametime 0.1\n"; }

  void SetUp() override {
    StageFixture::SetUp();
    hopkin_ = static_cast<cHopkin*>(stage_.model().FindBrainClass("cHopkin"));
    ASSERT_NE(hopkin_, nullptr);
  }

  HopkinBrain* Brain(const std::string& object) { return BrainOf<HopkinBrain>(object); }

  cHopkin* hopkin_ = nullptr;
};

TEST_F(HopkinPluginTest, LoadsAsTheEngineDoes) {
  const auto& library = *stage_.plugins()[0];
  EXPECT_TRUE(library.hasXCmdIdent);
  EXPECT_EQ(library.xcmdNames, Lines{});
  EXPECT_FALSE(library.hasBrainIdent);
  EXPECT_TRUE(library.hasBrainClassIdent);
  EXPECT_EQ(library.brainClassNames, Lines{"cHopkin"});
  EXPECT_EQ(library.xcmdMajor, 2);
  EXPECT_EQ(library.xcmdMinor, 27);
  EXPECT_EQ(library.brainMajor, 2);
  EXPECT_EQ(library.brainMinor, 27);
  EXPECT_EQ(hopkin_->fSceneApi, &stage_.api());
  EXPECT_EQ(hopkin_->fRefCount, 1);
  EXPECT_EQ(hopkin_->fBrains.fCount, 0);
  EXPECT_EQ(hopkin_->fFlock, nullptr);
  // The list of brains is the class's first own field.
  EXPECT_EQ(mktest::OffsetOf(*hopkin_, hopkin_->fBrains),
            mktest::OffsetOf(*hopkin_, hopkin_->fSceneApi) + ptrdiff_t(sizeof(void*)));
}

TEST_F(HopkinPluginTest, BrainClassSlots) {
  EXPECT_EQ(CallSlot<int32_t>(hopkin_, 13), 2);  // GetClassKind
  CallSlot<void>(hopkin_, 14);                   // Prepare
  ASSERT_NE(hopkin_->fFlock, nullptr);
  auto* first = CallSlot<egBrainDll*>(hopkin_, 15, "cHopkin", "Cove..Zovezi01");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CallSlot<egBrainDll*>(hopkin_, 15, "CHOPKIN", "cove..zovezi01"), first);
  auto* second = CallSlot<egBrainDll*>(hopkin_, 15, "cHopkin", "Cove..Zovezi02");
  EXPECT_NE(second, first);
  EXPECT_NE(CallSlot<egBrainDll*>(hopkin_, 15, "Other", "Cove..Zovezi01"), first);
  EXPECT_EQ(hopkin_->fBrains.fCount, 3);
  EXPECT_EQ(hopkin_->fBrains[0], first);
  EXPECT_EQ(first->fSceneApi, &stage_.api());
  EXPECT_EQ(first->fBrain, nullptr);  // the host attaches it

  const char* freedom[] = {"freedom"};
  for (int i = 0; i < 3; ++i) CallSlot<void>(hopkin_, 16, "cHopkin", int32_t(1), freedom);
  for (uint16_t i = 0; i < hopkin_->fBrains.fCount; ++i)
    EXPECT_EQ(static_cast<HopkinBrain*>(hopkin_->fBrains[i])->fMoodLevel, 2) << i;
}

TEST_F(HopkinPluginTest, RepeatedPrepareChangesNothing) {
  CallSlot<void>(hopkin_, 14);
  ktFlock* flock = hopkin_->fFlock;
  CallSlot<void>(hopkin_, 14);
  EXPECT_EQ(hopkin_->fFlock, flock);
  EXPECT_EQ(hopkin_->fTunables.List("FlockGatherPlaces").count, 2);
}

TEST_F(HopkinPluginTest, BrainSlots) {
  Scene("object Zovezi01 character\n brainclass Zovezi01 cHopkin\n player Hero at 0 -50 0\n");
  egBrainDll* brain = stage_.model().FindObject("Zovezi01")->brain->plugin;
  EXPECT_EQ(CallSlot<int32_t>(brain, 12), 300);                   // GetType
  EXPECT_STREQ(CallSlot<const char*>(brain, 22), "HopkinBrain");  // GetName
  EXPECT_EQ(CallSlot<egBrainDll*>(brain, 32), brain);             // SelfBrain
  EXPECT_EQ(CallSlot<int32_t>(brain, 13, 0.1f), 1);               // Update
  EXPECT_NE(static_cast<HopkinBrain*>(brain)->fBoid, nullptr);
  const char* death[] = {"death"};
  EXPECT_EQ(CallSlot<int32_t>(brain, 16, int32_t(1), death), 1);  // SendParams
  EXPECT_EQ(static_cast<HopkinBrain*>(brain)->fDeathsInRow, 1);
  EXPECT_EQ(CallSlot<int32_t>(brain, 15), 1);  // Reset
  EXPECT_EQ(static_cast<HopkinBrain*>(brain)->fDeathsInRow, 0);

  // What the brain does not do itself goes to its host brain.
  const size_t before = stage_.model().trace().lines().size();
  CallSlot<int32_t>(brain, 14, 0.1f);  // PreUpdate
  CallSlot<int32_t>(brain, 21);        // WantGravity
  const Lines& trace = stage_.model().trace().lines();
  EXPECT_EQ(Lines(trace.begin() + before, trace.end()),
            (Lines{"@0 Zovezi01.brain.PreUpdate() ", "@0 Zovezi01.brain.WantGravity() "}));
}

TEST_F(HopkinPluginTest, ClassParamsReachEveryBrain) {
  Scene(
      "object Zovezi01 character\n brainclass Zovezi01 cHopkin\n"
      "object Zovezi02 character at 5 0 0\n brainclass Zovezi02 cHopkin\n"
      "player Hero at 0 -50 0\n"
      "at 0 classparams cHopkin freedom\n at 0 classparams cHopkin freedom\n"
      "at 0 classparams cHopkin freedom\n at 1 params Zovezi02 death\n");
  Frame();
  EXPECT_EQ(Brain("Zovezi01")->fMoodLevel, 2);
  EXPECT_EQ(Brain("Zovezi02")->fMoodLevel, 2);
  Frame();
  EXPECT_EQ(Brain("Zovezi01")->fDeathsInRow, 0);
  EXPECT_EQ(Brain("Zovezi02")->fDeathsInRow, 1);
}

// --- The example scene ------------------------------------------------------

struct ExampleRun {
  Lines trace;
  Lines messages;
};

// Plays scenes/hopkin.scene, at its own clock or at `clock`.
ExampleRun PlayExample(int64_t clock = 0) {
  stage::Stage stage;
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  EXPECT_TRUE(stage::LoadScene(TESSERA_SOURCE_DIR "/scenes/hopkin.scene", &scene, &errors));
  scene.plugins = {HOPKIN_PLUGIN_PATH};
  if (clock != 0) scene.clock = clock;
  EXPECT_TRUE(stage.Play(scene, &errors)) << (errors.empty() ? "" : errors[0]);
  ExampleRun run;
  run.trace = stage.model().trace().lines();
  for (const auto& message : stage.model().messages()) run.messages.push_back(message.text);
  return run;
}

// The lines that hold all of `parts`, in this order.
int Count(const Lines& lines, std::initializer_list<std::string> parts) {
  int count = 0;
  for (const std::string& line : lines) {
    size_t at = 0;
    bool all = true;
    for (const std::string& part : parts) {
      at = line.find(part, at);
      if (at == std::string::npos) {
        all = false;
        break;
      }
      at += part.size();
    }
    count += all ? 1 : 0;
  }
  return count;
}

TEST(HopkinExampleSceneTest, CreaturesTurnMoveIdleAndSpeak) {
  const ExampleRun run = PlayExample();
  ASSERT_FALSE(run.trace.empty());
  // The load, then where each creature ended: the one sent off as a loner
  // far from the flock's gathering places.
  ASSERT_EQ(run.messages.size(), 7u);
  EXPECT_EQ(run.messages[0], "loaded hopkin: 0 commands, 0 brains, 1 brain classes, version 2.27");
  EXPECT_EQ(Count(run.messages, {" (cHopkin) ends at "}), 6);
  EXPECT_EQ(run.messages[3].rfind("Cove..Hopkin03 (cHopkin) ends at ", 0), 0u);
  EXPECT_EQ(Count(run.trace, {">cHopkin.Prepare("}), 1);
  for (int i = 1; i <= 6; ++i) {
    const std::string creature = "Cove..Hopkin0" + std::to_string(i);
    EXPECT_EQ(Count(run.trace, {"@0 >cHopkin.MakeBrain(\"cHopkin\", \"" + creature + "\")"}), 1);
    EXPECT_GT(Count(run.trace, {"SetLocalMatrix(" + creature + ","}), 10) << i;
    EXPECT_GT(Count(run.trace, {"AnimPlay(" + creature + ","}), 0) << i;
    EXPECT_GT(Count(run.trace, {"SoundEmitterPlay(emitter:" + creature + "..ZoveziHead"}), 0) << i;
  }
  EXPECT_GT(Count(run.trace, {"AnimPlay(", "..walk,"}), 0);
  EXPECT_GT(Count(run.trace, {"AnimPlay(", "..run,"}), 0);
  EXPECT_GT(Count(run.trace, {"AnimContinuePlay(", "..wait"}), 0);
  EXPECT_GT(Count(run.trace, {"SoundEmitterAddSound(", "sound:hnorm0"}), 0);
  EXPECT_GT(Count(run.trace, {"SoundEmitterAddSound(", "sound:hexcite0"}), 0);
  // The creatures see the visitor's activity.
  EXPECT_GT(Count(run.trace, {"KeyGetName(key:Hero..wait)"}), 0);
}

TEST(HopkinExampleSceneTest, PlaysTheSameTwice) {
  const ExampleRun first = PlayExample();
  const ExampleRun second = PlayExample();
  ASSERT_GT(first.trace.size(), 1000u);
  EXPECT_EQ(first.trace.size(), second.trace.size());
  const auto differ = std::mismatch(first.trace.begin(), first.trace.end(), second.trace.begin(),
                                    second.trace.end());
  EXPECT_TRUE(differ.first == first.trace.end())
      << *differ.first << "\n"
      << (differ.second != second.trace.end() ? *differ.second : "");
  EXPECT_EQ(first.messages, second.messages);
}

// The creatures draw their temperaments from the scene's clock.
TEST(HopkinExampleSceneTest, AnotherClockPlaysDifferently) {
  const ExampleRun first = PlayExample();
  const ExampleRun other = PlayExample(1234567);
  EXPECT_FALSE(first.trace == other.trace);
}

}  // namespace
