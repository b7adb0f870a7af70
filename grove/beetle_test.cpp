// The beetle brain on the stage: its fear and curiosity estimates, the
// smoothing, the levels and reactions, the turn sign, and the movement of
// its object over a few frames.
#include <cmath>
#include <string>

#include "grove/grove_fixture.h"

namespace grovetest {
namespace {

// A beetle at the origin with view axes (forward is -y) and fixed ranges and
// weights; a player 60 below it, looking away from it, waiting.
class BeetleTest : public GroveTest {
 protected:
  void SetUp() override {
    GroveTest::SetUp();
    Scene(std::string("object Beetle character viewaxes\nbehavior Beetle idle\n"
                      "player Visitor at 0 -60 0 viewaxes\n") +
          "behavior Visitor wait\nbehavior Visitor run\nbehavior Visitor short_jump\n"
          "at 0 play Visitor wait\nbrain Beetle BeetleBrainSingle\n" +
          extra_);
    beetle_ = BrainOf<BeetleBrain>("Beetle");
    beetle_->fFearRange = 800.0f;
    beetle_->fCuriosityRange = 2000.0f;
    beetle_->fCuriosityScale = 500.0f;
    beetle_->fCuriosityWeight = 1.0f;
    beetle_->fFearWeight = 1.0f;
    beetle_->fRunSpeed = 200.0f;
  }
  // The beetle's heading: the angle of its view axis from -y, counterclockwise.
  float Heading() {
    const mkMatrix44& m = Object("Beetle")->local;
    return std::atan2(-m.m[1][1], -m.m[0][1]) + 3.14159265f / 2.0f;
  }

  std::string extra_;
  BeetleBrain* beetle_ = nullptr;
};

struct EstimateCase {
  const char* name;
  float d2;
  float playerFacing;
  const char* activity;
  float fear;
  float curiosity;
};

// Ranges of BeetleTest: fear range 800 (full within 100), curiosity range
// 2000, curiosity scale 500.
const EstimateCase kEstimateCases[] = {
    // Far away: facing and activity only, divided by one: up to 2.
    {"FarRunningLookingAtIt", 5000.0f, 1.0f, "run", 2.0f, 0.0f},
    {"FarWaitingLookingAway", 5000.0f, 0.0f, "wait", 0.5f, 1.0f},
    {"NoActivity", 5000.0f, 0.0f, nullptr, 0.5f, 0.75f},
    // Close: all three terms, divided by two: up to 1.5.
    {"CloseRunningLookingAtIt", 50.0f, 1.0f, "run", 1.5f, (0.1f + 0.0f) / 2.0f},
    {"FullRangeEdge", 100.0f, 0.0f, "long_jump", 1.0f, (0.2f + 0.0f) / 2.0f},
    {"HalfFearRange", 400.0f, 0.0f, "wait", 0.5f, (0.8f + 1.0f) / 2.0f},
    {"JustPastFullRange", 101.0f, 0.0f, "wait", (1.0f - 101.0f / 800.0f + 0.5f) / 2.0f,
     (101.0f / 500.0f + 1.0f) / 2.0f},
    {"FearRangeEdgeCounts", 800.0f, 0.5f, "short_jump", (0.0f + 0.5f + 0.75f) / 2.0f, 0.875f},
    {"JustBeyondFearRange", 801.0f, 0.5f, "short_jump", 0.5f + 0.75f, 0.875f},
    {"TurningFast", 5000.0f, 0.0f, "turn_left_fast", 0.75f, 0.75f},
    {"TurningFastAnyCase", 5000.0f, 0.0f, "Turn_Right_Fast", 0.75f, 0.75f},
    {"CuriosityScaleEdge", 500.0f, 0.0f, "push", (1.0f - 500.0f / 800.0f + 0.5f) / 2.0f, 1.0f},
    {"CuriosityRangeEdge", 2000.0f, 0.0f, "get_up", 0.5f, 1.0f},
    {"BeyondCuriosityRange", 2001.0f, 0.0f, "fall", 0.5f, 1.0f},
    {"OtherActivity", 1000.0f, 0.25f, "walk", 0.75f, (1.0f + 0.75f) / 2.0f},
};

class EstimateTest : public BeetleTest, public ::testing::WithParamInterface<EstimateCase> {};

TEST_P(EstimateTest, FearAndCuriosity) {
  const EstimateCase& c = GetParam();
  EXPECT_FLOAT_EQ(beetle_->FearEstimate(c.d2, c.playerFacing, c.activity), c.fear);
  EXPECT_FLOAT_EQ(beetle_->CuriosityEstimate(c.d2, c.activity), c.curiosity);
}

INSTANTIATE_TEST_SUITE_P(Table, EstimateTest, ::testing::ValuesIn(kEstimateCases),
                         [](const ::testing::TestParamInfo<EstimateCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(BeetleTest, Levels) {
  const struct {
    float value;
    int32_t level;
  } cases[] = {{-0.1f, 0}, {0.0f, 0},  {0.01f, 1}, {0.35f, 1},
               {0.36f, 2}, {0.75f, 2}, {0.76f, 3}, {2.0f, 3}};
  for (const auto& c : cases) EXPECT_EQ(BeetleBrain::Level(c.value), c.level) << c.value;
}

TEST_F(BeetleTest, SmoothingJumpsOrWaits) {
  float fear = 0.0f, timer = 0.0f;
  beetle_->Smooth(&fear, &timer, 0.9f, 0.1f);
  EXPECT_FLOAT_EQ(fear, 0.45f);
  EXPECT_EQ(timer, 0.0f);
  fear = 0.0f;
  for (int frame = 0; frame < 5; ++frame) {
    beetle_->Smooth(&fear, &timer, 0.4f, 0.1f);
    EXPECT_EQ(fear, 0.0f) << frame;
  }
  beetle_->Smooth(&fear, &timer, 0.4f, 0.11f);  // the timer passes 0.5 seconds
  EXPECT_FLOAT_EQ(fear, 0.2f);
  EXPECT_EQ(timer, 0.0f);
}

// One reaction code at one facing: the turn (in units of the frame's slow
// turn), the step forward and whether the idle animation starts.
struct ReactionCase {
  const char* name;
  int32_t code;
  float facing;
  float turn;     // radians
  float forward;  // units along -y
  bool idle;
};

constexpr float kSlow = 0.1f * 0.785398185f, kFast = 0.1f * 3.14159274f;
const ReactionCase kReactionCases[] = {
    {"StandIdles", 0, 0.5f, 0.0f, 0.0f, true},
    {"SidleTurnsTowardBelow09", 1, 0.5f, kSlow, 0.0f, true},
    {"SidleFacingAlready", 1, 0.95f, 0.0f, 0.0f, true},
    {"WalkUpTurnsAndWalks", 2, 0.5f, kSlow, 2.0f, false},
    {"WalkUpStraight", 2, 0.9f, 0.0f, 2.0f, false},
    {"RunUpTurnsFastFirst", 3, 0.7f, kFast, 0.0f, true},
    {"RunUpTurnsSlowAndRuns", 3, 0.8f, kSlow, 20.0f, false},
    {"RunUpStraight", 3, 0.95f, 0.0f, 20.0f, false},
    {"ShyTurnsAway", 11, 0.5f, kSlow, 0.0f, true},
    {"ShyTurnedAway", 11, 0.1f, 0.0f, 0.0f, true},
    {"WalkOff", 12, 0.5f, kSlow, 2.0f, false},
    {"WalkOffStraight", 12, 0.05f, 0.0f, 2.0f, false},
    {"RunOffTurnsFastFirst", 13, 0.3f, kFast, 0.0f, true},
    {"RunOffTurnsSlowAndRuns", 13, 0.2f, kSlow, 20.0f, false},
    {"RunOffStraight", 13, 0.1f, 0.0f, 20.0f, false},
    {"UnknownCodeDoesNothing", 7, 0.5f, 0.0f, 0.0f, false},
};

class ReactionTest : public BeetleTest, public ::testing::WithParamInterface<ReactionCase> {};

TEST_P(ReactionTest, TurnsMovesAndIdles) {
  const ReactionCase& c = GetParam();
  stage_.model().SetClock(0, 0.0f, 0.1f);
  beetle_->fFacing = beetle_->fPreviousFacing = c.facing;
  auto* owner = stage::Model::ToHandle<egCharacter>(Object("Beetle"));
  beetle_->React(c.code, owner, nullptr, nullptr);
  const mkMatrix44& m = Object("Beetle")->local;
  // Turned about z by the angle, then stepped along the turned -y.
  EXPECT_NEAR(Heading(), c.turn, 1e-5f);
  EXPECT_NEAR(m.m[0][3], -std::sin(c.turn) * -c.forward, 1e-4f);
  EXPECT_NEAR(m.m[1][3], -std::cos(c.turn) * c.forward, 1e-4f);
  const bool idle = Object("Beetle")->current != nullptr;
  EXPECT_EQ(idle, c.idle);
  EXPECT_EQ(Calls({"AnimPlay"}).size(), c.idle ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, ReactionTest, ::testing::ValuesIn(kReactionCases),
                         [](const ::testing::TestParamInfo<ReactionCase>& c) {
                           return std::string(c.param.name);
                         });

// The idle rule plays "idle" unless the behaviour read at the frame's start
// is "idle" already, playing or not.
TEST_F(BeetleTest, IdleRuleAndItsAnimationCalls) {
  More("behavior Beetle walk\n");
  stage::SceneObject* beetle = Object("Beetle");
  auto* owner = stage::Model::ToHandle<egCharacter>(beetle);
  beetle_->fFacing = beetle_->fPreviousFacing = 0.5f;
  beetle_->React(0, owner, nullptr, nullptr);
  EXPECT_EQ(Calls({"FindBehavior", "AnimPlay", "SetPlayingOneShot"}),
            (Lines{"FindBehavior(Beetle, \"idle\", -4) -> behavior:Beetle..idle",
                   "AnimPlay(Beetle, behavior:Beetle..idle, 1, 1, 0, 0, -1, 0, 0, 1, 0)",
                   "SetPlayingOneShot(Beetle, 0)"}));
  for (stage::Behavior* behavior : beetle->behaviors) {
    auto* handle = stage::Model::ToHandle<mkGBehavior>(behavior);
    behavior->playing = 0;
    Mark();
    beetle_->React(0, owner, handle, stage_.api().BehGetKey(handle));
    EXPECT_EQ(Calls({"AnimPlay"}).size(), behavior->name == "idle" ? 0u : 1u) << behavior->name;
  }
}

TEST_F(BeetleTest, TurnSignFlipsWhenTheTurnGetsWorse) {
  stage_.model().SetClock(0, 0.0f, 0.1f);
  auto* owner = stage::Model::ToHandle<egCharacter>(Object("Beetle"));
  beetle_->fPreviousFacing = 0.5f;
  beetle_->fFacing = 0.4f;  // worse while turning toward
  beetle_->React(kBeetleSidle, owner, nullptr, nullptr);
  EXPECT_EQ(beetle_->fTurnSign, -1.0f);
  beetle_->fPreviousFacing = 0.4f;
  beetle_->fFacing = 0.3f;
  beetle_->React(kBeetleSidle, owner, nullptr, nullptr);
  EXPECT_EQ(beetle_->fTurnSign, 1.0f);
  beetle_->fFacing = 0.6f;  // better while turning toward: no flip
  beetle_->React(kBeetleSidle, owner, nullptr, nullptr);
  EXPECT_EQ(beetle_->fTurnSign, 1.0f);
  beetle_->fPreviousFacing = 0.6f;
  beetle_->fFacing = 0.7f;  // worse while turning away
  beetle_->React(kBeetleShy, owner, nullptr, nullptr);
  EXPECT_EQ(beetle_->fTurnSign, -1.0f);
  EXPECT_NEAR(Heading(), kSlow + kSlow - kSlow - kSlow, 1e-5f);
}

TEST_F(BeetleTest, WalksUpToAVisitorWhoWaitsLookingAway) {
  for (int frame = 1; frame <= 3; ++frame) {
    Mark();
    Frame();
    EXPECT_EQ(Calls({"GetLocalMatrix", "SetLocalMatrix", "AnimPlay"}),
              (Lines{"GetLocalMatrix(Beetle, ?) -> 1", "SetLocalMatrix(Beetle, ?)"}))
        << frame;
    EXPECT_NEAR(Position("Beetle").fY, -2.0f * float(frame), 1e-4f);
    EXPECT_NEAR(Position("Beetle").fX, 0.0f, 1e-6f);
  }
  EXPECT_FLOAT_EQ(beetle_->fCuriosity, 0.5f);
  EXPECT_EQ(beetle_->fFear, 0.0f);
  EXPECT_EQ(beetle_->fFacing, 1.0f);
}

TEST_F(BeetleTest, RunsOffFromAVisitorRunningAtIt) {
  // Close (squared distance 50), looking straight at it, running.
  Object("Visitor")->local.m[1][3] = -std::sqrt(50.0f);
  Object("Visitor")->local.m[1][1] = -1.0f;  // view axis +y: at the beetle
  Object("Visitor")->local.m[0][0] = -1.0f;
  Frame();
  stage_.model().Play(Object("Visitor")->behaviors[1]);
  for (int i = 0; i < 40; ++i) Frame();
  EXPECT_EQ(BeetleBrain::Level(beetle_->fFear), 3);
  // Turned away, then ran: far beyond where it stood.
  EXPECT_LE(beetle_->fFacing, 0.25f);
  EXPECT_GT(MagnitudeSquared(Position("Beetle") - Position("Visitor")), 10000.0f);
}

TEST_F(BeetleTest, NothingWithoutAPlayer) {
  stage_.model().SetPlayer(nullptr);
  Frames(2);
  EXPECT_EQ(Calls({"GetLocalMatrix", "SetLocalMatrix", "GetWorldPos"}), Lines{});
  EXPECT_EQ(Calls({"Beetle.brain.Update"}).size(), 2u);
}

// A beetle on an object that is not a character cannot move it: it says so
// once, on its first frame, and stays still.
TEST_F(BeetleTest, OnAnObjectThatIsNotACharacterWarnsOnce) {
  More("object Stone\nbrainclass Stone cBeetleBrain\n");
  Frames(3);
  EXPECT_EQ(Said(),
            Lines{"warning: BeetleBrain: Stone is not a character; the beetle stays still"});
  Lines stoneCalls;
  for (const std::string& call : Calls({"GetLocalMatrix", "SetLocalMatrix", "AnimPlay"}))
    if (call.find("Stone") != std::string::npos) stoneCalls.push_back(call);
  EXPECT_EQ(stoneCalls, Lines{});
}

TEST_F(BeetleTest, VisitorOnTheBeetleGivesNoNaN) {
  Object("Visitor")->local.m[1][3] = 0.0f;
  Frames(3);
  EXPECT_FALSE(std::isnan(beetle_->fFear));
  EXPECT_FALSE(std::isnan(beetle_->fFacing));
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_FALSE(std::isnan(Object("Beetle")->local.m[i][j]));
}

TEST_F(BeetleTest, SendParamsSpeed) {
  const char* speed[] = {"speed", "42.5"};
  const char* capital[] = {"Speed", "1"};
  EXPECT_EQ(beetle_->SendParams(2, speed), 1);
  EXPECT_EQ(beetle_->SendParams(2, capital), 1);
  EXPECT_EQ(beetle_->SendParams(1, speed), 1);
  EXPECT_EQ(beetle_->fRunSpeed, 42.5f);
  const char* junk[] = {"speed", "fast"};
  beetle_->SendParams(2, junk);
  EXPECT_EQ(beetle_->fRunSpeed, 0.0f);
  EXPECT_EQ(Calls({"Beetle.brain.SendParams"}), Lines{});  // its own, not passed on
}

TEST(ShortName, AfterTheLastDoubleDot) {
  EXPECT_STREQ(ShortName("Visitor..run"), "run");
  EXPECT_STREQ(ShortName("A..B..long_jump"), "long_jump");
  EXPECT_STREQ(ShortName("idle"), "idle");
  EXPECT_STREQ(ShortName("x."), "x.");
  EXPECT_STREQ(ShortName(nullptr), "");
}

TEST(FacingFactor, Limits) {
  const mkVector3 ahead{0, -1, 0}, back{0, 1, 0}, side{1, 0, 0}, none{0, 0, 0};
  EXPECT_EQ(FacingFactor(ahead, back, kFacingLimitWide, kFacingFactorWide), 1.0f);
  EXPECT_EQ(FacingFactor(ahead, ahead, kFacingLimitWide, kFacingFactorWide), 0.0f);
  EXPECT_FLOAT_EQ(FacingFactor(side, back, kFacingLimitWide, kFacingFactorWide),
                  1.0f - 2.0f * 0.2631579f);
  EXPECT_EQ(FacingFactor(side, back, kFacingLimit45, kFacingFactor45), 0.0f);
  EXPECT_FLOAT_EQ(FacingFactor(none, back, kFacingLimit73, kFacingFactor73), 1.0f - 0.7092199f);
}

TEST(ReadReal, SpeedIsReadLikeAtofWithoutLocale) {
  EXPECT_EQ(float(ktAtof(" 12.5x")), 12.5f);
  EXPECT_EQ(float(ktAtof("-3")), -3.0f);
  EXPECT_EQ(float(ktAtof("2e2")), 200.0f);
  EXPECT_EQ(float(ktAtof("nan")), 0.0f);
  EXPECT_EQ(float(ktAtof("inf")), 0.0f);
  EXPECT_EQ(float(ktAtof("1e999")), 3.4028234663852886e38f);
  EXPECT_EQ(float(ktAtof("")), 0.0f);
  EXPECT_EQ(float(ktAtof(nullptr)), 0.0f);
}

}  // namespace
}  // namespace grovetest
