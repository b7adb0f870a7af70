// The diagnostic display commands: their lines, their channels and the
// limit of a line.
#include "kiln/kiln_fixture.h"

namespace {

using kilntest::KilnTest;
using kilntest::Lines;

class DisplayTest : public KilnTest {
 protected:
  void SetUp() override {
    KilnTest::SetUp();
    Scene(
        "object Table at 1 2 0\n object Cup parent Table at 0 0 1\n object Rock\n"
        "object Fan\n behavior Fan spin frames 30 loop 5 20\n"
        "camera Lens at 0 -10 2 lookat 0 0 1\n variable a_child\n variable chosen Cup\n variable "
        "empty\n");
  }
};

struct DisplayCase {
  const char* name;
  std::vector<std::string> run;
  Lines expected;
  int32_t result = 1;
  Lines calls = {};  // the host calls in their order; empty: not checked
};

void PrintTo(const DisplayCase& c, std::ostream* os) {
  *os << c.name;
}

class DisplayCaseTest : public DisplayTest, public ::testing::WithParamInterface<DisplayCase> {};

TEST_P(DisplayCaseTest, GivesTheseLines) {
  stage::Behavior* spin = stage_.model().FindObject("Fan")->behaviors[0];
  stage_.model().Play(spin);
  spin->position = 12.5f / 30.0f;
  const auto& run = GetParam().run;
  EXPECT_EQ(Run(run[0], std::vector<std::string>(run.begin() + 1, run.end())), GetParam().result);
  EXPECT_EQ(Said(), GetParam().expected);
  if (!GetParam().calls.empty()) {
    EXPECT_EQ(Calls(), GetParam().calls);
  }
}

const DisplayCase kDisplayCases[] = {
    {"Child",
     {"DisplayChild", "Table"},
     {"log: DisplayChild: Table(Parent) <- Cup(Child)"},
     1,
     {"GetSceneObjectByID(\"Table\") -> Table", "GetObjKeyByID(\"a_child\") -> key:a_child",
      "VarSetToFirstChild(key:a_child, Table)", "GetID(Table) -> \"Table\"",
      "GetID(Cup) -> \"Cup\"", "ApiMessage(\"DisplayChild: Table(Parent) <- Cup(Child)\")"}},
    {"NoChild", {"DisplayChild", "Rock"}, {"log: DisplayChild: Rock(Parent) - no children"}},
    {"ChildParentMissing", {"DisplayChild", "Ghost"}, {"log: DisplayChild: Parent not found"}},
    {"ChildWithoutArgument",
     {"DisplayChild"},
     {"warning: DisplayChild: wrong number of arguments (Parent)"}},
    {"Variable",
     {"DisplayVariable", "chosen"},
     {"log: DisplayVariable: chosen(variable) = Cup(object)"}},
    {"VariableEmpty", {"DisplayVariable", "empty"}, {"log: DisplayVariable: empty not set."}},
    {"VariableMissing", {"DisplayVariable", "nowhere"}, {"log: DisplayVariable: nowhere not set."}},
    // Lines are cut at 511 characters.
    {"VariableLineCut",
     {"DisplayVariable", std::string(600, 'v')},
     {"log: DisplayVariable: " + std::string(511 - 17, 'v')}},
    {"VariableWithoutArgument",
     {"DisplayVariable"},
     {"warning: DisplayVariable: wrong number of arguments (Variable)"}},
    {"Frames",
     {"DisplayNumberFrames", "Fan"},
     {"log: DisplayNumberFrames: Fan has 30 frames: loopstart=5 loopend=20",
      "log: DisplayNumberFrames: Fan is at 12 frame, next frame is 13"},
     1,
     {"GetSceneObjectByID(\"Fan\") -> Fan", "GetBehavior(Fan) -> behavior:Fan..spin",
      "BehGetNumFrames(behavior:Fan..spin) -> 30", "BehGetLoopStart(behavior:Fan..spin) -> 5",
      "BehGetLoopEnd(behavior:Fan..spin) -> 20",
      "ApiMessage(\"DisplayNumberFrames: Fan has 30 frames: loopstart=5 loopend=20\")",
      "BehGetLastPlayed(behavior:Fan..spin) -> 12", "BehGetNextPlayed(behavior:Fan..spin, 0) -> 13",
      "ApiMessage(\"DisplayNumberFrames: Fan is at 12 frame, next frame is 13\")"}},
    {"FramesWithoutAnimation",
     {"DisplayNumberFrames", "Rock"},
     {"log: DisplayNumberFrames: Rock animation not found."}},
    {"FramesMissing",
     {"DisplayNumberFrames", "Ghost"},
     {"log: DisplayNumberFrames: Ghost not found."}},
    {"FramesWithoutArgument",
     {"DisplayNumberFrames"},
     {"warning: DisplayNumberFrames: wrong number of arguments (Object)"}},
    {"Camera",
     {"DisplayCamera", "Lens"},
     {"warning: DisplayCamera: Lens IS a camera.",
      "warning: DisplayCamera: CamGetGoals->camFrom 0.000000,-10.000000,2.000000",
      "warning: DisplayCamera: CamGetGoals->camAt 0.000000,0.000000,1.000000",
      "warning: DisplayCamera: GetWorldPos->camFrom 0.000000,-10.000000,2.000000",
      "warning: DisplayCamera: CamGetAt->camAt 0.000000,0.000000,1.000000"}},
    {"NotACamera",
     {"DisplayCamera", "Cup"},
     {"warning: DisplayCamera: Cup is NOT a camera.",
      "warning: DisplayCamera: CamGetGoals->camFrom 0.000000,-10.000000,2.000000",
      "warning: DisplayCamera: CamGetGoals->camAt 0.000000,0.000000,1.000000",
      "warning: DisplayCamera: GetWorldPos->camFrom 1.000000,2.000000,1.000000",
      "warning: DisplayCamera: CamGetAt->camAt 0.000000,0.000000,1.000000"}},
    {"CameraMissing", {"DisplayCamera", "Ghost"}, {"log: DisplayCamera: Ghost not found."}},
    {"CameraWithoutArgument",
     {"DisplayCamera"},
     {"warning: DisplayCamera: wrong number of arguments (Object)"}},
    {"PosOnce",
     {"DisplayPos", "Cup", "No"},
     {"log: DisplayPos: Cup center x=1.000000 y=2.000000 z=1.000000",
      "log: DisplayPos: Cup pivot x=1.000000 y=2.000000 z=1.000000",
      "warning: DisplayPos: view_vect 1.000000,0.000000,0.000000",
      "warning: DisplayPos: right_vect 0.000000,0.000000,1.000000",
      "warning: DisplayPos: up_vect 0.000000,1.000000,0.000000"}},
    {"PosAgain",
     {"DisplayPos", "Rock", "Yes"},
     {"log: DisplayPos: Rock center x=0.000000 y=0.000000 z=0.000000",
      "log: DisplayPos: Rock pivot x=0.000000 y=0.000000 z=0.000000",
      "warning: DisplayPos: view_vect 1.000000,0.000000,0.000000",
      "warning: DisplayPos: right_vect 0.000000,0.000000,1.000000",
      "warning: DisplayPos: up_vect 0.000000,1.000000,0.000000"},
     0},
    {"PosYesIsExact", {"DisplayPos", "Ghost", "yes"}, {"log: DisplayPos: Couldn't find Ghost"}, 1},
    {"PosMissingAgain",
     {"DisplayPos", "Ghost", "Yes"},
     {"log: DisplayPos: Couldn't find Ghost"},
     0},
    {"PosWrongCount",
     {"DisplayPos", "Cup"},
     {"warning: DisplayPos: wrong number of arguments (OBJECT,UPDATE)"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, DisplayCaseTest, ::testing::ValuesIn(kDisplayCases),
                         [](const ::testing::TestParamInfo<DisplayCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(DisplayTest, DisplayChildLeavesTheFirstChildBound) {
  Run("DisplayChild", {"Table"});
  EXPECT_EQ(stage::KeyOps(stage_.model()).GetObjKeyByID("a_child")->fObject,
            stage_.model().FindObject("Cup"));
}

}  // namespace
