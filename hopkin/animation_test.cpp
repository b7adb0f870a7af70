// The creature's animation requests and voice (animation.cpp), judged by the
// brain's state and the stage's call trace.
#include "hopkin/hopkin_test_fixture.h"

namespace {

// The creature fixture's names: HopkinTest, Creature, kSounds, Lines,
// WithoutDigits.
using namespace hopkintest;

// --- Animation requests and voice --------------------------------------------

TEST_F(HopkinTest, WalkEveryFrameStartsItOnce) {
  HopkinBrain* brain = AnimatedCreature();
  Mark();
  Requests(brain, {"walk", "walk", "walk", "walk", "walk"});
  EXPECT_EQ(AnimationCalls(),
            (Lines{"@0 AnimStop(Zovezi01, 0, 1, 0, 0, 100, 0, 1)",
                   "@0 AnimPlay(Zovezi01, behavior:Zovezi01..walk, 1, 1, 0, 0, 100, 0, 0, 1, 0)",
                   "@0 SoundEmitterAddSound(emitter:Zovezi01..ZoveziHead, sound:hnorm0?)"}));
  EXPECT_EQ(brain->fMovePlaying, 1);
  EXPECT_STREQ(brain->fCurrentAnimation, "walk");
  // Only the voice timer advanced, by the frame time of frames 1 to 4.
  EXPECT_FLOAT_EQ(brain->fVoiceTimer, 0.4f);
}

TEST_F(HopkinTest, VoiceTimerRestartsOnceItPassesTheInterval) {
  HopkinBrain* brain = AnimatedCreature();
  brain->fVoiceInterval = 0.25f;
  Requests(brain, {"walk"});
  std::vector<float> timers;
  for (int i = 0; i < 5; ++i) {
    Requests(brain, {"walk"});
    timers.push_back(brain->fVoiceTimer);
  }
  EXPECT_EQ(timers, (std::vector<float>{0.1f, 0.2f, 0.3f, 0.0f, 0.1f}));
}

TEST_F(HopkinTest, RunWhileWalkLoopsWaitsForTheWalkToEnd) {
  HopkinBrain* brain = AnimatedCreature();
  Mark();
  // walk lasts 0.5 s: told to finish in frame 1, it stops at the end of
  // frame 4, and run starts on the request of frame 5.
  Requests(brain, {"walk", "run", "run", "run", "run", "run", "run"});
  EXPECT_EQ(AnimationCalls(),
            (Lines{"@0 AnimStop(Zovezi01, 0, 1, 0, 0, 100, 0, 1)",
                   "@0 AnimPlay(Zovezi01, behavior:Zovezi01..walk, 1, 1, 0, 0, 100, 0, 0, 1, 0)",
                   "@0 SoundEmitterAddSound(emitter:Zovezi01..ZoveziHead, sound:hnorm0?)",
                   "@1 AnimStop(Zovezi01, 0, 1, 0, 0, 100, 0, 1)",
                   "@1 AnimContinuePlay(Zovezi01, behavior:Zovezi01..walk, 0, 0, 1, 0, 0, 100, 0, "
                   "0, 1, 0)",
                   "@5 AnimStop(Zovezi01, 0, 1, 0, 0, 100, 0, 1)",
                   "@5 AnimPlay(Zovezi01, behavior:Zovezi01..run, 1, 1, 0, 0, 100, 0, 0, 1, 0)",
                   "@5 SoundEmitterAddSound(emitter:Zovezi01..ZoveziHead, sound:hexcite0?)"}));
  EXPECT_STREQ(brain->fCurrentAnimation, "run");
  EXPECT_EQ(brain->fMovePlaying, 1);
}

TEST_F(HopkinTest, WalkDuringAnIdleInterruptsItAtOnce) {
  HopkinBrain* brain = AnimatedCreature();
  brain->fIdleWeights = {0.0f, 1.0f};  // always wait1
  Mark();
  Requests(brain, {"wait", "walk"});
  EXPECT_EQ(AnimationCalls(),
            (Lines{"@0 AnimContinuePlay(Zovezi01, behavior:Zovezi01..wait1, 0, 0, 1, 0, 0, -1, 0, "
                   "0, 1, 0)",
                   "@0 SoundEmitterAddSound(emitter:Zovezi01..ZoveziHead, sound:hnorm0?)",
                   "@1 AnimStop(Zovezi01, 0, 1, 0, 0, 100, 0, 1)",
                   "@1 AnimPlay(Zovezi01, behavior:Zovezi01..walk, 1, 1, 0, 0, 100, 0, 0, 1, 0)",
                   "@1 SoundEmitterAddSound(emitter:Zovezi01..ZoveziHead, sound:hnorm0?)"}));
}

TEST_F(HopkinTest, WaitDuringWalkTellsItToFinishThenIdles) {
  HopkinBrain* brain = AnimatedCreature();
  brain->fIdleWeights = {0.0f, 0.0f, 2.0f};  // always wait2
  Mark();
  Requests(brain, {"walk", "wait", "wait", "wait", "wait", "wait", "wait"});
  EXPECT_EQ(
      AnimationCalls(),
      (Lines{"@0 AnimStop(Zovezi01, 0, 1, 0, 0, 100, 0, 1)",
             "@0 AnimPlay(Zovezi01, behavior:Zovezi01..walk, 1, 1, 0, 0, 100, 0, 0, 1, 0)",
             "@0 SoundEmitterAddSound(emitter:Zovezi01..ZoveziHead, sound:hnorm0?)",
             "@1 AnimStop(Zovezi01, 0, 1, 0, 0, -1, 0, 1)",
             "@1 AnimContinuePlay(Zovezi01, behavior:Zovezi01..walk, 0, 0, 1, 0, 0, -1, 0, 0, "
             "1, 0)",
             "@5 AnimContinuePlay(Zovezi01, behavior:Zovezi01..wait2, 0, 0, 1, 0, 0, -1, 0, "
             "0, 1, 0)",
             "@5 SoundEmitterAddSound(emitter:Zovezi01..ZoveziHead, sound:hnorm0?)"}));
  EXPECT_STREQ(brain->fCurrentAnimation, "wait");
  EXPECT_EQ(brain->fMovePlaying, 0);
}

TEST_F(HopkinTest, IdleVariantThreeSpeaksAngrily) {
  HopkinBrain* brain = AnimatedCreature();
  brain->fIdleWeights = {0.0f, 0.0f, 0.0f, 5.0f, 0.0f};
  Mark();
  Requests(brain, {"wait"});
  EXPECT_EQ(AnimationCalls(),
            (Lines{"@0 AnimContinuePlay(Zovezi01, behavior:Zovezi01..wait3, 0, 0, 1, 0, 0, -1, 0, "
                   "0, 1, 0)",
                   "@0 SoundEmitterAddSound(emitter:Zovezi01..ZoveziHead, sound:hmad01)"}));
}

struct IdleCase {
  const char* name;
  std::vector<float> weights;
  const char* variant;
};

void PrintTo(const IdleCase& c, std::ostream* os) {
  *os << c.name;
}

class IdleVariantTest : public HopkinTest, public ::testing::WithParamInterface<IdleCase> {};

TEST_P(IdleVariantTest, IsDrawn) {
  HopkinBrain* brain = AnimatedCreature();
  brain->fIdleWeights = GetParam().weights;
  Mark();
  Requests(brain, {"wait"});
  const std::string variant = GetParam().variant;
  const std::string length = std::to_string(variant.size());
  EXPECT_EQ(Calls({"FindBehavior"}),
            (Lines{"@0 FindBehavior(Zovezi01, \"" + variant + "\", -" + length + ") -> " +
                   (variant == "wait7" ? "null" : "behavior:Zovezi01.." + variant)}));
}

const IdleCase kIdleCases[] = {
    {"AllZeroWeightsGiveTheCount", {0, 0, 0, 0, 0, 0, 0}, "wait7"},
    {"NoWeightsGiveWaitZero", {}, "wait0"},
    {"OnlyTheLastWeight", {0, 0, 0, 0, 0, 0, 3}, "wait6"},
    {"OnlyTheFirstWeight", {4, 0, 0}, "wait0"},
};

INSTANTIATE_TEST_SUITE_P(Weights, IdleVariantTest, ::testing::ValuesIn(kIdleCases),
                         [](const ::testing::TestParamInfo<IdleCase>& c) {
                           return std::string(c.param.name);
                         });

// With the default weights the seven variants turn up about 1/11 (wait0 to
// wait4) and 3/11 (wait5, wait6) of the time.
TEST_F(HopkinTest, DefaultIdleWeightsFavourTheLastTwoVariants) {
  HopkinBrain* brain = AnimatedCreature();
  std::srand(7);
  int counts[8] = {};
  constexpr int kDraws = 11000;
  for (int i = 0; i < kDraws; ++i) {
    Object("Zovezi01")->current = nullptr;  // nothing plays: draw again
    Mark();
    brain->PlayAnimation("wait");
    const Lines find = Calls({"FindBehavior"});
    ASSERT_EQ(find.size(), 1u);
    counts[find[0][find[0].find("wait") + 4] - '0']++;
  }
  for (int k = 0; k < 5; ++k) EXPECT_NEAR(counts[k], kDraws / 11, 150) << k;
  for (int k = 5; k < 7; ++k) EXPECT_NEAR(counts[k], 3 * kDraws / 11, 250) << k;
  EXPECT_EQ(counts[7], 0);
}

TEST_F(HopkinTest, MissingEmitterSilencesTheCreature) {
  HopkinBrain* brain = AnimatedCreature();
  brain->fVoiceEmitter = "Nobody..ZoveziHead";
  Mark();
  brain->Speak("run");
  EXPECT_EQ(Calls({"GetSoundSourceByID", "GetSoundObjectByID", "SoundEmitterPlay"}),
            (Lines{"@0 GetSoundSourceByID(\"Nobody..ZoveziHead\") -> null"}));
}

TEST_F(HopkinTest, MissingSoundSilencesTheCreature) {
  HopkinBrain* brain = AnimatedCreature(false);
  Mark();
  brain->Speak("waitmad");
  EXPECT_EQ(Calls({"GetSoundObjectByID", "SoundEmitterRemoveSounds", "SoundEmitterPlay"}),
            (Lines{"@0 GetSoundObjectByID(\"hmad01\") -> null"}));
}

TEST_F(HopkinTest, VoiceSoundsByRequest) {
  HopkinBrain* brain = AnimatedCreature();
  Mark();
  brain->Speak("waitmad");
  brain->Speak("short_jump");
  EXPECT_EQ(Calls({"GetSoundObjectByID", "SoundEmitterRemoveSounds", "SoundEmitterAddSound",
                   "SoundEmitterPlay"}),
            (Lines{"@0 GetSoundObjectByID(\"hmad01\") -> sound:hmad01",
                   "@0 SoundEmitterRemoveSounds(emitter:Zovezi01..ZoveziHead)",
                   "@0 SoundEmitterAddSound(emitter:Zovezi01..ZoveziHead, sound:hmad01)",
                   "@0 SoundEmitterPlay(emitter:Zovezi01..ZoveziHead, 1, 1, 0)",
                   "@0 GetSoundObjectByID(\"hhop0?\") -> sound:hhop0?",
                   "@0 SoundEmitterRemoveSounds(emitter:Zovezi01..ZoveziHead)",
                   "@0 SoundEmitterAddSound(emitter:Zovezi01..ZoveziHead, sound:hhop0?)",
                   "@0 SoundEmitterPlay(emitter:Zovezi01..ZoveziHead, 1, 1, 0)"}));
}

}  // namespace
