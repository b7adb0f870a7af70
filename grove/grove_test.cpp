// The built GroveXcmd plug-in loaded into the stage as the engine loads it:
// its lists and exports, the operation slots of its objects, the dish
// puzzle's commands, SetPeriscopeVars, the diagnostics and the shovel.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "grove/grove_fixture.h"
#include "kit/testing/raw_slots.h"

namespace grovetest {
namespace {

using mktest::CallSlot;

TEST_F(GroveTest, LoadsAsTheEngineDoes) {
  const auto& library = *stage_.plugins()[0];
  EXPECT_EQ(library.xcmdNames,
            (Lines{"CheckSunPower", "JustGotoFrame", "TestRotateDish", "TestOpacityFilter",
                   "SetPeriscopeVars", "DistanceTest", "FaceTest", "DisplayCurFear"}));
  EXPECT_EQ(library.brainNames, (Lines{"BeetleBrainSingle", "Periscope"}));
  EXPECT_EQ(library.brainClassNames, Lines{"cBeetleBrain"});
  EXPECT_EQ(library.xcmdMajor, 2);
  EXPECT_EQ(library.xcmdMinor, 27);
  EXPECT_EQ(library.brainMajor, 2);
  EXPECT_EQ(library.brainMinor, 27);
  // Exported by name, listed nowhere: the stage's lists do not bind it.
  auto* shovel = static_cast<egBrainDll*>(library.Symbol("ShovelVehicle"));
  ASSERT_NE(shovel, nullptr);
  EXPECT_EQ(stage_.model().FindBrainDll("ShovelVehicle"), nullptr);
  EXPECT_EQ(shovel->fSceneApi, nullptr);
  EXPECT_EQ(shovel->fRefCount, 1);
}

TEST_F(GroveTest, BrainSlots) {
  const auto& library = *stage_.plugins()[0];
  const struct {
    const char* name;
    int32_t type;
    const char* brainName;
  } brains[] = {{"BeetleBrainSingle", 300, "BeetleBrain"},
                {"Periscope", 300, "Periscope"},
                {"ShovelVehicle", 302, "ShovelVehicle"}};
  for (const auto& b : brains) {
    void* brain = library.Symbol(b.name);
    ASSERT_NE(brain, nullptr) << b.name;
    EXPECT_EQ(CallSlot<int32_t>(brain, 12), b.type) << b.name;                     // GetType
    EXPECT_STREQ(CallSlot<const char*>(brain, 22), b.brainName) << b.name;         // GetName
    EXPECT_EQ(CallSlot<egBrainDll*>(brain, 32), static_cast<egBrainDll*>(brain));  // SelfBrain
  }
}

TEST_F(GroveTest, BrainClassMakesOneBeetlePerPairOfNames) {
  auto* beetles = static_cast<cBeetleBrain*>(stage_.model().FindBrainClass("cBeetleBrain"));
  ASSERT_NE(beetles, nullptr);
  EXPECT_EQ(beetles->fSceneApi, &stage_.api());
  EXPECT_EQ(mktest::OffsetOf(*beetles, beetles->fBrains),
            mktest::OffsetOf(*beetles, beetles->fSceneApi) + ptrdiff_t(sizeof(void*)));
  EXPECT_EQ(CallSlot<int32_t>(beetles, 13), 2);  // GetClassKind
  CallSlot<void>(beetles, 14);                   // Prepare
  auto* first = CallSlot<egBrainDll*>(beetles, 15, "A", "B");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CallSlot<egBrainDll*>(beetles, 15, "a", "b"), first);
  auto* second = CallSlot<egBrainDll*>(beetles, 15, "A", "C");
  EXPECT_NE(second, first);
  EXPECT_EQ(first->fSceneApi, &stage_.api());
  EXPECT_STREQ(static_cast<BeetleBrain*>(first)->fFirstName, "A");
  EXPECT_STREQ(static_cast<BeetleBrain*>(first)->fSecondName, "B");
  EXPECT_STREQ(first->GetName(), "BeetleBrain");
  ASSERT_EQ(beetles->fBrains.fCount, 2);

  // Class parameters reach every brain; "Speed" is not "speed".
  const char* speed[] = {"speed", "123.5"};
  CallSlot<void>(beetles, 16, "ignored", int32_t(2), speed);
  EXPECT_EQ(static_cast<BeetleBrain*>(first)->fRunSpeed, 123.5f);
  EXPECT_EQ(static_cast<BeetleBrain*>(second)->fRunSpeed, 123.5f);
  const char* capital[] = {"Speed", "7"};
  CallSlot<void>(beetles, 16, "ignored", int32_t(2), capital);
  const char* alone[] = {"speed"};
  CallSlot<void>(beetles, 16, "ignored", int32_t(1), alone);
  EXPECT_EQ(static_cast<BeetleBrain*>(first)->fRunSpeed, 123.5f);
}

// Class-made beetles draw after Prepare has seeded the generator with
// time(): their values are those of that seed, whatever seed came before.
TEST_F(GroveTest, ClassMadeBeetlesDrawFromPreparesSeed) {
  auto* beetles = static_cast<cBeetleBrain*>(stage_.model().FindBrainClass("cBeetleBrain"));
  ASSERT_NE(beetles, nullptr);
  const int64_t clock = std::time(nullptr);
  stage::SetSceneCalendarTime(5001);
  int draws[2][6];
  for (int seed = 0; seed < 2; ++seed) {
    std::srand(seed == 0 ? 5001u : 77u);
    for (int& draw : draws[seed]) draw = std::rand();
  }
  ASSERT_NE(draws[0][0] % 50, draws[1][0] % 50);
  std::srand(77);  // another seed before Prepare
  CallSlot<void>(beetles, 14);
  auto* made = static_cast<BeetleBrain*>(CallSlot<egBrainDll*>(beetles, 15, "A", "B"));
  stage::SetSceneCalendarTime(clock);
  ASSERT_NE(made, nullptr);
  const int* d = draws[0];
  EXPECT_EQ(made->fRunSpeed, 200.0f + float(d[0] % 50));
  EXPECT_EQ(made->fCuriosityRange, 2000.0f + float(d[1] % 500));
  EXPECT_EQ(made->fCuriosityScale, 500.0f + float(d[2] % 100));
  EXPECT_EQ(made->fFearRange, 800.0f + float(d[3] % 100));
  EXPECT_EQ(made->fCuriosityWeight, 0.8f + 0.1f * float(d[4] % 3));
  EXPECT_EQ(made->fFearWeight, 0.8f + 0.1f * float(d[5] % 3));
}

TEST_F(GroveTest, BeetleRandomRangesAndLayout) {
  for (int i = 0; i < 50; ++i) {
    BeetleBrain b;
    EXPECT_GE(b.fRunSpeed, 200.0f);
    EXPECT_LT(b.fRunSpeed, 250.0f);
    EXPECT_GE(b.fCuriosityRange, 2000.0f);
    EXPECT_LT(b.fCuriosityRange, 2500.0f);
    EXPECT_GE(b.fCuriosityScale, 500.0f);
    EXPECT_LT(b.fCuriosityScale, 600.0f);
    EXPECT_GE(b.fFearRange, 800.0f);
    EXPECT_LT(b.fFearRange, 900.0f);
    EXPECT_TRUE(b.fCuriosityWeight > 0.75f && b.fCuriosityWeight < 1.05f);
    EXPECT_TRUE(b.fFearWeight > 0.75f && b.fFearWeight < 1.05f);
  }
  BeetleBrain b;
  // The reaction table follows the floats, sixteen 16-bit codes row by row.
  EXPECT_EQ(mktest::OffsetOf(b, b.fReactions), mktest::OffsetOf(b, b.fFearTimer) + 4);
  const int16_t expected[16] = {0, 11, 12, 13, 1, 1, 11, 13, 2, 2, 1, 13, 3, 3, 2, 13};
  EXPECT_EQ(std::memcmp(b.fReactions, expected, sizeof expected), 0);
  EXPECT_EQ(mktest::OffsetOf(b, b.fFirstName),
            mktest::OffsetOf(b, b.fBrain) + ptrdiff_t(sizeof(void*)));
}

// --- The dish puzzle --------------------------------------------------------------------

// A dish at the origin whose view axis is -y, the sun straight along it.
constexpr const char* kDishScene = R"(
object Dish viewaxes
object Sun at 0 -100 0
variable PeriscopeDish Dish
variable TheSun Sun
)";

class DishTest : public GroveTest {
 protected:
  // Turns the object about z by `degrees` from where the scene put it.
  void Turn(const std::string& name, float degrees) {
    const float a = degrees * 3.14159265f / 180.0f;
    mkMatrix44& m = Object(name)->local;
    m.m[0][0] = std::cos(a), m.m[0][1] = -std::sin(a);
    m.m[1][0] = std::sin(a), m.m[1][1] = std::cos(a);
    m.flags = 0;
  }
  int32_t* Flag(const std::string& name) {
    egContextMgr::Context* c = stage_.api().XCmdFindContext(
        Object(name), reinterpret_cast<void*>(intptr_t(1001)), nullptr);
    return static_cast<int32_t*>(c->GetData());
  }
};

TEST_F(DishTest, PowerEventsOncePerChange) {
  Scene(kDishScene);
  Lines events;
  for (float degrees : {0.0f, 0.0f, 6.0f, 6.5f, 30.0f, 0.0f}) {
    Turn("Dish", degrees);
    Mark();
    EXPECT_EQ(Run("CheckSunPower", {}), 0);
    for (const std::string& call : Calls({"EventRegister"})) events.push_back(call);
  }
  EXPECT_EQ(events, (Lines{"EventRegister(\"poweron\", 0, 0)", "EventRegister(\"poweroff\", 0, 0)",
                           "EventRegister(\"poweron\", 0, 0)"}));
  // The variables are asked for by their full names (the stage would answer
  // the short ones too).
  EXPECT_EQ(Calls({"GetObjKeyByID"}),
            (Lines{"GetObjKeyByID(\"global..PeriscopeDish\") -> key:PeriscopeDish",
                   "GetObjKeyByID(\"global..TheSun\") -> key:TheSun"}));
  EXPECT_EQ(*Flag("Dish"), 1);
  Turn("Dish", 0.0f);
  Mark();
  Run("CheckSunPower", {});
  EXPECT_EQ(Said(), (Lines{"warning: CheckSunPower: 1.000000 of facing sun, threshold=0.980000"}));
}

TEST_F(DishTest, AFlagOfAnotherValueIsOverwrittenWithoutEvent) {
  Scene(kDishScene);
  Turn("Dish", 90.0f);
  Run("CheckSunPower", {});  // makes the record: 0
  *Flag("Dish") = 5;
  Mark();
  Run("CheckSunPower", {});
  EXPECT_EQ(Calls({"EventRegister"}), Lines{});
  EXPECT_EQ(*Flag("Dish"), 0);
}

TEST_F(DishTest, MissingDishOrSun) {
  Scene(
      "object Dish\nobject Sun\nvariable PeriscopeDish Dish\nvariable TheSun\n"
      "variable Other\n");
  Mark();
  EXPECT_EQ(Run("CheckSunPower", {}), 0);
  stage_.api().VarSetTo(stage_.api().GetObjKeyByID("TheSun"),
                        stage_.api().GetSceneObjectByID("Sun"));
  stage_.api().VarSetTo(stage_.api().GetObjKeyByID("PeriscopeDish"), nullptr);
  EXPECT_EQ(Run("CheckSunPower", {}), 0);
  stage_.api().VarSetTo(stage_.api().GetObjKeyByID("TheSun"), nullptr);
  EXPECT_EQ(Run("CheckSunPower", {}), 0);
  EXPECT_EQ(Run("TestRotateDish", {"Sun"}), 0);
  EXPECT_EQ(Run("TestOpacityFilter", {}), 0);
  EXPECT_EQ(Said(), (Lines{"warning: CheckSunPower: The Sun is not found",
                           "warning: CheckSunPower: The Dish is not found",
                           "warning: CheckSunPower: Both the Dish and the Sun is not found",
                           "warning: TestRotateDish: The Dish could not be found",
                           "warning: TestOpacityFilter: The Sun could not be found"}));
}

TEST_F(DishTest, DishAtTheSunHasNoDirectionButNoNaN) {
  Scene("object Dish viewaxes\nobject Sun\nvariable PeriscopeDish Dish\nvariable TheSun Sun\n");
  Run("CheckSunPower", {});
  // The direction to the sun is the zero vector: s = |axis|^2 = 1.
  EXPECT_EQ(Said(), (Lines{"warning: CheckSunPower: 0.000000 of facing sun, threshold=0.980000"}));
}

// A camera at the origin looking along -y; the sun `degrees` off its view.
class FilterTest : public DishTest {
 protected:
  void SetUp() override {
    DishTest::SetUp();
    Scene(
        "camera Eye viewaxes\nobject Sun at 0 -100 0\nobject Filter\n"
        "variable TheSun Sun\nvariable PeriscopeFilter Filter\n");
  }
  void SunAt(float degrees) {
    const float a = degrees * 3.14159265f / 180.0f;
    mkMatrix44& m = Object("Sun")->local;
    m.m[0][3] = 100.0f * std::sin(a);
    m.m[1][3] = -100.0f * std::cos(a);
  }
};

TEST_F(FilterTest, FrameFollowsTheView) {
  SunAt(30.0f);
  EXPECT_EQ(Run("TestOpacityFilter", {}), 0);
  EXPECT_EQ(Said(),
            (Lines{"warning: Facing: TheSun 50.000000,-86.602539,0.000000",
                   "warning: Facing: camFrom 0.000000,0.000000,0.000000",
                   "warning: Facing: camAt 0.000000,-1.000000,0.000000",
                   "warning: CamFacingWithin45: Resultant magnitude is 0.267949",
                   "warning: TestOpacityFilter: Going from frame 0 to frame 54, playing forwards",
                   "stage: Filter goes from frame 0 to frame 54"}));
  Mark();
  Run("TestOpacityFilter", {});
  EXPECT_EQ(Said().back(), "warning: TestOpacityFilter: Already at frame 54");
  SunAt(40.0f);
  Mark();
  Run("TestOpacityFilter", {});
  EXPECT_EQ(Calls({"AnimPlayToFrame"}),
            Lines{"AnimPlayToFrame(Filter, null, 20, 0, 0, 1, 1, 1, 0, 0)"});
  EXPECT_EQ(Said()[4],
            "warning: TestOpacityFilter: Going from frame 54 to frame 20, playing "
            "backwards");
  // Straight at the sun, and 90 degrees off it.
  SunAt(0.0f);
  Run("TestOpacityFilter", {});
  EXPECT_EQ(Object("Filter")->frame, 100);
  SunAt(90.0f);
  Run("TestOpacityFilter", {});
  EXPECT_EQ(Object("Filter")->frame, 0);
}

TEST_F(FilterTest, MissingFilterOrCamera) {
  stage_.api().VarSetTo(stage_.api().GetObjKeyByID("PeriscopeFilter"), nullptr);
  Run("TestOpacityFilter", {});
  EXPECT_EQ(Said().back(), "warning: TestOpacityFilter: The filter is not found");
  // Without a camera the view is empty: frame 0, no NaN.
  stage_.model().SetCamera(nullptr);
  stage_.api().VarSetTo(stage_.api().GetObjKeyByID("PeriscopeFilter"),
                        stage_.api().GetSceneObjectByID("Filter"));
  Mark();
  Run("TestOpacityFilter", {});
  EXPECT_EQ(Said()[3], "warning: CamFacingWithin45: Resultant magnitude is 1.000000");
  EXPECT_EQ(Said().back(), "warning: TestOpacityFilter: Already at frame 0");
}

TEST_F(GroveTest, JustGotoFrame) {
  Scene("object Lid\n");
  EXPECT_EQ(Run("JustGotoFrame", {"Lid", "12"}), 1);
  EXPECT_EQ(Run("JustGotoFrame", {"Nothing", "3"}), 1);
  EXPECT_EQ(Run("JustGotoFrame", {"Lid"}), 1);
  EXPECT_EQ(Said(), (Lines{"warning: JustGotoFrame: Going to frame 12",
                           "stage: Lid goes from frame 0 to frame 12",
                           "warning: JustGotoFilter: The Nothing object is not found",
                           "warning: JustGotoFrame: wrong number of arguments (Object, Frame)"}));
  EXPECT_EQ(Calls({"AnimPlayToFrame"}),
            Lines{"AnimPlayToFrame(Lid, null, 12, 0, 0, 1, 0, 1, 0, 0)"});
}

TEST_F(GroveTest, TestRotateDishChangesNothing) {
  Scene("object Dish viewaxes at 0 0 2\nobject Target at 0 -10 2\nvariable PeriscopeDish Dish\n");
  const mkMatrix44 before = Object("Dish")->local;
  EXPECT_EQ(Run("TestRotateDish", {"Target"}), 0);
  EXPECT_EQ(Run("TestRotateDish", {}), 0);
  EXPECT_EQ(Said(), (Lines{"warning: RT: view_vect -0.000000,-1.000000,-0.000000",
                           "warning: RT: right_vect -1.000000,-0.000000,-0.000000",
                           "warning: RT: towards_vect 0.000000,-1.000000,0.000000",
                           "warning: RT: scalar product=1.000000  radians=0.000000",
                           "warning: RT: local view -0.000000,-1.000000,-0.000000",
                           "warning: RT: local right -1.000000,-0.000000,-0.000000",
                           "warning: RT: local up 0.000000,0.000000,1.000000",
                           "warning: TestRotateDish: wrong number of arguments (Target)"}));
  EXPECT_EQ(std::memcmp(&before, &Object("Dish")->local, sizeof before), 0);
}

// The local view, right and up are the target's own columns (negated second
// and first, third), not its rows: a target turned 30 degrees about z.
TEST_F(GroveTest, TestRotateDishShowsTheLocalViewOfARotatedTarget) {
  Scene("object Dish viewaxes at 0 0 2\nobject Target at 0 -10 2\nvariable PeriscopeDish Dish\n");
  mkMatrix44& m = Object("Target")->local;
  m.m[0][0] = 0.866025404f, m.m[0][1] = -0.5f;
  m.m[1][0] = 0.5f, m.m[1][1] = 0.866025404f;
  m.flags = 0;
  EXPECT_EQ(Run("TestRotateDish", {"Target"}), 0);
  const Lines said = Said();
  ASSERT_EQ(said.size(), 7u);
  EXPECT_EQ(Lines(said.begin() + 4, said.end()),
            (Lines{"warning: RT: local view 0.500000,-0.866025,-0.000000",
                   "warning: RT: local right -0.866025,-0.500000,-0.000000",
                   "warning: RT: local up 0.000000,0.000000,1.000000"}));
}

// --- SetPeriscopeVars ------------------------------------------------------------------------

TEST_F(GroveTest, SetPeriscopeVars) {
  Scene(
      "object M\nobject C\nobject F\nobject S\nobject L\n"
      "variable PeriscopeMaster\nvariable PeriscopeCeiling\nvariable PeriscopeFloor\n"
      "variable TheSun\nvariable PeriscopeFilter S\n");
  EXPECT_EQ(Run("SetPeriscopeVars", {"M", "C", "F", "S"}), 1);
  EXPECT_EQ(Said(), (Lines{"warning: SetPeriscopeVars: wrong number of arguments "
                           "(Master,ceiling,floor,sun,filter)"}));
  EXPECT_EQ(stage_.model().FindKey("PeriscopeFilter")->fObject, Object("S"));
  EXPECT_EQ(Run("SetPeriscopeVars", {"M", "C", "F", "S", "Nowhere"}), 1);
  const char* names[] = {"PeriscopeMaster", "PeriscopeCeiling", "PeriscopeFloor", "TheSun"};
  const char* objects[] = {"M", "C", "F", "S"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(stage_.model().FindKey(names[i])->fObject, Object(objects[i])) << names[i];
    // The brains read them under their global names.
    EXPECT_EQ(stage_.model().FindKey(std::string("global..") + names[i]),
              stage_.model().FindKey(names[i]));
  }
  EXPECT_EQ(stage_.model().FindKey("PeriscopeFilter")->fObject, nullptr);
}

// --- Diagnostics ------------------------------------------------------------------------------

TEST_F(GroveTest, DistanceTest) {
  Scene("object A\nobject B at 20 0 0\nobject C at 0 30 0\n");
  EXPECT_EQ(Run("DistanceTest", {"A", "B", "Yes"}), 0);
  EXPECT_EQ(Run("DistanceTest", {"A", "C", "yes"}), 1);
  EXPECT_EQ(Run("DistanceTest", {"A", "C"}), 1);
  EXPECT_EQ(Said(), (Lines{"log: Objects distance from A to B",
                           "log: Distance 400.000000 with a factor of 0.500000",
                           "log: Objects distance from A to C",
                           "log: Distance 900.000000 with a factor of 0.000000",
                           "warning: DistanceTest: wrong number of arguments "
                           "(OBJECT1,OBJECT2,UPDATE)"}));
}

// A name that names no object has nothing to measure: a warning per missing
// name and the result 1, whatever UPDATE says.
TEST_F(GroveTest, DiagnosticsOnMissingObjects) {
  Scene("object A\nobject B at 20 0 0\n");
  EXPECT_EQ(Run("DistanceTest", {"A", "Ghost", "Yes"}), 1);
  EXPECT_EQ(Run("FaceTest", {"Ghost", "B", "Yes"}), 1);
  EXPECT_EQ(Run("DisplayCurFear", {"Ghost", "Spook", "No"}), 1);
  EXPECT_EQ(Said(), (Lines{"warning: DistanceTest: Ghost is not found",
                           "warning: FaceTest: Ghost is not found",
                           "warning: DisplayCurFear: Ghost is not found",
                           "warning: DisplayCurFear: Spook is not found"}));
}

TEST_F(GroveTest, DiagnosticsRunEveryFrameWithYes) {
  Scene(
      "object A\nobject B at 20 0 0\nat 0 run DistanceTest A B Yes\n"
      "at 0 run FaceTest A B No\n");
  Frames(3);
  int distance = 0, face = 0;
  for (const std::string& line : Said()) {
    distance += line == "log: Objects distance from A to B";
    face += line == "log: How much is A facing B";
  }
  EXPECT_EQ(distance, 3);
  EXPECT_EQ(face, 1);
}

TEST_F(GroveTest, FaceTest) {
  Scene("player P viewaxes\nobject Ahead at 0 -10 0\nobject Behind at 0 10 0\n");
  EXPECT_EQ(Run("FaceTest", {"P", "Ahead", "No"}), 1);
  EXPECT_EQ(Run("FaceTest", {"P", "Behind", "Yes"}), 0);
  EXPECT_EQ(Run("FaceTest", {"P", "Behind", "Yes", "extra"}), 1);
  EXPECT_EQ(Said(), (Lines{"log: How much is P facing Ahead",
                           "log: Resultant 0.000000 with a factor of 1.000000",
                           "log: How much is P facing Behind",
                           "log: Resultant 4.000000 with a factor of 0.000000",
                           "warning: FaceTest: wrong number of arguments (PLAYER,OBJECT,UPDATE)"}));
}

TEST_F(GroveTest, DisplayCurFear) {
  Scene(
      "player P viewaxes\nbehavior P wait\nobject B at 20 20 0\nobject Far at 0 50 0\n"
      "at 0 face P 1 1 0\nat 0 play P wait\n");
  Frame();
  Mark();
  EXPECT_EQ(Run("DisplayCurFear", {"P", "B", "No"}), 1);
  EXPECT_EQ(Run("DisplayCurFear", {"P", "B"}), 1);
  Object("P")->current = nullptr;
  EXPECT_EQ(Run("DisplayCurFear", {"P", "Far", "Yes"}), 0);
  EXPECT_EQ(Said(), (Lines{"log: Behavior is P..wait for curiosity of 0.500000",
                           "log: Curiosity=0.750000 vs. Fear=0.500000",
                           "warning: DisplayCurFear: wrong number of arguments "
                           "(PLAYER,OBJECT,UPDATE)",
                           "log: Curiosity=0.000000 vs. Fear=0.422923"}));
}

TEST_F(GroveTest, DisplayCurFearActivities) {
  const struct {
    const char* behavior;
    const char* weight;
  } cases[] = {{"run", "0.000000"},  {"Long_Jump", "0.000000"}, {"wall_collide", "0.750000"},
               {"push", "1.000000"}, {"fall", "1.000000"},      {"get_up", "1.000000"},
               {"walk", "0.500000"}};
  std::string text = "player P\nobject B\n";
  for (const auto& c : cases) text += std::string("behavior P ") + c.behavior + "\n";
  Scene(text);
  for (const auto& c : cases) {
    stage_.model().Play(stage::Model::ToHandle<stage::Behavior>(stage_.api().GetBehaviorFromName(
        stage::Model::ToHandle<mkSceneObject>(Object("P")), c.behavior)));
    Mark();
    Run("DisplayCurFear", {"P", "B", "No"});
    EXPECT_EQ(Said()[0],
              std::string("log: Behavior is P..") + c.behavior + " for curiosity of " + c.weight);
  }
}

// --- The shovel vehicle -----------------------------------------------------------------------

class ShovelTest : public GroveTest {
 protected:
  void SetUp() override {
    GroveTest::SetUp();
    Scene(
        "object Shovel character\nbehavior Shovel dig\n"
        "behavior Shovel ShovelRoot..shovel_wait\nobject Machine\nbehavior Machine lift\n"
        "player Driver\nbehavior Driver idle\ncamera Eye\n"
        "vehicle Shovel ShovelVehicle Machine Driver\n");
    host_ = Object("Shovel")->brain;
  }
  // The owner's current behaviour, stopped.
  void StoppedDig() {
    stage::SceneObject* shovel = Object("Shovel");
    shovel->current = shovel->behaviors[0];
    shovel->current->playing = 0;
  }
  stage::HostBrain* host_ = nullptr;
};

TEST_F(ShovelTest, BoundByExportNameToAVehicleHostBrain) {
  ASSERT_NE(host_, nullptr);
  EXPECT_EQ(host_->vehicle, Object("Machine"));
  EXPECT_EQ(host_->driver, Object("Driver"));
  std::vector<std::string> errors;
  stage::SceneDescription scene;
  ASSERT_TRUE(
      stage::ParseScene("object X\nvehicle X Periscope X\nvehicle X Nothing X\n", &scene, &errors));
  EXPECT_FALSE(stage_.Build(scene, &errors));
  EXPECT_EQ(errors, (Lines{"2: Periscope is not a vehicle brain (type 300)",
                           "3: no loaded plug-in exports Nothing"}));
}

TEST_F(ShovelTest, PreUpdateWaitsAndBoards) {
  StoppedDig();
  host_->vehicleFlags = 4 | 8 | 1;
  Frame();
  EXPECT_EQ(Object("Shovel")->current->name, "ShovelRoot..shovel_wait");
  EXPECT_EQ(Object("Shovel")->parent, Object("Machine"));
  EXPECT_EQ(host_->vehicleFlags, 8 | 1);  // not the driver: bit 8 stays
  EXPECT_EQ(Calls({"AttachObject"}), Lines{"AttachObject(Machine, Shovel, 1, 1, 0)"});
  // Attached already, flags cleared: nothing more.
  Mark();
  StoppedDig();
  Frame();
  EXPECT_EQ(Calls({"AttachObject", "AnimPlay"}), Lines{});
}

TEST_F(ShovelTest, ADriverWhoIsTheOwnerStopsItsOneShotOnBoarding) {
  host_->driver = Object("Shovel");
  StoppedDig();
  Object("Shovel")->oneShot = 1;
  host_->vehicleFlags = 4 | 8 | 1;
  Frame();
  EXPECT_EQ(host_->vehicleFlags, 1);  // the driver: bit 8 cleared with riding and boarding
  EXPECT_EQ(Object("Shovel")->oneShot, 0);
  // The animation rule's own, then the driver's.
  EXPECT_EQ(Calls({"SetPlayingOneShot"}),
            (Lines{"SetPlayingOneShot(Shovel, 0)", "SetPlayingOneShot(Shovel, 0)"}));
}

TEST_F(ShovelTest, PassesPreUpdateAndUpdateOnToTheHostBrain) {
  Frame();
  EXPECT_EQ(Calls({"Shovel.brain.PreUpdate", "Shovel.brain.Update"}),
            (Lines{"Shovel.brain.PreUpdate() ", "Shovel.brain.Update() "}));
}

TEST_F(ShovelTest, UpdateWaitsWhileTheDriverPlaysAOneShot) {
  stage_.model().SetCameraMode(2);  // drive
  stage::SceneObject* machine = Object("Machine");
  stage_.model().Play(machine->behaviors[0]);  // animating: the one-shot goes on
  Object("Driver")->oneShot = 1;
  host_->vehicleFlags = 8 | 1;
  Mark();
  Frame();
  EXPECT_EQ(Object("Driver")->oneShot, 1);
  EXPECT_EQ(host_->vehicleFlags, 8 | 1);
  EXPECT_EQ(Calls({"SetPlayingOneShot", "Shovel.brain.SetWaitState", "AnimPlay"}), Lines{});
}

TEST_F(ShovelTest, DriveModeClearsBitEightWhenTheDriverStands) {
  stage_.model().SetCameraMode(2);  // drive
  host_->vehicleFlags = 8 | 2 | 1;
  Mark();
  Frame();
  EXPECT_EQ(host_->vehicleFlags, 2 | 1);
  EXPECT_EQ(Object("Driver")->current->name, "idle");
  EXPECT_EQ(Calls({"SetPlayingOneShot", "Shovel.brain.SetWaitState"}),
            (Lines{"SetPlayingOneShot(Driver, 0)", "SetPlayingOneShot(Driver, 0)",
                   "Shovel.brain.SetWaitState(0, \"ShovelRoot..shovel_wait\")"}));
}

TEST_F(ShovelTest, DriverStopsAOneShotWhenTheMachineRests) {
  Object("Driver")->oneShot = 1;
  Frame();
  EXPECT_EQ(Object("Driver")->oneShot, 0);
  EXPECT_EQ(Calls({"SetPlayingOneShot"}), Lines{"SetPlayingOneShot(Driver, 0)"});
}

TEST_F(ShovelTest, UpdateByCameraMode) {
  host_->vehicleFlags = 2;
  Frame();  // following camera, no behaviour of the owner: flags cleared
  EXPECT_EQ(host_->vehicleFlags, 0);
  EXPECT_EQ(Calls({"Shovel.brain.SetWaitState"}), Lines{});
  stage_.model().SetCameraMode(2);  // drive
  Mark();
  Frame();
  EXPECT_EQ(Object("Driver")->current->name, "idle");
  EXPECT_EQ(Calls({"Shovel.brain.SetWaitState"}),
            Lines{"Shovel.brain.SetWaitState(0.1, \"ShovelRoot..shovel_wait\")"});
  // Observer mode too; in another mode the driver is left as it is.
  stage_.model().SetCameraMode(3);  // observer
  Mark();
  Frame();
  EXPECT_EQ(Calls({"Shovel.brain.SetWaitState"}).size(), 1u);
}

TEST_F(ShovelTest, BehaviourNameOnScreenIsCut) {
  const std::string longName(300, 'x');
  std::vector<std::string> errors;
  stage::SceneDescription more;
  ASSERT_TRUE(stage::ParseScene("behavior Machine " + longName + "\n", &more, &errors));
  ASSERT_TRUE(stage_.Build(more, &errors));
  stage::SceneObject* machine = Object("Machine");
  stage_.model().Play(machine->behaviors[1]);
  Frame();
  const Lines shown = Calls({"WindowString"});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "WindowString(\"" + std::string(255, 'x') + "\", 310, 70, 0, 3)");
  stage_.model().Play(machine->behaviors[0]);
  Mark();
  Frame();
  EXPECT_EQ(Calls({"WindowString"}), Lines{"WindowString(\"lift\", 310, 70, 0, 3)"});
}

}  // namespace
}  // namespace grovetest
