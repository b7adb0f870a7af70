// ZoomCamSet's limits and the ZoomCam brain: the zoom step, its limits and
// speeds, and the brain's own operations on its host brain.
#include "kiln/kiln_fixture.h"

namespace {

using kilntest::KilnTest;
using kilntest::Lines;

class ZoomCamTest : public KilnTest {
 protected:
  void SetUp() override {
    KilnTest::SetUp();
    Scene(
        "camera Lens at 0 -10 2 fov 60\n object Master\n variable global..ZoomMaster Master\n"
        "brain Lens ZoomCam\n");
    brain_ = stage_.model().FindBrainDll("ZoomCam");
    ASSERT_NE(brain_, nullptr);
    stage_.model().SetClock(0, 1.0f, 0.1f);
  }
  // One zoom step with the controller's forward input `y`.
  void Step(float y) {
    stage_.model().controller().fMovement = {0.0f, y, 0.0f};
    Run("ZoomCamSet", {});  // marks the start of the step's lines
    brain_->UpdateGoals();
  }
  Lines FovSets() { return TracedWith("CamSetFOV"); }
  float Fov() { return stage_.model().FindObject("Lens")->view.fov; }
  egBrainDll* brain_ = nullptr;
};

struct LimitCase {
  const char* name;
  std::vector<std::string> args;
  Lines expected;
  float min, max;  // the limits afterwards
};

void PrintTo(const LimitCase& c, std::ostream* os) {
  *os << c.name;
}

class ZoomLimitTest : public ZoomCamTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(ZoomLimitTest, StoresTheseLimits) {
  EXPECT_EQ(Run("ZoomCamSet", GetParam().args), 1);
  EXPECT_EQ(Said(), GetParam().expected);
  // The limits show in the zoom: far in and far out.
  Step(100.0f);
  EXPECT_EQ(Fov(), GetParam().min);
  Step(-100.0f);
  EXPECT_EQ(Fov(), GetParam().max);
}

const LimitCase kLimitCases[] = {
    {"Plain", {"Master", "20", "90"}, {}, 20.0f, 90.0f},
    {"MinimumTooLow",
     {"Master", "-5", "60"},
     {"warning: ZoomCamSet: minimum FOV is too low at -5.000000"},
     0.0f,
     60.0f},
    {"MaximumTooHigh",
     {"Master", "10", "200"},
     {"warning: ZoomCamSet: maximum FOV is too high at 200.000000"},
     10.0f,
     175.0f},
    {"MinimumAboveMaximum",
     {"Master", "80", "40"},
     {"warning: ZoomCamSet: minFOV(80.000000) is greater than maxFOV(40.000000)"},
     0.0f,
     175.0f},
    // A maximum of 0 is a limit like any other: the view may close to 0.
    {"MaximumZero", {"Master", "0", "0"}, {}, 0.0f, 0.0f},
    {"NotNumbers", {"Master", "nan", "inf"}, {}, 0.0f, 0.0f},
    // A name that names no object sets nothing (the master keeps its limits).
    {"ObjectMissing",
     {"Lnes", "20", "90"},
     {"warning: ZoomCamSet: Lnes object not found"},
     0.0f,
     175.0f},
    {"WrongCount",
     {"Master", "20"},
     {"warning: ZoomCamSet: wrong number of arguments (object,minFOV,maxFOV)"},
     0.0f,
     175.0f},
};

INSTANTIATE_TEST_SUITE_P(Cases, ZoomLimitTest, ::testing::ValuesIn(kLimitCases),
                         [](const ::testing::TestParamInfo<LimitCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(ZoomCamTest, TheInputSetsTheSpeed) {
  Step(0.5f);  // 0.5 * 0.1 s * 20 = 1 degree narrower
  EXPECT_EQ(FovSets(), Lines{"@0 CamSetFOV(Lens, 59, 0)"});
  Step(2.0f);  // (8 - 1) * (2 - 1) + 1 = 8: 16 degrees
  EXPECT_EQ(FovSets(), Lines{"@0 CamSetFOV(Lens, 43, 0)"});
  Step(-0.5f);
  EXPECT_EQ(FovSets(), Lines{"@0 CamSetFOV(Lens, 44, 0)"});
  Step(0.0f);
  EXPECT_EQ(FovSets(), Lines{});
  Step(NAN);
  EXPECT_EQ(FovSets(), Lines{});
}

TEST_F(ZoomCamTest, AFovAtTheLimitIsNotSetAgain) {
  Run("ZoomCamSet", {"Master", "55", "60"});
  // The limits are the record kind 1006.
  EXPECT_EQ(TracedWith("XCmdFindContext"),
            Lines{"@0 XCmdFindContext(Master, 1006, 1006) -> context:Master,1006,1006"});
  Step(-1.0f);
  EXPECT_EQ(FovSets(), Lines{});
  Step(1.0f);
  EXPECT_EQ(FovSets(), Lines{"@0 CamSetFOV(Lens, 58, 0)"});
}

TEST_F(ZoomCamTest, WithoutAMasterTheLimitsAreTheWidest) {
  Run("ZoomCamSet", {"Master", "55", "60"});
  stage::KeyOps(stage_.model())
      .VarSetTo(stage::KeyOps(stage_.model()).GetObjKeyByID("global..ZoomMaster"), nullptr);
  Step(-100.0f);
  EXPECT_EQ(FovSets(), Lines{"@0 CamSetFOV(Lens, 175, 0)"});
}

TEST_F(ZoomCamTest, BrainOperations) {
  EXPECT_EQ(brain_->GetType(), 303);
  EXPECT_STREQ(brain_->GetName(), "ZoomCam");
  const mkVector3 v{1.0f, 2.0f, 3.0f};
  Run("ZoomCamSet", {});
  mkVector3 a{}, b{}, c{};
  EXPECT_EQ(brain_->AdjustVectorA(&a, v), &a);
  EXPECT_EQ(brain_->AdjustVectorB(&b, v), &b);
  EXPECT_EQ(brain_->AdjustVectorC(&c, v), &c);
  EXPECT_EQ(a.fY, 2.0f);
  EXPECT_EQ(b.fZ, 3.0f);
  EXPECT_EQ(c.fX, 1.0f);
  EXPECT_TRUE(TracedWith("brain.Adjust").empty());  // not passed on

  stage_.model().FindObject("Lens")->currents = 0;
  Run("ZoomCamSet", {});
  EXPECT_EQ(brain_->Reset(), 0);
  Lines reset;
  for (const auto& line : Traced())
    if (line.find("ZoomCamSet") == std::string::npos) reset.push_back(line);
  EXPECT_EQ(reset,
            (Lines{"@0 Lens.brain.Reset() ", "@0 CamSetToTrack(Lens, 1, 1, 1, 1)",
                   "@0 AnimStop(Lens, 1, 1, 0, 0, -1, 0, 1)",
                   "@0 SetExternVelocity(Lens, &(0 0 0))", "@0 GetCurrentsAffect(Lens) -> 0",
                   "@0 SetCurrentsAffect(Lens, 0)", "@0 CamViewObject(Lens, null, 0, &(0 0 0), 0)",
                   "@0 CamSetTransformObject(Lens, null)"}));
  // Detaching restores the saved setting; with a camera of its own the
  // host's hook is not called.
  stage_.model().FindObject("Lens")->currents = 1;
  Run("ZoomCamSet", {});
  brain_->PrepareToDetach();
  EXPECT_EQ(TracedWith("Currents"), Lines{"@0 SetCurrentsAffect(Lens, 0)"});
  EXPECT_TRUE(TracedWith("HostPrepareHook").empty());
  EXPECT_EQ(TracedWith("brain.PrepareToDetach"), Lines{"@0 Lens.brain.PrepareToDetach() "});
  // It collides only without a camera of its own.
  EXPECT_EQ(brain_->CanCollideWith(nullptr), 0);
}

// A ZoomCam on an object that is no camera: it leaves a driving current
// camera alone, and its detach calls the host's hook.
TEST(ZoomCamWithoutCameraTest, LeavesADrivingCameraAlone) {
  stage::Stage stage;
  std::string error;
  ASSERT_TRUE(stage.LoadPlugin(KILNXCMD_PLUGIN_PATH, &error)) << error;
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::ParseScene("camera Lens mode drive fov 50\n object Rig\n brain Rig ZoomCam\n",
                                &scene, &errors));
  ASSERT_TRUE(stage.Build(scene, &errors)) << errors[0];
  egBrainDll* brain = stage.model().FindBrainDll("ZoomCam");
  stage.model().SetClock(0, 1.0f, 0.1f);
  stage.model().controller().fMovement = {0.0f, 1.0f, 0.0f};
  const size_t before = stage.model().trace().lines().size();
  brain->UpdateGoals();
  EXPECT_EQ(stage.model().trace().lines().size() - before,
            3u);  // GetCamera, CamGetMode, CamIsDriveMode
  EXPECT_EQ(stage.model().trace().lines().back(), "@0 CamIsDriveMode(2) -> 1");
  EXPECT_EQ(brain->CanCollideWith(nullptr), 1);
  brain->PrepareToDetach();
  EXPECT_EQ(stage.model().trace().lines().back(), "@0 SetCurrentsAffect(Rig, 1)");
  EXPECT_EQ(stage.model().trace().lines().end()[-2], "@0 Rig.brain.HostPrepareHook()");
  // Bit 0 of the flags word at byte 20 of the owner's brain data keeps the
  // hook from being called; the other bits do not.
  uint8_t* flags = stage.model().FindObject("Rig")->brainData.bytes + 20;
  for (const uint8_t bits : {uint8_t(0xFE), uint8_t(0x01), uint8_t(0xFF)}) {
    flags[0] = bits;
    const size_t mark = stage.model().trace().lines().size();
    brain->PrepareToDetach();
    bool hooked = false;
    for (size_t i = mark; i < stage.model().trace().lines().size(); ++i)
      hooked = hooked || stage.model().trace().lines()[i] == "@0 Rig.brain.HostPrepareHook()";
    EXPECT_EQ(hooked, (bits & 1) == 0) << int(bits);
  }
  // Only the word at byte 20 counts: bit 0 of byte 16 or 24 is not the flag.
  flags[0] = 0;
  flags[-4] = 1;
  flags[4] = 1;
  const size_t mark = stage.model().trace().lines().size();
  brain->PrepareToDetach();
  EXPECT_EQ(stage.model().trace().lines().end()[-2], "@0 Rig.brain.HostPrepareHook()");
  EXPECT_GT(stage.model().trace().lines().size(), mark);
}

}  // namespace
