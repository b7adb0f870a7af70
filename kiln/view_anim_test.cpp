// Frames chosen by the view around a reference object, and stepped frames.
#include "kiln/kiln_fixture.h"

namespace {

using kilntest::KilnTest;
using kilntest::Lines;

class ViewAnimTest : public KilnTest {
 protected:
  void SetUp() override {
    KilnTest::SetUp();
    Scene(
        "object Pivot\n object Picture\n behavior Picture views frames 36\n object the_camera at "
        "10 0 0\n");
  }
  void CameraAt(float x, float y) {
    stage::SceneObject* camera = stage_.model().FindObject("the_camera");
    camera->local.m[0][3] = x;
    camera->local.m[1][3] = y;
  }
  Lines Frames() { return TracedWith("AnimPlayToFrame"); }
};

struct ViewCase {
  const char* name;
  float x, y;                      // the camera
  std::vector<std::string> extra;  // Offset, Frames, Direction
  std::string rads, percent;
  int32_t frame;
};

void PrintTo(const ViewCase& c, std::ostream* os) {
  *os << c.name;
}

class ViewAngleTest : public ViewAnimTest, public ::testing::WithParamInterface<ViewCase> {};

TEST_P(ViewAngleTest, ChoosesTheFrame) {
  const ViewCase& c = GetParam();
  CameraAt(c.x, c.y);
  std::vector<std::string> args = {"Picture", "Pivot"};
  args.insert(args.end(), c.extra.begin(), c.extra.end());
  EXPECT_EQ(Run("ViewIntoAnimate", args), 0);
  char to[96];
  std::snprintf(to, sizeof to, "%f,%f,%f", double(c.x), double(c.y), 0.0);
  EXPECT_EQ(Said(), (Lines{"warning: ObjRotatedFromCam: Pivot view = 1.000000,0.000000,0.000000",
                           std::string("warning: ObjRotatedFromCam: toCam vector = ") + to,
                           "warning: ObjRotatedFromCam: rads = " + c.rads,
                           "warning: ViewIntoAnimate: percent=" + c.percent +
                               " previous_frame=-1 next_frame=" + std::to_string(c.frame)}));
  EXPECT_EQ(Frames(), Lines{"@0 AnimPlayToFrame(Picture, null, " + std::to_string(c.frame) +
                            ", 0, 0, 1, 0, 1, 1, 0)"});
}

const ViewCase kViewCases[] = {
    // Straight ahead: Frames - 0 = Frames, which is not above Frames.
    {"Ahead", 10, 0, {}, "0.000000", "0.000000", 360},
    {"AheadOffsetWraps", 10, 0, {"10"}, "0.000000", "0.000000", 10},
    // The cross product points down: the arc cosine itself.
    {"Right", 0, -10, {}, "1.570796", "0.250000", 270},
    {"RightBackward", 0, -10, {"0", "360", "-"}, "1.570796", "0.250000", 90},
    {"Left", 0, 10, {}, "4.712389", "0.750000", 90},
    {"LeftOf36", 0, 10, {"0", "36"}, "4.712389", "0.750000", 9},
    {"LeftOf36Offset", 0, 10, {"2", "36", "+"}, "4.712389", "0.750000", 11},
    {"Behind", -10, 0, {}, "3.141593", "0.500000", 180},
    // The camera on the pivot: no direction, the angle of a zero cosine.
    {"OnThePivot", 0, 0, {}, "1.570796", "0.250000", 270},
};

INSTANTIATE_TEST_SUITE_P(Cases, ViewAngleTest, ::testing::ValuesIn(kViewCases),
                         [](const ::testing::TestParamInfo<ViewCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(ViewAnimTest, TheSameFrameIsNotSentAgain) {
  CameraAt(0, -10);
  Run("ViewIntoAnimate", {"Picture", "Pivot"});
  Run("ViewIntoAnimate", {"Picture", "Pivot"});
  EXPECT_EQ(Frames(), Lines{});
  EXPECT_EQ(Said().back(),
            "warning: ViewIntoAnimate: percent=0.250000 previous_frame=270 next_frame=270");
  EXPECT_EQ(TracedWith("XCmdFindContext"),
            Lines{"@0 XCmdFindContext(Picture, Pivot, null) -> context:Picture,Pivot,0"});
}

TEST_F(ViewAnimTest, MissingObjectsAndBadCounts) {
  EXPECT_EQ(Run("ViewIntoAnimate", {"Ghost", "Pivot"}), 0);
  EXPECT_EQ(Said(), Lines{"warning: ViewIntoAnimate: scene obj Ghost is not found"});
  EXPECT_EQ(Run("ViewIntoAnimate", {"Picture", "Ghost"}), 0);
  EXPECT_EQ(Said(), Lines{"warning: ViewIntoAnimate: refobj Ghost is not found"});
  EXPECT_EQ(Run("ViewIntoAnimate", {"Picture"}), 1);
  EXPECT_EQ(Said(), Lines{"warning: ViewIntoAnimate: wrong number of arguments "
                          "(OBJECT,REFOBJ,[OFFSET,FRAMES,SECS,DIRECTION])"});
  EXPECT_EQ(Run("ViewIntoAnimate", {"Picture", "Pivot", "0", "0"}), 1);
  EXPECT_EQ(Said(), Lines{"warning: ViewIntoAnimate: FRAMES must be greater than 0 (it is 0)"});
  EXPECT_EQ(Frames(), Lines{});
}

TEST_F(ViewAnimTest, TestAviStepsAndWraps) {
  EXPECT_EQ(Run("TestAvi", {"Picture", "dec", "4"}), 1);
  EXPECT_EQ(Said(), Lines{"warning: TestAvi: previous_frame=0 next_frame=3"});
  EXPECT_EQ(Frames(), Lines{"@0 AnimPlayToFrame(Picture, null, 3, 0, 0, 1, 0, 1, 1, 0)"});
  // The frame is kept in the record kind 999.
  EXPECT_EQ(TracedWith("XCmdFindContext"),
            Lines{"@0 XCmdFindContext(Picture, 999, 999) -> context:Picture,999,999"});
  Run("TestAvi", {"Picture", "inc", "4"});
  EXPECT_EQ(Said(), Lines{"warning: TestAvi: previous_frame=3 next_frame=0"});
  Run("TestAvi", {"Picture", "inc", "4"});
  EXPECT_EQ(Said(), Lines{"warning: TestAvi: previous_frame=0 next_frame=1"});
  Run("TestAvi", {"Picture", "up", "4"});
  EXPECT_EQ(Said(), (Lines{"warning: TestAvi: unrecongized command up",
                           "warning: TestAvi: previous_frame=1 next_frame=1"}));
  EXPECT_EQ(Frames(), Lines{});
  EXPECT_EQ(stage::AnimationOps(stage_.model())
                .BehGetLastPlayed(stage::AnimationOps(stage_.model())
                                      .GetBehavior(reinterpret_cast<mkSceneObject*>(
                                          stage_.model().FindObject("Picture")))),
            1);
}

TEST_F(ViewAnimTest, TestAviRefusals) {
  Run("TestAvi", {"Ghost", "inc", "4"});
  EXPECT_EQ(Said(), Lines{"warning: TestAvi: scene obj Ghost is not found"});
  Run("TestAvi", {"Picture", "dec", "0"});
  EXPECT_EQ(Said(), Lines{"warning: TestAvi: LENGTH must be greater than 0 (it is 0)"});
  Run("TestAvi", {"Picture", "inc"});
  EXPECT_EQ(Said(), Lines{"warning: TestAvi: wrong number of arguments (OBJECT,COMMAND,LENGTH)"});
  EXPECT_EQ(Frames(), Lines{});
}

}  // namespace
