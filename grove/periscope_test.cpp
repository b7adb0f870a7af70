// The periscope brain on the stage: the lift between the ceiling and the
// floor, the key states and their repeat, the master's rate, the filter
// frame and the dish's tilt.
#include <cmath>
#include <cstring>
#include <string>

#include "grove/grove_fixture.h"

namespace grovetest {
namespace {

// A periscope at height 2 between a floor at 1 and a ceiling at 3, a master
// with an animation, a camera looking along -y, the sun far along -y.
constexpr const char* kPeriscopeScene = R"(
object Periscope at 0 0 2 viewaxes
object Ceiling at 5 5 3
object Floor at 5 5 1
object Master
behavior Master crank seconds 2
object Sun at 0 -100 0
object Filter
camera Eye viewaxes
variable PeriscopeMaster Master
variable PeriscopeCeiling Ceiling
variable PeriscopeFloor Floor
variable TheSun Sun
variable PeriscopeFilter Filter
variable PeriscopeDish
brain Periscope Periscope
)";

class PeriscopeTest : public GroveTest {
 protected:
  void SetUp() override {
    GroveTest::SetUp();
    Scene(kPeriscopeScene);
    brain_ = BrainOf<PeriscopeBrain>("Periscope");
  }
  void Move(float y) { stage_.model().controller().fMovement = {0.0f, y, 0.0f}; }
  void Key(int32_t code, bool down) {
    if (down) {
      stage_.model().controller().keysDown.insert(code);
    } else {
      stage_.model().controller().keysDown.erase(code);
    }
  }
  void SetVariable(const char* name, const char* object) {
    stage_.api().VarSetTo(stage_.api().GetObjKeyByID(name),
                          object != nullptr ? stage_.api().GetSceneObjectByID(object) : nullptr);
  }

  PeriscopeBrain* brain_ = nullptr;
};

TEST_F(PeriscopeTest, LiftsBetweenFloorAndCeiling) {
  Move(1.0f);
  Frames(4);  // 0.2 a frame: 2.2, 2.4, 2.6, 2.8
  EXPECT_NEAR(Position("Periscope").fZ, 2.8f, 1e-5f);
  Object("Periscope")->local.m[2][3] = 3.0f;  // exactly at the ceiling
  Frame();
  EXPECT_EQ(Position("Periscope").fZ, 3.0f);
  Object("Periscope")->local.m[2][3] = 1.0f;  // exactly at the floor
  Move(-1.0f);
  Frame();
  EXPECT_EQ(Position("Periscope").fZ, 1.0f);
  // No floor: no limit downward.
  SetVariable("PeriscopeFloor", nullptr);
  Frame();
  EXPECT_NEAR(Position("Periscope").fZ, 0.8f, 1e-5f);
  // No input: no move, and no matrix call.
  Move(0.0f);
  Mark();
  Frame();
  EXPECT_EQ(Calls({"SetLocalMatrix"}), Lines{});
}

TEST_F(PeriscopeTest, KeyStatesRepeatEverySecond) {
  const struct {
    bool down;
    int32_t state;
  } steps[] = {
      {true, kKeyPressed}, {true, kKeyHeld},      {false, kKeyReleased}, {false, kKeyUp},
      {true, kKeyPressed}, {false, kKeyReleased}, {true, kKeyPressed},
  };
  float time = 0.0f;
  int32_t state = kKeyUp;
  float now = 0.0f;
  for (const auto& s : steps) {
    state = PeriscopeBrain::StepKey(state, s.down, now, 1.0f, &time);
    EXPECT_EQ(state, s.state) << now;
    now += 0.1f;
  }
  // Held: 2 until more than a second has passed, then 3 and the time anew.
  state = PeriscopeBrain::StepKey(kKeyUp, true, 10.0f, 1.0f, &time);
  EXPECT_EQ(PeriscopeBrain::StepKey(state, true, 11.0f, 1.0f, &time), kKeyHeld);
  EXPECT_EQ(PeriscopeBrain::StepKey(kKeyHeld, true, 11.01f, 1.0f, &time), kKeyRepeat);
  EXPECT_EQ(time, 11.01f);
}

TEST_F(PeriscopeTest, KeyBHeldStepsTheRateOnPressAndRepeats) {
  SetVariable("TheSun", nullptr);
  scene_.frameTime = 0.25f;
  Key(6, true);
  Lines notes;
  for (int i = 0; i < 11; ++i) {
    Mark();
    Frame();
    for (const std::string& line : Said()) notes.push_back(std::to_string(i) + " " + line);
  }
  // Held for 2.5 seconds: pressed at 0, repeated once more than a second
  // has passed (1.25), and again (2.5).
  EXPECT_EQ(notes, (Lines{"0 stage: Master plays at rate 0.25", "5 stage: Master plays at rate 0.5",
                          "10 stage: Master plays at rate 0.75"}));
  EXPECT_EQ(brain_->fRate, 0.75f);
}

TEST_F(PeriscopeTest, RateDrivesTheMaster) {
  const struct {
    float rate;
    int32_t key;
    const char* call;
  } cases[] = {
      {0.25f, 7, "AnimStop(Master, 1, 1, 0, 0, -1, 0, 1)"},
      {0.0f, 7, "AnimContinuePlay(Master, null, 1, 1, 1, 0, 0, 100, 1, 1, 0.25, 0)"},
      {-0.5f, 6, "AnimContinuePlay(Master, null, 1, 1, 1, 0, 0, 100, 1, 1, 0.25, 0)"},
      {0.0f, 6, "AnimContinuePlay(Master, null, 1, 1, 1, 0, 0, 100, 1, 0, 0.25, 0)"},
      {4.0f, 6, nullptr},  // at the maximum: no change, no call
      {-4.0f, 7, nullptr},
  };
  for (const auto& c : cases) {
    brain_->fRate = c.rate;
    brain_->fStateA = brain_->fStateB = kKeyUp;
    Key(c.key, true);
    Mark();
    Frame();
    Key(c.key, false);
    const Lines calls = Calls({"AnimStop", "AnimContinuePlay"});
    EXPECT_EQ(calls, c.call != nullptr ? Lines{c.call} : Lines{}) << c.rate << " " << c.key;
  }
}

TEST_F(PeriscopeTest, FilterFrameFollowsTheViewToTheSun) {
  const struct {
    float degrees;
    int32_t frame;
    const char* call;
  } cases[] = {
      {0.0f, 100, "AnimPlayToFrame(Filter, null, 100, 0, 0, 1, 0, 1, 0, 0)"},
      {0.0f, 100, nullptr},  // unchanged: not driven again
      {15.0f, 75, "AnimPlayToFrame(Filter, null, 75, 0, 0, 1, 1, 1, 0, 0)"},
      {90.0f, 0, "AnimPlayToFrame(Filter, null, 0, 0, 0, 1, 1, 1, 0, 0)"},
      {29.0f, 6, "AnimPlayToFrame(Filter, null, 6, 0, 0, 1, 0, 1, 0, 0)"},
  };
  for (const auto& c : cases) {
    const float a = c.degrees * 3.14159265f / 180.0f;
    Object("Sun")->local.m[0][3] = 100.0f * std::sin(a);
    Object("Sun")->local.m[1][3] = -100.0f * std::cos(a);
    Mark();
    Frame();
    EXPECT_EQ(brain_->fFilterFrame, c.frame) << c.degrees;
    EXPECT_EQ(Calls({"AnimPlayToFrame"}), c.call != nullptr ? Lines{c.call} : Lines{}) << c.degrees;
  }
  // Without a sun, a camera or a filter nothing is driven.
  SetVariable("TheSun", nullptr);
  Object("Sun")->local.m[0][3] = 0.0f;
  Mark();
  Frame();
  stage_.model().SetCamera(nullptr);
  SetVariable("TheSun", "Sun");
  Frame();
  EXPECT_EQ(Calls({"AnimPlayToFrame", "CamGetGoals"}), Lines{});
}

TEST_F(PeriscopeTest, DishTiltsToThePeriscopesHeight) {
  More("object Dish at 0 10 0 viewaxes\n");
  SetVariable("PeriscopeDish", "Dish");
  Object("Periscope")->local.m[2][3] = 10.0f;  // 10 above the dish, 10 away
  Frame();
  const mkMatrix44& m = Object("Dish")->local;
  // The view axis (-y) tilted up about x: its angle to the direction
  // (A.x * dist, A.y * dist, height) with dist = |O - D| = sqrt(200).
  const float tilt = std::atan2(10.0f, std::sqrt(200.0f));
  EXPECT_NEAR(-m.m[2][1], std::sin(tilt), 1e-5f);
  EXPECT_NEAR(-m.m[1][1], -std::cos(tilt), 1e-5f);
  EXPECT_EQ(Calls({"TransformChanged"}), Lines{"TransformChanged(Dish)"});
  // The periscope below: the dish tilts down.
  Object("Periscope")->local.m[2][3] = -10.0f;
  Object("Dish")->local = stage::IdentityMatrix();
  Object("Dish")->local.m[1][3] = 10.0f;
  Object("Dish")->local.flags = 0;
  Frame();
  EXPECT_NEAR(-m.m[2][1], -std::sin(tilt), 1e-5f);
}

TEST_F(PeriscopeTest, DishAtThePeriscopeIsLeftAlone) {
  More("object Dish at 0 0 2 viewaxes\n");
  SetVariable("PeriscopeDish", "Dish");
  const mkMatrix44 before = Object("Dish")->local;
  Frames(2);
  EXPECT_EQ(std::memcmp(&before, &Object("Dish")->local, sizeof before), 0);
  EXPECT_EQ(Calls({"TransformChanged"}), Lines{});
}

// The host brain's Update comes first; the scene variables are asked for by
// their full names (the stage would answer the short ones too).
TEST_F(PeriscopeTest, PassesUpdateOnThenReadsTheGlobalVariables) {
  Frame();
  EXPECT_EQ(Calls({"Periscope.brain.Update", "GetObjKeyByID"}),
            (Lines{"Periscope.brain.Update() ",
                   "GetObjKeyByID(\"global..PeriscopeMaster\") -> key:PeriscopeMaster",
                   "GetObjKeyByID(\"global..PeriscopeCeiling\") -> key:PeriscopeCeiling",
                   "GetObjKeyByID(\"global..PeriscopeFloor\") -> key:PeriscopeFloor",
                   "GetObjKeyByID(\"global..TheSun\") -> key:TheSun",
                   "GetObjKeyByID(\"global..PeriscopeFilter\") -> key:PeriscopeFilter",
                   "GetObjKeyByID(\"global..PeriscopeDish\") -> key:PeriscopeDish"}));
}

TEST_F(PeriscopeTest, MissingMasterIsTheHostsToAnswer) {
  SetVariable("PeriscopeMaster", nullptr);
  SetVariable("TheSun", nullptr);
  Key(6, true);
  Frame();
  EXPECT_EQ(Calls({"AnimContinuePlay"}),
            Lines{"AnimContinuePlay(null, null, 1, 1, 1, 0, 0, 100, 1, 0, 0.25, 0)"});
  EXPECT_EQ(Said(), Lines{});
}

}  // namespace
}  // namespace grovetest
