// Camera jiggle: oscillator records by id, their settings, activation of
// the camera, the shake, muting, killing and expiry.
#include "kiln/kiln_fixture.h"

namespace {

using kilntest::KilnTest;
using kilntest::Lines;

class JiggyCamTest : public KilnTest {
 protected:
  void SetUp() override {
    KilnTest::SetUp();
    Scene("camera Lens at 0 -10 2 lookat 0 0 1\n");
    stage_.model().SetClock(0, 0.0f, 0.1f);
  }
  void At(float seconds) { stage_.model().SetClock(0, seconds, 0.1f); }
  Lines Goals() {
    Lines calls;
    for (const auto& line : Traced())
      if (line.find("CamSet") != std::string::npos) calls.push_back(line);
    return calls;
  }
};

TEST_F(JiggyCamTest, IdsFindTheirRecordsInTheOrderMade) {
  Run("JiggyCam", {"set", "7", "0.5"});
  EXPECT_EQ(Said(), Lines{"log: JiggyCam: set period=0.500000, type=3, shape=0.000000, bipolar=1"});
  EXPECT_EQ(TracedWith("1004"),
            Lines{"@0 XCmdFindContext(Lens, 1004, null) -> context:Lens,1004,0"});
  // The camera's own record is the kind 1003.
  EXPECT_EQ(TracedWith("1003"),
            Lines{"@0 XCmdFindContext(Lens, 1003, 1003) -> context:Lens,1003,1003"});
  Run("JiggyCam", {"set", "3", "1", "rect", "0.5", "false"});
  EXPECT_EQ(Said(), Lines{"log: JiggyCam: set period=1.000000, type=1, shape=0.500000, bipolar=0"});
  EXPECT_EQ(TracedWith("1004"),
            (Lines{"@0 XCmdFindContext(Lens, 1004, null) -> context:Lens,1004,0",
                   "@0 XCmdFindContext(Lens, 1004, 1) -> context:Lens,1004,1"}));
  Run("JiggyCam", {"set", "3", "2", "triangle"});
  EXPECT_EQ(Said(), Lines{"log: JiggyCam: set period=2.000000, type=2, shape=0.000000, bipolar=1"});
  EXPECT_EQ(TracedWith("1004"),
            (Lines{"@0 XCmdFindContext(Lens, 1004, null) -> context:Lens,1004,0",
                   "@0 XCmdFindContext(Lens, 1004, 1) -> context:Lens,1004,1"}));
}

struct JiggleCase {
  const char* name;
  std::vector<std::string> args;
  Lines expected;
};

void PrintTo(const JiggleCase& c, std::ostream* os) {
  *os << c.name;
}

class JiggyCamCaseTest : public JiggyCamTest, public ::testing::WithParamInterface<JiggleCase> {};

TEST_P(JiggyCamCaseTest, GivesTheseLines) {
  EXPECT_EQ(Run("JiggyCam", GetParam().args), 1);
  EXPECT_EQ(Said(), GetParam().expected);
}

const JiggleCase kJiggleCases[] = {
    {"SetAll", {"set", "all", "0.5"}, {}},
    {"SetWithoutPeriod",
     {"set", "1"},
     {"warning: JiggyCam: set - wrong number of arguments (period(type,shape,bipolar))"}},
    {"Var", {"var", "1", "0.3", "0.2"}, {"log: JiggyCam: var freq=0.300000, ampl=0.200000"}},
    {"VarWrongCount",
     {"var", "1", "0.3"},
     {"log: JiggyCam: var - wrong number of arguments (freq,ampl)"}},
    {"EaseIn",
     {"ease_in", "1", "2", "triangle", "0.5"},
     {"log: JiggyCam: ease_in time=2.000000 type=2 shape=0.500000"}},
    {"EaseInWrongCount",
     {"ease_in", "1"},
     {"log: JiggyCam: ease_in - wrong number of arguments (time(type,shape))"}},
    {"EaseOut",
     {"ease_out", "1", "1"},
     {"log: JiggyCam: ease_out time=1.000000 type=3 shape=0.000000"}},
    {"EaseOutWrongCount",
     {"ease_out", "1"},
     {"log: JiggyCam: ease_out - wrong number of arguments (time(type,shape))"}},
    {"Middle", {"middle", "1", "2"}, {"log: JiggyCam: middle time=2.000000"}},
    {"MiddleWrongCount",
     {"middle", "1", "2", "3"},
     {"log: JiggyCam: middle - wrong number of arguments (time)"}},
    {"Vec",
     {"vec", "1", "0", "0", "0.3"},
     {"log: JiggyCam: vec x=0.000000, y=0.000000, z=0.300000"}},
    {"VecWrongCount",
     {"vec", "1", "0", "0"},
     {"log: JiggyCam: vec - wrong number of arguments (x,y,z)"}},
    {"Unrecognized", {"shake", "1"}, {"log: JiggyCam: unrecognized command."}},
    {"UnrecognizedAll", {"shake", "all"}, {"log: JiggyCam: unrecognized command."}},
    {"KillAll",
     {"kill", "all"},
     {"warning: JiggyCam: kill needs the number of an oscillator, not all"}},
    {"ActivateAll",
     {"activate", "all"},
     {"warning: JiggyCam: activate needs the number of an oscillator, not all"}},
    {"WithoutId", {"set"}, {"warning: JiggyCam: wrong number of arguments (Command, Id, ...)"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, JiggyCamCaseTest, ::testing::ValuesIn(kJiggleCases),
                         [](const ::testing::TestParamInfo<JiggleCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(JiggyCamTest, ActivationCapturesThePoseAndTheUpdateShakesAboutIt) {
  Run("JiggyCam", {"vec", "1", "0", "0", "2"});
  EXPECT_EQ(Run("JiggyCamUpdate", {}), 1);  // nothing active
  Run("JiggyCam", {"activate", "1"});
  EXPECT_EQ(Said(), Lines{});
  Lines calls;
  for (const auto& line : Traced())
    if (line.find("@0 Cam") == 0) calls.push_back(line);
  EXPECT_EQ(
      calls,
      (Lines{"@0 CamViewObject(Lens, null, 0, &(0 0 0), 0)", "@0 CamSetTransformObject(Lens, null)",
             "@0 CamGetGoals(Lens, &(0 -10 2), null, null, null)", "@0 CamGetAt(Lens, &(0 0 1))"}));
  // Sine, period 1, bipolar, at 0.25 s: 2 * 0.84375 - 1 = 0.6875; times 2.
  At(0.25f);
  EXPECT_EQ(Run("JiggyCamUpdate", {}), 0);
  EXPECT_EQ(Goals(), (Lines{"@0 CamSetFromGoal(Lens, &(0 -10 3.375))",
                            "@0 CamSetAtGoal(Lens, &(0 0 2.375))"}));
  EXPECT_EQ(Said(), Lines{});  // no envelope, no envelope lines
  Run("JiggyCam", {"kill", "1"});
  EXPECT_EQ(Run("JiggyCamUpdate", {}), 0);
  EXPECT_EQ(Goals(),
            (Lines{"@0 CamSetFromGoal(Lens, &(0 -10 2))", "@0 CamSetAtGoal(Lens, &(0 0 1))"}));
  EXPECT_EQ(Said(), (Lines{"log: JiggyCamUpdate: Oscillator 1 is inactive",
                           "log: JiggyCamUpdate: Everybody has gone inactive"}));
  EXPECT_EQ(Run("JiggyCamUpdate", {}), 1);
  EXPECT_EQ(Goals(), Lines{});
}

TEST_F(JiggyCamTest, AMutedOscillatorKeepsTheJiggleGoing) {
  Run("JiggyCam", {"vec", "1", "1", "0", "0"});
  Run("JiggyCam", {"activate", "1"});
  Run("JiggyCam", {"mute", "1"});
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Run("JiggyCamUpdate", {}), 0);
    EXPECT_EQ(Said(), Lines{"log: JiggyCamUpdate: Oscillator 1 is inactive"});
    EXPECT_EQ(Goals(),
              (Lines{"@0 CamSetFromGoal(Lens, &(0 -10 2))", "@0 CamSetAtGoal(Lens, &(0 0 1))"}));
  }
}

TEST_F(JiggyCamTest, TheEnvelopeRunsOutAndTheJiggleEnds) {
  Run("JiggyCam", {"vec", "4", "0", "0", "1"});
  Run("JiggyCam", {"ease_out", "4", "1"});
  Run("JiggyCam", {"activate", "4"});
  At(0.5f);
  Run("JiggyCamUpdate", {});
  EXPECT_EQ(Said(), Lines{"log: ktDampOscil: ease_out time left=0.500000"});
  At(1.0f);
  Run("JiggyCamUpdate", {});
  EXPECT_EQ(Said(), (Lines{"log: ktDampOscil: expired!",
                           "log: JiggyCamUpdate: Oscillator 4 dampening has expired",
                           "log: JiggyCamUpdate: Everybody has gone inactive"}));
  EXPECT_EQ(Goals(),
            (Lines{"@0 CamSetFromGoal(Lens, &(0 -10 2))", "@0 CamSetAtGoal(Lens, &(0 0 1))"}));
  // Activated again, the pose is captured again.
  Run("JiggyCam", {"activate", "4"});
  EXPECT_EQ(TracedWith("CamGetGoals").size(), 1u);
}

TEST_F(JiggyCamTest, AZeroPeriodGivesAStillOffset) {
  Run("JiggyCam", {"set", "1", "0"});
  Run("JiggyCam", {"vec", "1", "0", "0", "1"});
  Run("JiggyCam", {"activate", "1"});
  At(3.3f);
  Run("JiggyCamUpdate", {});
  // The phase stays at the begin time's: sine, bipolar, phase 1 gives 1.
  EXPECT_EQ(Goals(),
            (Lines{"@0 CamSetFromGoal(Lens, &(0 -10 3))", "@0 CamSetAtGoal(Lens, &(0 0 2))"}));
}

}  // namespace
