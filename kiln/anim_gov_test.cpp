// The animation governor: ramps in and out, frame stepping at a reduced
// time scale, target frames, reversals and the refused ramp times.
#include "kiln/kiln_fixture.h"

namespace {

using kilntest::KilnTest;
using kilntest::Lines;

class AnimGovTest : public KilnTest {
 protected:
  void SetUp() override {
    KilnTest::SetUp();
    Scene("object Fan\n behavior Fan spin frames 100 loop 0 99\n object Mill\n object Rock\n");
    stage::SceneObject* fan = stage_.model().FindObject("Fan");
    stage_.model().Play(fan->behaviors[0]);
    At(0.0f, 0.1f);
  }
  void At(float seconds, float delta) { stage_.model().SetClock(0, seconds, delta); }
  // Holds the fan's animation at `frame`.
  void FanAt(int32_t frame) {
    stage::Behavior* b = stage_.model().FindObject("Fan")->behaviors[0];
    b->playing = 0;
    b->position = (float(frame) + 0.5f) * b->cycleSeconds / float(b->frames);
  }
  Lines AnimCalls() {
    Lines calls;
    for (const auto& line : Traced())
      if (line.find(" Anim") != std::string::npos) calls.push_back(line);
    return calls;
  }
};

TEST_F(AnimGovTest, ANewObjectIsStopped) {
  EXPECT_EQ(Run("AnimGovUpdate", {"Fan"}), 1);
  EXPECT_EQ(Said(), Lines{"log: AnimGovUpdate: Stopped"});
  EXPECT_EQ(AnimCalls(), Lines{});
  EXPECT_EQ(TracedWith("XCmdFindContext"),
            Lines{"@0 XCmdFindContext(Fan, 1005, 1005) -> context:Fan,1005,1005"});
}

TEST_F(AnimGovTest, EaseInSteppsThenPlaysAtFullSpeed) {
  FanAt(10);
  EXPECT_EQ(Run("AnimGov", {"Fan", "ease_in", "2"}), 1);
  EXPECT_EQ(Said(),
            Lines{"log: AnimGov: ease_in time=2.000000 type=3 shape=0.000000 begin=0.000000"});
  // Half-way the time scale is 0.5: one frame lasts 1/15 s; 0.1 s steps one
  // frame and leaves 1/30 s over.
  At(1.0f, 0.1f);
  EXPECT_EQ(Run("AnimGovUpdate", {"Fan"}), 0);
  EXPECT_EQ(Said(),
            (Lines{"log: AnimGovUpdate: TimeScale at 0.500000 (prev=0.000000)",
                   "log: AnimGovUpdate: Skipping 1 frame(s) to frame 11, TimeScale=0.500000 "
                   "residual=0.033333"}));
  EXPECT_EQ(AnimCalls(), Lines{"@0 AnimPlayToFrame(Fan, null, 11, 1, 0, 0, 0, 1, 1, 0)"});
  // The same time scale again drives nothing.
  EXPECT_EQ(Run("AnimGovUpdate", {"Fan"}), 0);
  EXPECT_EQ(AnimCalls(), Lines{});
  At(2.0f, 0.1f);
  EXPECT_EQ(Run("AnimGovUpdate", {"Fan"}), 1);
  EXPECT_EQ(Said(), Lines{"log: AnimGovUpdate: TimeScale at 1.000000 (prev=0.500000)"});
  EXPECT_EQ(AnimCalls(), Lines{"@0 AnimContinuePlay(Fan, null, 1, 1, 1, 0, 0, 100, 1, 0, 1, 0)"});
  EXPECT_EQ(Run("AnimGovUpdate", {"Fan"}), 1);
  EXPECT_EQ(Said(), Lines{"log: AnimGovUpdate: Full ahead captain"});
  EXPECT_EQ(AnimCalls(), Lines{});
  Run("AnimGov", {"Fan", "ease_in", "2"});
  EXPECT_EQ(Said(), Lines{"log: AnimGov: ease_in - already at FULL, do nothing."});
}

TEST_F(AnimGovTest, ResidualTimeCarriesOver) {
  FanAt(10);
  Run("AnimGov", {"Fan", "ease_in", "2"});
  At(1.0f, 0.05f);
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(
      Said(),
      (Lines{"log: AnimGovUpdate: TimeScale at 0.500000 (prev=0.000000)",
             "log: AnimGovUpdate: No frames to skip, TimeScale = 0.500000 residual=0.050000"}));
  EXPECT_EQ(AnimCalls(), Lines{});
}

TEST_F(AnimGovTest, EaseOutStopsTheAnimation) {
  Run("AnimGov", {"Fan", "ease_out", "1"});
  EXPECT_EQ(Said(), Lines{"log: AnimGov: ease_out - already STOPPED, do nothing."});
  Run("AnimGov", {"Fan", "ease_in", "1"});
  At(1.0f, 0.1f);
  Run("AnimGovUpdate", {"Fan"});
  At(1.0f, 0.1f);
  Run("AnimGov", {"Fan", "ease_out", "1", "triangle", "0.5"});
  EXPECT_EQ(Said(), Lines{"log: AnimGov: ease_out time=1.000000 type=2 shape=0.500000"});
  At(2.0f, 0.1f);
  EXPECT_EQ(Run("AnimGovUpdate", {"Fan"}), 1);
  EXPECT_EQ(Said(), Lines{"log: AnimGovUpdate: TimeScale at 0.000000 (prev=1.000000)"});
  EXPECT_EQ(AnimCalls(), Lines{"@0 AnimStop(Fan, 1, 1, 0, 0, -1, 0, 1)"});
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(Said(), Lines{"log: AnimGovUpdate: Stopped"});
}

TEST_F(AnimGovTest, AReversalContinuesFromTheLevelReached) {
  Run("AnimGov", {"Fan", "ease_in", "2"});
  At(1.0f, 0.1f);
  Run("AnimGovUpdate", {"Fan"});
  // Begin 1 - 2 * (1 - 1/2) = 0: the ease-out starts at 0.5 as well.
  Run("AnimGov", {"Fan", "ease_out", "2"});
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(Said(), Lines{"log: AnimGovUpdate: TimeScale at 0.500000 (prev=0.500000)"});
  EXPECT_EQ(AnimCalls(), Lines{});
}

TEST_F(AnimGovTest, TheTargetFrameEndsTheRampAndIsNotSteppedPast) {
  FanAt(39);
  Run("AnimGov", {"Fan", "ease_in", "2#40"});
  At(1.0f, 0.2f);  // three frames of 1/15 s
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(AnimCalls(), Lines{"@0 AnimPlayToFrame(Fan, null, 40, 1, 0, 0, 0, 1, 1, 0)"});
  At(1.5f, 0.1f);
  EXPECT_EQ(Run("AnimGovUpdate", {"Fan"}), 1);
  EXPECT_EQ(Said(), (Lines{"log: AnimGovUpdate: WARNING: There's time left 0.500000",
                           "log: AnimGovUpdate: TimeScale at 1.000000 (prev=0.500000)"}));
}

// "#" is looked for before "%"; a Time without a marker clears the target.
TEST_F(AnimGovTest, TheAbsoluteMarkerComesFirstAndNoMarkerClearsTheTarget) {
  FanAt(10);
  Run("AnimGov", {"Fan", "ease_in", "2%5#40"});  // 40, not 10 + 5
  FanAt(40);
  At(1.0f, 0.1f);
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(Said(), (Lines{"log: AnimGovUpdate: WARNING: There's time left 1.000000",
                           "log: AnimGovUpdate: TimeScale at 1.000000 (prev=0.000000)"}));
  Run("AnimGov", {"Fan", "ease_out", "2#40"});
  Run("AnimGov", {"Fan", "ease_out", "2"});
  At(2.0f, 0.1f);
  Run("AnimGovUpdate", {"Fan"});
  // At frame 40 still, but aiming at nothing: the ramp goes on.
  EXPECT_EQ(Said(),
            (Lines{"log: AnimGovUpdate: TimeScale at 0.500000 (prev=1.000000)",
                   "log: AnimGovUpdate: Skipping 1 frame(s) to frame 41, TimeScale=0.500000 "
                   "residual=0.033333"}));
}

// An ease_in during an ease_out starts from the level reached: begin
// 3 - 2 * (1 - (3 - 2) / 2) = 2, so the new ramp is at 0.5 at once.
TEST_F(AnimGovTest, AnEaseInDuringAnEaseOutTurnsTheRampRound) {
  Run("AnimGov", {"Fan", "ease_in", "1"});
  At(1.0f, 0.1f);
  Run("AnimGovUpdate", {"Fan"});
  At(2.0f, 0.1f);
  Run("AnimGov", {"Fan", "ease_out", "2"});
  At(3.0f, 0.1f);
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(Said()[0], "log: AnimGovUpdate: TimeScale at 0.500000 (prev=1.000000)");
  Run("AnimGov", {"Fan", "ease_in", "2"});
  EXPECT_EQ(Said(),
            Lines{"log: AnimGov: ease_in time=2.000000 type=3 shape=0.000000 begin=2.000000"});
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(Said(), Lines{"log: AnimGovUpdate: TimeScale at 0.500000 (prev=0.500000)"});
}

// Stepping past the loop end goes on from the loop start: 98 + 3 is 101,
// and 101 + 0 - 99 - 1 is frame 1.
TEST_F(AnimGovTest, StepsWrapPastTheLoopEnd) {
  FanAt(98);
  Run("AnimGov", {"Fan", "ease_in", "2"});
  At(1.0f, 0.25f);  // at 0.5 a frame lasts 1/15 s: three frames
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(AnimCalls(), Lines{"@0 AnimPlayToFrame(Fan, null, 1, 1, 0, 0, 0, 1, 1, 0)"});
}

TEST_F(AnimGovTest, RunningOutBeforeTheTargetSaysHowFarItIs) {
  FanAt(25);
  // 25 + 10 is past the loop end 29: the target wraps to 6.
  Run("AnimGov", {"Fan", "set", "true", "false", "false", "0", "29"});
  EXPECT_EQ(Said(),
            Lines{"log: AnimGov: animation type Xform=true, Dynamics=false, Material=false"});
  Run("AnimGov", {"Fan", "ease_in", "1%10"});
  At(1.0f, 0.1f);
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(Said(), (Lines{"log: AnimGovUpdate: TimeScale at 1.000000 (prev=0.000000)",
                           "log: AnimGovUpdate: WARNING: Ran out of time. 10 frames left"}));
}

// "%" reads the current frame before the loop points that wrap it, and the
// clock after them; the update reads the clock and the behaviour only while
// a ramp runs.
TEST_F(AnimGovTest, HostCallsComeInTheirOrder) {
  FanAt(25);
  Run("AnimGov", {"Fan", "ease_in", "1%10"});
  EXPECT_EQ(Calls(), (Lines{"GetSceneObjectByID(\"Fan\") -> Fan",
                            "XCmdFindContext(Fan, 1005, 1005) -> context:Fan,1005,1005",
                            "GetBehavior(Fan) -> behavior:Fan..spin",
                            "BehGetLastPlayed(behavior:Fan..spin) -> 25",
                            "BehGetLoopStart(behavior:Fan..spin) -> 0",
                            "BehGetLoopEnd(behavior:Fan..spin) -> 99", "GetSecs() -> 0",
                            "ApiMessage(\"AnimGov: ease_in time=1.000000 type=3 shape=0.000000 "
                            "begin=0.000000\")"}));
  At(1.0f, 0.1f);
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(
      Calls(),
      (Lines{"GetSceneObjectByID(\"Fan\") -> Fan",
             "XCmdFindContext(Fan, 1005, 1005) -> context:Fan,1005,1005", "GetSecs() -> 1",
             "GetBehavior(Fan) -> behavior:Fan..spin", "BehGetLastPlayed(behavior:Fan..spin) -> 25",
             "ApiMessage(\"AnimGovUpdate: TimeScale at 1.000000 (prev=0.000000)\")",
             "AnimContinuePlay(Fan, null, 1, 1, 1, 0, 0, 100, 1, 0, 1, 0)",
             "BehGetLastPlayed(behavior:Fan..spin) -> 25",
             "BehGetLoopStart(behavior:Fan..spin) -> 0", "BehGetLoopEnd(behavior:Fan..spin) -> 99",
             "ApiMessage(\"AnimGovUpdate: WARNING: Ran out of time. 10 frames left\")"}));
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(Calls(), (Lines{"GetSceneObjectByID(\"Fan\") -> Fan",
                            "XCmdFindContext(Fan, 1005, 1005) -> context:Fan,1005,1005",
                            "ApiMessage(\"AnimGovUpdate: Full ahead captain\")"}));
  Run("AnimGovUpdate", {"Mill"});
  EXPECT_EQ(Calls(), (Lines{"GetSceneObjectByID(\"Mill\") -> Mill",
                            "XCmdFindContext(Mill, 1005, 1005) -> context:Mill,1005,1005",
                            "ApiMessage(\"AnimGovUpdate: Stopped\")"}));
}

TEST_F(AnimGovTest, SetChoosesTheChannels) {
  Run("AnimGov", {"Fan", "set", "false", "true", "true"});
  EXPECT_EQ(Said(),
            Lines{"log: AnimGov: animation type Xform=false, Dynamics=true, Material=true"});
  Run("AnimGov", {"Fan", "ease_in", "1"});
  At(1.0f, 0.1f);
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(AnimCalls(), Lines{"@0 AnimContinuePlay(Fan, null, 1, 1, 0, 1, 1, 100, 1, 0, 1, 0)"});
}

TEST_F(AnimGovTest, WithoutABehaviourTheStepIsSkipped) {
  Run("AnimGov", {"Mill", "ease_in", "2", "rect"});
  EXPECT_EQ(Said(),
            Lines{"log: AnimGov: ease_in time=2.000000 type=1 shape=0.000000 begin=0.000000"});
  Run("AnimGov", {"Rock", "ease_in", "2"});
  At(1.0f, 0.1f);
  Run("AnimGovUpdate", {"Rock"});
  EXPECT_EQ(Said(), (Lines{"log: AnimGovUpdate: TimeScale at 0.500000 (prev=0.000000)",
                           "log: AnimGovUpdate: Cannot get mkBehavior for Rock"}));
}

struct GovCase {
  const char* name;
  std::vector<std::string> run;
  Lines expected;
};

void PrintTo(const GovCase& c, std::ostream* os) {
  *os << c.name;
}

class AnimGovCaseTest : public AnimGovTest, public ::testing::WithParamInterface<GovCase> {};

TEST_P(AnimGovCaseTest, ChangesNothing) {
  const auto& run = GetParam().run;
  EXPECT_EQ(Run(run[0], std::vector<std::string>(run.begin() + 1, run.end())), 1);
  EXPECT_EQ(Said(), GetParam().expected);
  // The governor is still stopped.
  Run("AnimGovUpdate", {"Fan"});
  EXPECT_EQ(Said(), Lines{"log: AnimGovUpdate: Stopped"});
}

const GovCase kGovCases[] = {
    {"EaseInWithoutTime",
     {"AnimGov", "Fan", "ease_in"},
     {"log: AnimGov: ease_in - wrong number of arguments (time(type,shape))"}},
    {"EaseInZeroTime",
     {"AnimGov", "Fan", "ease_in", "0"},
     {"log: AnimGov: ease_in - time must be greater than 0: 0"}},
    {"EaseInNegativeTime",
     {"AnimGov", "Fan", "ease_in", "-1#5"},
     {"log: AnimGov: ease_in - time must be greater than 0: -1#5"}},
    {"EaseInTextTime",
     {"AnimGov", "Fan", "ease_in", "soon"},
     {"log: AnimGov: ease_in - time must be greater than 0: soon"}},
    {"Unrecognized", {"AnimGov", "Fan", "spin"}, {"log: AnimGov: unrecognized command."}},
    {"WithoutCommand",
     {"AnimGov", "Fan"},
     {"warning: AnimGov: wrong number of arguments (Object, Command, ...)"}},
    // A name that names no object has no governor (and shares none).
    {"OnAMissingObject",
     {"AnimGov", "Ghost", "ease_in", "1"},
     {"warning: AnimGov: Ghost object not found"}},
    {"UpdateOnAMissingObject",
     {"AnimGovUpdate", "Ghost"},
     {"warning: AnimGovUpdate: Ghost object not found"}},
    {"UpdateWrongCount",
     {"AnimGovUpdate", "Fan", "Mill"},
     {"warning: AnimGovUpdate: wrong number of arguments (needs object to animate)"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, AnimGovCaseTest, ::testing::ValuesIn(kGovCases),
                         [](const ::testing::TestParamInfo<GovCase>& c) {
                           return std::string(c.param.name);
                         });

}  // namespace
