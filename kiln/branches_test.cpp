// Branches on children, events and playing behaviours; random actors,
// delays and objects; idle objects; detaching.
#include <set>

#include "kiln/kiln_fixture.h"

namespace {

using kilntest::KilnTest;
using kilntest::Lines;

class BranchesTest : public KilnTest {
 protected:
  void SetUp() override {
    KilnTest::SetUp();
    Scene(
        "object Table\n object Cup parent Table\n object Plate parent Table\n object Chair\n"
        "object Fan\n behavior Fan spin\n object Mill\n behavior Mill turn\n object Rock\n"
        "variable a_child\n variable chosen Rock\n"
        "actor Yes\n actor No\n actor A\n actor B\n actor C\n"
        "event Storm\n timer DripTimer\n");
  }
  void PlayBehavior(const char* object, const char* behavior) {
    stage::SceneObject* o = stage_.model().FindObject(object);
    for (stage::Behavior* b : o->behaviors)
      if (b->name == behavior) stage_.model().Play(b);
  }
  // The object that the variable names, by name ("" for nothing).
  std::string Bound(const char* variable) {
    mkRegistryKey* key = stage::KeyOps(stage_.model()).GetObjKeyByID(variable);
    auto* object = stage_.model().Object(key->fObject);
    return object != nullptr ? object->name : "";
  }
};

struct BranchCase {
  const char* name;
  std::vector<std::string> run;  // command and arguments
  Lines expected;
};

void PrintTo(const BranchCase& c, std::ostream* os) {
  *os << c.name;
}

class BranchCaseTest : public BranchesTest, public ::testing::WithParamInterface<BranchCase> {};

TEST_P(BranchCaseTest, GivesTheseLines) {
  PlayBehavior("Fan", "spin");
  const auto& run = GetParam().run;
  EXPECT_EQ(Run(run[0], std::vector<std::string>(run.begin() + 1, run.end())), 1);
  EXPECT_EQ(Said(), GetParam().expected);
}

const BranchCase kBranchCases[] = {
    {"ChildrenFound",
     {"IfChildren", "Table", "Yes", "No"},
     {"log: IfChildren: Table(Parent) <- Cup(Child)", "actor Yes"}},
    {"NoChildren",
     {"IfChildren", "Chair", "Yes", "No"},
     {"log: IfChildren: Chair(Parent) - no children", "actor No"}},
    {"ChildrenParentMissing",
     {"IfChildren", "Ghost", "Yes", "No"},
     {"log: IfChildren: Parent not found", "actor No"}},
    {"ChildrenNothing",
     {"IfChildren", "Chair", "Yes", "nothing"},
     {"log: IfChildren: Chair(Parent) - no children", "log: IfChildren: nothing to execute"}},
    {"ChildrenMissingActor",
     {"IfChildren", "Table", "Nobody", "No"},
     {"log: IfChildren: Table(Parent) <- Cup(Child)",
      "warning: IfChildren: Nobody Actor was not found"}},
    {"ChildrenWrongCount",
     {"IfChildren", "Table", "Yes"},
     {"warning: IfChildren: wrong number of arguments (Parent, trueActor, falseActor)"}},
    {"EventFound",
     {"IfEvent", "Storm", "Yes", "No"},
     {"log: IfEvent: Event Storm was found", "actor Yes"}},
    {"EventNotFoundNothing",
     {"IfEvent", "Calm", "Yes", "nothing"},
     {"log: IfEvent: Event Calm was not found", "log: IfEvent: nothing to execute"}},
    {"EventMissingActor",
     {"IfEvent", "Calm", "Yes", "Nobody"},
     {"log: IfEvent: Event Calm was not found", "warning: IfEvent: Nobody Actor was not found"}},
    // "nothing" is compared with its case: "Nothing" names an actor.
    {"EventNothingIsCaseSensitive",
     {"IfEvent", "Calm", "Yes", "Nothing"},
     {"log: IfEvent: Event Calm was not found", "warning: IfEvent: Nothing Actor was not found"}},
    {"EventWrongCount",
     {"IfEvent", "Storm"},
     {"warning: IfEvent: wrong number of arguments (Parent, trueActor, falseActor)"}},
    {"Playing", {"IfObjPlaying", "Fan", "Yes", "No"}, {"actor Yes"}},
    {"NotPlaying", {"IfObjPlaying", "Mill", "Yes", "No"}, {"actor No"}},
    {"PlayingNothing",
     {"IfObjPlaying", "Mill", "Yes", "nothing"},
     {"log: IfObjPlaying: nothing to execute"}},
    {"PlayingMissingActor",
     {"IfObjPlaying", "Fan", "Nobody", "No"},
     {"warning: IfObjPlaying: Nobody Actor was not found"}},
    {"PlayingObjectMissing",
     {"IfObjPlaying", "Ghost", "Yes", "No"},
     {"warning: IfObjPlaying: object not found", "log: IfObjPlaying: nothing to execute"}},
    {"PlayingWithoutBehavior",
     {"IfObjPlaying", "Rock", "Yes", "No"},
     {"warning: IfObjPlaying: behavior not found?", "log: IfObjPlaying: nothing to execute"}},
    {"PlayingWrongCount",
     {"IfObjPlaying", "Fan", "Yes", "No", "Maybe"},
     {"warning: IfObjPlaying: wrong number of arguments (OBJECT,TRUE,FALSE)"}},
    {"RandomActorAlone", {"RandomActor", "A"}, {"actor A"}},
    {"RandomActorNothing", {"RandomActor", "nothing"}, {"log: RandomActor: nothing to execute"}},
    {"RandomActorMissing",
     {"RandomActor", "Nobody"},
     {"warning: RandomActor: Nobody Actor was not found"}},
    {"RandomActorWithoutNames",
     {"RandomActor"},
     {"warning: RandomActor: wrong number of arguments (Actor1, Actor2, ...)"}},
    {"TimerActorMissing",
     {"RandomTimerActor", "DripTimer", "5", "3", "Nobody"},
     {"warning: RandomTimerActor: Nobody Actor was not found"}},
    {"TimerVarianceZero",
     {"RandomTimerActor", "DripTimer", "5", "0", "A"},
     {"warning: RandomTimerActor: Variance must be at least 1 (it is 0)"}},
    {"TimerVarianceNegative",
     {"RandomTimerActor", "DripTimer", "5", "-2", "A"},
     {"warning: RandomTimerActor: Variance must be at least 1 (it is -2)"}},
    {"TimerWrongCount",
     {"RandomTimerActor", "DripTimer", "5", "3"},
     {"warning: RandomTimerActor: wrong number of arguments "
      "(TimerID,Delay,Variance,Actor,Activate)"}},
    {"PickWrongCount",
     {"PickRandomObject", "chosen", "Cup"},
     {"warning: PickRandomObject: wrong number of arguments (Variable and at least 2 objects)"}},
    {"Detach",
     {"DetachFromParent", "Cup"},
     {"log: DetachFromParent: Cup(Child) is detached from Table(Parent)"}},
    {"DetachWithoutParent",
     {"DetachFromParent", "Chair"},
     {"log: DetachFromParent: Chair(Child) - has no parent"}},
    {"DetachMissing",
     {"DetachFromParent", "Ghost"},
     {"warning: DetachFromParent: Ghost object not found"}},
    {"DetachWrongCount",
     {"DetachFromParent"},
     {"warning: DetachFromParent: wrong number of arguments (Child object)"}},
    {"IdleFirstIdle",
     {"NextIdleObject", "chosen", "Fan", "Mill"},
     {"log: NextIdleObject: Mill object was found to be idle"}},
    {"IdleSkipsSilently", {"NextIdleObject", "chosen", "Ghost", "Rock", "Fan"}, {}},
    {"IdleWrongCount",
     {"NextIdleObject", "chosen", "Fan"},
     {"warning: NextIdleObject: wrong number of arguments (Variable and at least 2 objects)"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, BranchCaseTest, ::testing::ValuesIn(kBranchCases),
                         [](const ::testing::TestParamInfo<BranchCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(BranchesTest, IfChildrenLeavesTheVariableBound) {
  Run("IfChildren", {"Table", "Yes", "No"});
  EXPECT_EQ(Bound("a_child"), "Cup");
  Run("IfChildren", {"Chair", "Yes", "No"});
  EXPECT_EQ(Bound("a_child"), "");
}

// Each command that runs an actor hands the trigger's detector on to it.
TEST_F(BranchesTest, ActorsRunForTheTriggersDetector) {
  const std::vector<Lines> runs = {{"IfChildren", "Table", "Yes", "No"},
                                   {"IfEvent", "Storm", "Yes", "No"},
                                   {"IfObjPlaying", "Mill", "Yes", "No"},
                                   {"RandomActor", "A"},
                                   {"RandomTimerActor", "DripTimer", "5", "1", "A"}};
  stage::Detector* trip = stage_.model().AddDetector("Trip");
  for (const Lines& run : runs) {
    first_ = stage_.model().messages().size();
    traceFirst_ = stage_.model().trace().lines().size();
    stage_.RunCommand(run[0], Lines(run.begin() + 1, run.end()), nullptr, trip);
    const Lines calls = TracedWith("ExecActor(");
    ASSERT_EQ(calls.size(), 1u) << run[0];
    EXPECT_NE(calls[0].find(", detector:Trip, 1, -1)"), std::string::npos) << calls[0];
  }
}

// The names are asked for in the order of the line: the parent's first.
TEST_F(BranchesTest, IfChildrenNamesTheParentThenTheChild) {
  Run("IfChildren", {"Table", "Yes", "No"});
  EXPECT_EQ(TracedWith("GetID("),
            (Lines{"@0 GetID(Table) -> \"Table\"", "@0 GetID(Cup) -> \"Cup\""}));
}

// Its own stage: two stages at once would share the plug-in's objects.
TEST(IfChildrenWithoutVariableTest, ChoosesFalse) {
  stage::Stage bare;
  std::string error;
  ASSERT_TRUE(bare.LoadPlugin(KILNXCMD_PLUGIN_PATH, &error)) << error;
  bare.model().AddObject("Table", nullptr, {0, 0, 0});
  bare.model().AddActor("No");
  bare.RunCommand("IfChildren", {"Table", "Yes", "No"});
  Lines said;
  for (const auto& m : bare.model().messages())
    if (m.kind != stage::MessageKind::kStage || m.text.rfind("actor ", 0) == 0)
      said.push_back(m.text);
  EXPECT_EQ(said, (Lines{"IfChildren: FindKeyByName failed", "actor No"}));
}

TEST_F(BranchesTest, DetachCallsAttachWithZeroAndTheChildIsFree) {
  Run("DetachFromParent", {"Cup"});
  EXPECT_EQ(Calls(),
            (Lines{"GetSceneObjectByID(\"Cup\") -> Cup", "GetParent(Cup) -> Table",
                   "AttachObject(Table, Cup, 0, 0, 0)", "GetID(Cup) -> \"Cup\"",
                   "GetID(Table) -> \"Table\"",
                   "ApiMessage(\"DetachFromParent: Cup(Child) is detached from Table(Parent)\")"}));
  EXPECT_EQ(stage_.model().FindObject("Cup")->parent, nullptr);
  Run("DetachFromParent", {"Chair"});
  EXPECT_TRUE(TracedWith("AttachObject").empty());
}

TEST_F(BranchesTest, NextIdleObjectBindsTheIdleOneOrNothing) {
  PlayBehavior("Fan", "spin");
  Run("NextIdleObject", {"chosen", "Fan", "Mill"});
  EXPECT_EQ(Bound("chosen"), "Mill");
  PlayBehavior("Mill", "turn");
  Run("NextIdleObject", {"chosen", "Fan", "Mill"});
  EXPECT_EQ(Bound("chosen"), "");
  EXPECT_EQ(Said(), Lines{});
}

TEST_F(BranchesTest, RandomActorRunsEachOfItsActors) {
  std::set<std::string> ran;
  for (int i = 0; i < 60; ++i) {
    Run("RandomActor", {"A", "B", "C"});
    const Lines said = Said();
    ASSERT_EQ(said.size(), 1u);
    ran.insert(said[0]);
    RunActors();
  }
  EXPECT_EQ(ran, (std::set<std::string>{"actor A", "actor B", "actor C"}));
}

TEST_F(BranchesTest, RandomTimerActorRegistersADrawnDelayAndRunsTheActor) {
  std::set<std::string> delays;
  for (int i = 0; i < 60; ++i) {
    Run("RandomTimerActor", {"DripTimer", "5", "3", "A"});
    const Lines calls = TracedWith("ActorTimerRegister");
    ASSERT_EQ(calls.size(), 1u);
    delays.insert(calls[0]);
    EXPECT_EQ(Said(), Lines{"actor A"});
    RunActors();
  }
  EXPECT_EQ(delays, (std::set<std::string>{
                        "@0 ActorTimerRegister(key:DripTimer, 5, 0, 0, actor:A, 1)",
                        "@0 ActorTimerRegister(key:DripTimer, 6, 0, 0, actor:A, 1)",
                        "@0 ActorTimerRegister(key:DripTimer, 7, 0, 0, actor:A, 1)",
                    }));
}

TEST_F(BranchesTest, PickRandomObjectBindsOneOfItsObjects) {
  std::set<std::string> picked;
  for (int i = 0; i < 60; ++i) {
    Run("PickRandomObject", {"chosen", "Cup", "Plate", "Chair"});
    EXPECT_EQ(Said(), Lines{});
    picked.insert(Bound("chosen"));
  }
  EXPECT_EQ(picked, (std::set<std::string>{"Cup", "Plate", "Chair"}));
  // With one object the variable is left as it was.
  Run("PickRandomObject", {"chosen", "Cup"});
  EXPECT_TRUE(TracedWith("VarSetTo").empty());
}

}  // namespace
