// SwarmXcmd loaded into the stage the way the engine loads it; the swarm's
// life run on small scenes, judged by the message lines, the call trace and
// the records that the commands keep in the stage's contexts.
#include "swarm/swarm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "kit/testing/command_rows.h"
#include "stage/ops.h"
#include "stage/stage.h"
#include "stage/testing/stage_fixture.h"

namespace {

using stage::MessageKind;
using stagetest::Lines;

void* Value(int32_t value) {
  return reinterpret_cast<void*>(intptr_t(value));
}

class SwarmTest : public stagetest::StageFixture {
 protected:
  SwarmTest() : StageFixture({SWARMXCMD_PLUGIN_PATH}) {}

  void* Data(int32_t a, int32_t b, int32_t c) {
    return stage::ActorOps(stage_.model()).XCmdFindContext(Value(a), Value(b), Value(c))->GetData();
  }
  SwarmHeader* Header() { return static_cast<SwarmHeader*>(Data(2001, 2001, 2001)); }
  SwarmRecord* Swarm(int32_t index) { return static_cast<SwarmRecord*>(Data(2002, 2002, index)); }
};

TEST_F(SwarmTest, LoadsAsTheEngineDoes) {
  const auto& library = *stage_.plugins()[0];
  EXPECT_EQ(library.xcmdNames, (Lines{"BugFlockInit", "BugFlockAddFlock", "BugFlockUpdate"}));
  EXPECT_EQ(library.xcmdMajor, 2);
  EXPECT_EQ(library.xcmdMinor, 27);
  // Commands only: no brain lists, no brain versions.
  EXPECT_FALSE(library.hasBrainIdent);
  EXPECT_FALSE(library.hasBrainClassIdent);
  EXPECT_EQ(library.brainMajor, -1);
  EXPECT_EQ(library.brainMinor, -1);
  for (const char* name :
       {"BrainIdentDLL", "BrainClassIdentDLL", "BrainMajorVersionDll", "BrainMinorVersionDll"})
    EXPECT_EQ(library.Symbol(name), nullptr) << name;
  for (const auto& name : library.xcmdNames) {
    egXCmd* command = stage_.model().FindXCmd(name);
    ASSERT_NE(command, nullptr) << name;
    EXPECT_EQ(command->fSceneApi, &stage_.api()) << name;
    EXPECT_EQ(command->fCurrentKey->fObject, command) << name;
  }
}

// The records as the commands fill them.
TEST_F(SwarmTest, InitAndAddFillTheRecords) {
  Scene("flock Bugs\nflock Gnats\nactor A\nactor B\nactor C\nactor D");
  EXPECT_EQ(Run("BugFlockInit", {"12", "9"}), 1);
  EXPECT_EQ(Run("BugFlockAddFlock", {"Bugs", "3", "400", "2", "25", "A", "B", "C", "D"}), 1);
  EXPECT_EQ(Said(), Lines{});
  ASSERT_NE(Header(), nullptr);
  EXPECT_EQ(Header()->swarmCount, 1);
  EXPECT_EQ(Header()->firemarbleCount, 12);
  EXPECT_EQ(Header()->reachSq, 9.0f);
  const SwarmRecord* s = Swarm(0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(static_cast<void*>(s->flock), Object("Bugs"));
  EXPECT_EQ(s->target, nullptr);
  EXPECT_EQ(s->state, 0);
  EXPECT_EQ(s->mealLimit, 3);
  EXPECT_EQ(s->meals, 0);
  EXPECT_EQ(s->searchSq, 400.0f);
  EXPECT_EQ(s->mealTime, 2.0f);
  EXPECT_EQ(s->mealTimer, 0.0f);
  EXPECT_EQ(s->homeSq, 25.0f);
  EXPECT_EQ(static_cast<void*>(s->onTarget), stage_.model().FindActor("A"));
  EXPECT_EQ(static_cast<void*>(s->onHome), stage_.model().FindActor("D"));

  // Again: the second swarm at index 1. Running the init again keeps them.
  Run("BugFlockAddFlock", {"Gnats", "1", "x", "1", "1", "Nobody", "B", "nothing", "D"});
  EXPECT_EQ(Said(), Lines{});
  Run("BugFlockInit", {"4", "1"});
  EXPECT_EQ(Header()->swarmCount, 2);
  EXPECT_EQ(Header()->firemarbleCount, 4);
  ASSERT_NE(Swarm(1), nullptr);
  EXPECT_EQ(static_cast<void*>(Swarm(1)->flock), Object("Gnats"));
  EXPECT_EQ(Swarm(1)->searchSq, 0.0f);  // not a number: 0
  EXPECT_EQ(Swarm(1)->onTarget, nullptr);
  EXPECT_EQ(Swarm(1)->onMeal, nullptr);
}

TEST_F(SwarmTest, WrongArgumentCountsAreWarned) {
  const std::vector<std::pair<Lines, std::string>> kRuns = {
      {{"BugFlockInit", "12"}, "BugFlockInit: wrong number of arguments (FIREMARBLES)"},
      {{"BugFlockInit", "12", "1", "2"}, "BugFlockInit: wrong number of arguments (FIREMARBLES)"},
      {{"BugFlockAddFlock", "a", "1", "1", "1", "1", "A", "B", "C"},
       "BugFlockAddFlock: wrong number of arguments (there are some)"},
      {{"BugFlockUpdate"}, "BugFlockUpdate: wrong number of arguments (Event to check)"},
      {{"BugFlockUpdate", "E", "F"}, "BugFlockUpdate: wrong number of arguments (Event to check)"},
  };
  for (const auto& [run, warning] : kRuns) {
    EXPECT_EQ(Run(run[0], Lines(run.begin() + 1, run.end())), 1) << run[0];
    EXPECT_EQ(Said(), Lines{"warning: " + warning});
    // Nothing but the warning: no context made.
    EXPECT_EQ(Traced().size(), 3u) << run[0];
  }
}

// An update before any init makes an empty header and says so; an update
// without swarms still answers for its event.
TEST_F(SwarmTest, UpdateBeforeInit) {
  Scene("event Go");
  EXPECT_EQ(Run("BugFlockUpdate", {"Go"}), 0);
  EXPECT_EQ(Said(), (Lines{"warning: BugFlockUpdate: Header not found",
                           "log: BugUpdate: Event Go found, returning false"}));
  EXPECT_EQ(Run("BugFlockUpdate", {"Stop"}), 1);
  EXPECT_EQ(Said(), (Lines{"log: BugUpdate: Event Stop not found, returning true"}));
  EXPECT_EQ(Header()->swarmCount, 0);
}

TEST_F(SwarmTest, RecordAlreadyAtTheNextIndexIsKept) {
  Scene("flock Bugs\nflock Gnats");
  Run("BugFlockInit", {"1", "1"});
  Run("BugFlockAddFlock", {"Bugs", "1", "1", "1", "1", "A", "B", "C", "D"});
  void* taken = stage::ActorOps(stage_.model())
                    .XCmdFindContext(Value(2002), Value(2002), Value(1))
                    ->AllocData(4);
  Run("BugFlockAddFlock", {"Gnats", "1", "1", "1", "1", "A", "B", "C", "D"});
  EXPECT_EQ(Said(),
            (Lines{"warning: BugFlockAddFlock: swarm record 1 is taken; Gnats is not added"}));
  EXPECT_EQ(Header()->swarmCount, 1);
  EXPECT_EQ(Data(2002, 2002, 1), taken);
}

TEST_F(SwarmTest, UnknownFlockIsWarnedAndNeverActive) {
  Scene("event Go");
  Run("BugFlockInit", {"1", "1"});
  Run("BugFlockAddFlock", {"Ghost", "1", "1", "1", "1", "A", "B", "C", "D"});
  EXPECT_EQ(Said(), (Lines{"warning: BugFlockAddFlock: Ghost flock is not found"}));
  EXPECT_EQ(Header()->swarmCount, 1);
  Run("BugFlockUpdate", {"Go"});
  EXPECT_EQ(Said(), (Lines{"log: BugFlockUpdate: Flock is not active",
                           "log: BugUpdate: Event Go found, returning false"}));
  // The null flock is not handed to the host.
  for (const auto& line : Traced()) EXPECT_EQ(line.find("GetEnable"), std::string::npos) << line;
}

// The actors of a swarm run for the detector of the trigger that runs the
// update.
TEST_F(SwarmTest, ActorsRunForTheRunningTriggersDetector) {
  Scene(
      "flock Bugs\nevent Go\nactor OnTarget\nactor OnReach\n"
      "firemarble rijus3..firemarble01 at 2 0 0 lit\n");
  Run("BugFlockInit", {"1", "4"});
  Run("BugFlockAddFlock", {"Bugs", "2", "100", "1", "4", "OnTarget", "OnReach", "C", "D"});
  stage::Detector* trip = stage_.model().AddDetector("Trip");
  traceFirst_ = stage_.model().trace().lines().size();
  stage_.RunCommand("BugFlockUpdate", {"Go"}, nullptr, trip);
  Lines runs;
  for (const auto& line : Traced())
    if (line.find("ExecActor(") != std::string::npos) runs.push_back(line);
  EXPECT_EQ(runs, (Lines{"@0 ExecActor(actor:OnTarget, detector:Trip, 1, -1) -> 1",
                         "@0 ExecActor(actor:OnReach, detector:Trip, 1, -1) -> 1"}));
}

TEST_F(SwarmTest, SwarmCountIsBounded) {
  Scene("flock Bugs");
  Run("BugFlockInit", {"0", "1"});
  for (int i = 0; i < kMaxSwarms; ++i)
    Run("BugFlockAddFlock", {"Bugs", "1", "1", "1", "1", "A", "B", "C", "D"});
  EXPECT_EQ(Said(), Lines{});
  Run("BugFlockAddFlock", {"Bugs", "1", "1", "1", "1", "A", "B", "C", "D"});
  EXPECT_EQ(Said(), (Lines{"warning: BugFlockAddFlock: at most 256 swarms; Bugs is not added"}));
  EXPECT_EQ(Header()->swarmCount, kMaxSwarms);
}

// The names tried: two digits at least; the count is bounded.
TEST_F(SwarmTest, FiremarbleNames) {
  Scene("flock Bugs\nevent Go");
  Run("BugFlockInit", {"12", "1"});
  Run("BugFlockAddFlock", {"Bugs", "1", "1", "1", "1", "A", "B", "C", "D"});
  Run("BugFlockUpdate", {"Go"});
  Lines names;
  for (const auto& line : Traced())
    if (line.rfind("@0 GetSceneObjectByID(\"", 0) == 0)
      names.push_back(line.substr(23, line.find('"', 23) - 23));
  ASSERT_EQ(names.size(), 12u);
  EXPECT_EQ(names[0], "rijus3..firemarble01");
  EXPECT_EQ(names[8], "rijus3..firemarble09");
  EXPECT_EQ(names[9], "rijus3..firemarble10");
  EXPECT_EQ(names[11], "rijus3..firemarble12");

  Run("BugFlockInit", {"1000", "1"});
  EXPECT_EQ(Said(), (Lines{"warning: BugFlockInit: 1000 firemarbles are more than 999; the "
                           "first 999 are used"}));
  EXPECT_EQ(Header()->firemarbleCount, kMaxFiremarbles);
  Run("BugFlockUpdate", {"Go"});
  const Lines said = Said();
  ASSERT_EQ(said.size(), 1000u);
  EXPECT_EQ(said[998], "log: BugFlockUpdate: rijus3..firemarble999 firemarble is not found");
  // The widest name and the buffer.
  EXPECT_LT(std::string("rijus3..firemarble999").size(), kFiremarbleNameLimit);
}

TEST_F(SwarmTest, UnusableFiremarblesAreReportedInOrder) {
  Scene(
      "flock Bugs\nevent Go\n"
      "object rijus3..firemarble02\n"
      "firemarble rijus3..firemarble03 lit\n"
      "firemarble rijus3..firemarble04\n"
      "firemarble rijus3..firemarble05 at 3 4 0 lit\n");
  Object("rijus3..firemarble03")->enable = 0;
  Run("BugFlockInit", {"5", "1"});
  Run("BugFlockAddFlock", {"Bugs", "1", "100", "1", "1", "A", "B", "C", "D"});
  Run("BugFlockUpdate", {"Go"});
  EXPECT_EQ(Said(),
            (Lines{"log: BugFlockUpdate: rijus3..firemarble01 firemarble is not found",
                   "log: BugFlockUpdate: rijus3..firemarble02 firemarble is not a firemarble",
                   "log: BugFlockUpdate: rijus3..firemarble03 firemarble is not enabled",
                   "log: BugFlockUpdate: rijus3..firemarble04 firemarble is not Lit",
                   "log: BugFlockUpdate: distance to rijus3..firemarble05 is 25.000000",
                   "log: BugUpdate: Event Go found, returning false"}));
}

// The actors of one step run with the scene variables set, in this order.
TEST_F(SwarmTest, ActorsRunWithTheVariablesSet) {
  Scene(
      "flock Bugs\nevent Go\nvariable the_bug_flock\nvariable the_target\n"
      "actor Found\nactor Reached\n"
      "firemarble rijus3..firemarble01 at 1 0 0 lit\n");
  Run("BugFlockInit", {"1", "1"});
  Run("BugFlockAddFlock", {"Bugs", "1", "100", "1", "1", "Found", "Reached", "C", "D"});
  Run("BugFlockUpdate", {"Go"});
  Lines steps;
  for (const auto& line : Traced())
    if (line.find("ApiMessage") == std::string::npos && line.find("Run(") == std::string::npos &&
        (line.find("Flock") != std::string::npos || line.find("Var") != std::string::npos ||
         line.find("Key") != std::string::npos || line.find("Actor") != std::string::npos ||
         line.find("Event") != std::string::npos))
      steps.push_back(line);
  EXPECT_EQ(steps, (Lines{
                       "@0 FlockGetCentroid(Bugs, &(0 0 0)) -> 1",
                       "@0 FlockGetGoal(Bugs) -> null",
                       "@0 ObjectGetKey(rijus3..firemarble01) -> key:rijus3..firemarble01",
                       "@0 FlockSetGoalKey(Bugs, key:rijus3..firemarble01)",
                       "@0 GetObjKeyByID(\"the_bug_flock\") -> key:the_bug_flock",
                       "@0 VarSetTo(key:the_bug_flock, Bugs)",
                       "@0 GetObjKeyByID(\"the_target\") -> key:the_target",
                       "@0 VarSetTo(key:the_target, rijus3..firemarble01)",
                       "@0 ExecActor(actor:Found, null, 1, -1) -> 1",
                       "@0 ObjectGetKey(rijus3..firemarble01) -> key:rijus3..firemarble01",
                       "@0 FlockSetGoalKey(Bugs, key:rijus3..firemarble01)",
                       "@0 GetObjKeyByID(\"the_bug_flock\") -> key:the_bug_flock",
                       "@0 VarSetTo(key:the_bug_flock, Bugs)",
                       "@0 GetObjKeyByID(\"the_target\") -> key:the_target",
                       "@0 VarSetTo(key:the_target, rijus3..firemarble01)",
                       "@0 ExecActor(actor:Reached, null, 1, -1) -> 1",
                       "@0 EventFind(\"Go\") -> 1",
                   }));
  EXPECT_EQ(stage_.model().FindKey("the_target")->fObject, Object("rijus3..firemarble01"));
}

// Without the scene variables the actors still run.
TEST_F(SwarmTest, ActorsRunWithoutTheVariables) {
  Scene("flock Bugs\nevent Go\nactor Found\nfiremarble rijus3..firemarble01 at 5 0 0 lit\n");
  Run("BugFlockInit", {"1", "1"});
  Run("BugFlockAddFlock", {"Bugs", "1", "100", "1", "1", "Found", "B", "C", "D"});
  Run("BugFlockUpdate", {"Go"});
  EXPECT_EQ(Said(), (Lines{"log: BugFlockUpdate: distance to rijus3..firemarble01 is 25.000000",
                           "actor Found", "log: BugUpdate: Event Go found, returning false"}));
  for (const auto& line : Traced()) EXPECT_EQ(line.find("VarSetTo"), std::string::npos) << line;
}

// --- The swarm's states, as a table of small scenes -------------------------------

// Firemarbles 01 to 03 (placed by the case), a flock Bugs at the origin, a
// home object Home at (0, -20); reachSq 4. Steps:
//   update [DELTA]     BugFlockUpdate with GetSecsDelta DELTA (default 0.5)
//   place X Y          put the flock there
//   light N / unlight N / remove N / disable N   a firemarble
//   home               the flock's goal becomes Home
struct StateCase {
  const char* name;
  const char* marbles;  // scene lines
  Lines add;            // mealLimit, searchSq, mealTime, homeSq
  Lines steps;
  Lines expected;      // lines of the last step
  int32_t state;       // afterwards
  const char* target;  // afterwards; "" for null
  int32_t meals;
};

void PrintTo(const StateCase& c, std::ostream* out) {
  *out << c.name;
}

class SwarmStateTest : public SwarmTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(SwarmStateTest, Transitions) {
  const StateCase& c = GetParam();
  Scene(std::string("flock Bugs\nobject Home at 0 -20 0\nevent Go\n"
                    "variable the_bug_flock\nvariable the_target\n"
                    "actor OnTarget\nactor OnReach\nactor OnMeal\nactor OnHome\n") +
        c.marbles);
  Run("BugFlockInit", {"3", "4"});
  Lines args = {"Bugs"};
  args.insert(args.end(), c.add.begin(), c.add.end());
  args.insert(args.end(), {"OnTarget", "OnReach", "OnMeal", "OnHome"});
  Run("BugFlockAddFlock", args);
  stage::Model& m = stage_.model();
  int32_t frame = 0;
  for (const std::string& step : c.steps) {
    std::vector<std::string> w;
    stage::SplitWords(step, &w);
    auto marble = [&](const std::string& n) { return Object("rijus3..firemarble" + n); };
    if (w[0] == "update") {
      const float delta = w.size() > 1 ? std::strtof(w[1].c_str(), nullptr) : 0.5f;
      ++frame;
      m.SetClock(frame, float(frame) * delta, delta);
      Run("BugFlockUpdate", {"Go"});
    } else if (w[0] == "place") {
      auto* bugs = Object("Bugs");
      bugs->local.m[0][3] = std::strtof(w[1].c_str(), nullptr);
      bugs->local.m[1][3] = std::strtof(w[2].c_str(), nullptr);
      bugs->local.flags = 0;
    } else if (w[0] == "light" || w[0] == "unlight") {
      marble(w[1])->lit = w[0] == "light";
    } else if (w[0] == "disable") {
      marble(w[1])->enable = 0;
    } else if (w[0] == "remove") {
      ASSERT_TRUE(m.RemoveObject(marble(w[1])));
    } else if (w[0] == "init") {
      Run("BugFlockInit", {w[1], "4"});
    } else if (w[0] == "home") {
      Object("Bugs")->flockGoal = Object("Home")->key;
    } else {
      FAIL() << "unknown step " << step;
    }
  }
  // Drop the lines of the firemarbles that are not lit, to keep the cases short.
  Lines said;
  for (const auto& line : Said())
    if (line.find("is not Lit") == std::string::npos &&
        line.find("is not found") == std::string::npos &&
        line.find("Event Go found") == std::string::npos)
      said.push_back(line);
  EXPECT_EQ(said, c.expected);
  // A removed firemarble's address is never handed to the stage, which
  // would write it as "?".
  for (const auto& line : m.trace().lines()) {
    EXPECT_EQ(line.find("(?"), std::string::npos) << line;
    EXPECT_EQ(line.find(", ?"), std::string::npos) << line;
  }
  const SwarmRecord* s = Swarm(0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->state, c.state);
  EXPECT_EQ(s->meals, c.meals);
  const std::string target = s->target == nullptr ? "" : m.Label(s->target);
  EXPECT_EQ(target, c.target);
}

const char kTwoLit[] =
    "firemarble rijus3..firemarble01 at 6 0 0 lit\n"
    "firemarble rijus3..firemarble02 at 0 3 0 lit\n";
const char kOneAt2[] = "firemarble rijus3..firemarble01 at 2 0 0 lit\n";
const Lines kDefault = {"2", "100", "1", "4"};  // mealLimit, searchSq, mealTime, homeSq
const Lines kOneMeal = {"1", "100", "1", "4"};

const StateCase kStateCases[] = {
    {"NearestLitIsChosen",
     kTwoLit,
     kDefault,
     {"update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 36.000000",
      "log: BugFlockUpdate: distance to rijus3..firemarble02 is 9.000000", "actor OnTarget"},
     1,
     "rijus3..firemarble02",
     0},
    {"DarkOneIsIgnored",
     kTwoLit,
     kDefault,
     {"unlight 02", "update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 36.000000", "actor OnTarget"},
     1,
     "rijus3..firemarble01",
     0},
    {"DisabledOneIsIgnored",
     kTwoLit,
     kDefault,
     {"disable 02", "update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 36.000000",
      "log: BugFlockUpdate: rijus3..firemarble02 firemarble is not enabled", "actor OnTarget"},
     1,
     "rijus3..firemarble01",
     0},
    {"TieGoesToTheLowerNumber",
     "firemarble rijus3..firemarble01 at 0 -3 0 lit\nfiremarble rijus3..firemarble02 at 3 0 0 lit\n"
     "firemarble rijus3..firemarble03 at 0 3 0 lit\n",
     kDefault,
     {"update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 9.000000",
      "log: BugFlockUpdate: distance to rijus3..firemarble02 is 9.000000",
      "log: BugFlockUpdate: distance to rijus3..firemarble03 is 9.000000", "actor OnTarget"},
     1,
     "rijus3..firemarble01",
     0},
    {"ExactlyAtSearchIsNotNoticed",
     "firemarble rijus3..firemarble01 at 6 8 0 lit\n",
     kDefault,
     {"update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 100.000000"},
     0,
     "",
     0},
    {"JustInsideSearchIsNoticed",
     "firemarble rijus3..firemarble01 at 6 8 0 lit\n",
     {"2", "101", "1", "4"},
     {"update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 100.000000", "actor OnTarget"},
     1,
     "rijus3..firemarble01",
     0},
    {"ExactlyAtReachIsReached",
     kOneAt2,
     kDefault,
     {"update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 4.000000", "actor OnTarget",
      "actor OnReach"},
     2,
     "rijus3..firemarble01",
     0},
    {"JustOutsideReachApproaches",
     "firemarble rijus3..firemarble01 at 2 1 0 lit\n",
     kDefault,
     {"update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 5.000000", "actor OnTarget"},
     1,
     "rijus3..firemarble01",
     0},
    // Approaching behaves like searching: the same goal starts no actor.
    {"ApproachingKeepsItsGoalQuietly",
     "firemarble rijus3..firemarble01 at 4 0 0 lit\n",
     kDefault,
     {"update", "place 1 0", "update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 9.000000"},
     1,
     "rijus3..firemarble01",
     0},
    {"ApproachingTurnsToANearerOne",
     kTwoLit,
     kDefault,
     {"unlight 02", "update", "light 02", "update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 36.000000",
      "log: BugFlockUpdate: distance to rijus3..firemarble02 is 9.000000", "actor OnTarget"},
     1,
     "rijus3..firemarble02",
     0},
    {"ReachedOnApproach",
     "firemarble rijus3..firemarble01 at 4 0 0 lit\n",
     kDefault,
     {"update", "place 3 0", "update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 1.000000", "actor OnReach"},
     2,
     "rijus3..firemarble01",
     0},
    // Put out while approaching: no longer a candidate; the swarm keeps its
    // record and goes on searching.
    {"PutOutWhileApproaching",
     "firemarble rijus3..firemarble01 at 4 0 0 lit\n",
     kDefault,
     {"update", "unlight 01", "place 3 0", "update"},
     {},
     1,
     "rijus3..firemarble01",
     0},
    // Meal time: the timer passes mealTime (1) on the third half second.
    {"MealNotOverAtMealTime",
     kOneAt2,
     kDefault,
     {"update", "update", "update"},
     {"log: BugFlockUpdate: Consume_time is 1.000000 of rate 1.000000"},
     2,
     "rijus3..firemarble01",
     0},
    {"MealOverAfterMealTime",
     kOneAt2,
     kDefault,
     {"update", "update", "update", "update"},
     {"log: BugFlockUpdate: Consume_time is 1.500000 of rate 1.000000", "actor OnMeal"},
     0,
     "rijus3..firemarble01",
     1},
    {"LastMealReturns",
     kOneAt2,
     kOneMeal,
     {"update", "update", "update", "update"},
     {"log: BugFlockUpdate: Consume_time is 1.500000 of rate 1.000000", "actor OnMeal"},
     3,
     "rijus3..firemarble01",
     1},
    // The timer is never reset: the second meal is over on its first update.
    {"LaterMealsEndAtOnce",
     kOneAt2,
     {"3", "100", "1", "4"},
     {"update", "update", "update", "update", "update", "update"},
     {"log: BugFlockUpdate: Consume_time is 2.000000 of rate 1.000000", "actor OnMeal"},
     0,
     "rijus3..firemarble01",
     2},
    {"SecondMealReachesAgain",
     kOneAt2,
     {"3", "100", "1", "4"},
     {"update", "update", "update", "update", "update"},
     {"log: BugFlockUpdate: distance to rijus3..firemarble01 is 4.000000", "actor OnReach"},
     2,
     "rijus3..firemarble01",
     1},
    {"DriftsOffWhileConsuming",
     kOneAt2,
     kDefault,
     {"update", "place 0 1", "update"},
     {"log: BugFlockUpdate: Consume_time is 0.500000 of rate 1.000000"},
     0,
     "rijus3..firemarble01",
     0},
    // Put out while consuming: the meal goes on.
    {"PutOutWhileConsuming",
     kOneAt2,
     kDefault,
     {"update", "unlight 01", "update", "update", "update"},
     {"log: BugFlockUpdate: Consume_time is 1.500000 of rate 1.000000", "actor OnMeal"},
     0,
     "rijus3..firemarble01",
     1},
    // Removed while consuming: dropped, never handed to the host again.
    {"RemovedWhileConsuming",
     kOneAt2,
     kDefault,
     {"update", "remove 01", "update"},
     {"warning: BugFlockUpdate: target is gone, searching again"},
     0,
     "",
     0},
    // A later BugFlockInit with fewer firemarbles leaves the target (number 2)
    // outside the count, but it is still in the scene: the meal goes on.
    {"FewerFiremarblesKeepTheMeal",
     "firemarble rijus3..firemarble02 at 2 0 0 lit\n",
     kDefault,
     {"update", "init 1", "update", "update", "update"},
     {"log: BugFlockUpdate: Consume_time is 1.500000 of rate 1.000000", "actor OnMeal"},
     0,
     "rijus3..firemarble02",
     1},
    {"RemovedWhileApproaching",
     "firemarble rijus3..firemarble01 at 4 0 0 lit\n",
     kDefault,
     {"update", "remove 01", "update"},
     {},
     1,
     "?",
     0},
    // Returning: home is the flock's goal, within homeSq (4).
    {"ReturningAtTheTargetIsHome",
     kOneAt2,
     kOneMeal,
     {"update", "update", "update", "update", "update"},
     {"actor OnHome"},
     4,
     "rijus3..firemarble01",
     1},
    {"ReturningOutsideHomeSq",
     kOneAt2,
     kOneMeal,
     {"update", "update", "update", "update", "home", "place 0 -17.5", "update"},
     {},
     3,
     "rijus3..firemarble01",
     1},
    {"ReturningExactlyAtHomeSq",
     kOneAt2,
     kOneMeal,
     {"update", "update", "update", "update", "home", "place 0 -18", "update"},
     {"actor OnHome"},
     4,
     "rijus3..firemarble01",
     1},
    {"HomeDoesNothing",
     kOneAt2,
     kOneMeal,
     {"update", "update", "update", "update", "update", "place 9 9", "update"},
     {},
     4,
     "rijus3..firemarble01",
     1},
};

INSTANTIATE_TEST_SUITE_P(Cases, SwarmStateTest, ::testing::ValuesIn(kStateCases),
                         [](const ::testing::TestParamInfo<StateCase>& c) {
                           return std::string(c.param.name);
                         });

// The target that was removed while the swarm returned is not handed to the
// onHome actor.
TEST_F(SwarmTest, HomeAfterTheTargetWasRemoved) {
  Scene(std::string("flock Bugs\nevent Go\nvariable the_target\nactor OnHome\n") + kOneAt2);
  Run("BugFlockInit", {"1", "4"});
  Run("BugFlockAddFlock", {"Bugs", "1", "100", "1", "4", "A", "B", "C", "OnHome"});
  for (int i = 0; i < 4; ++i) {
    stage_.model().SetClock(i, 0.5f * float(i), 0.5f);
    Run("BugFlockUpdate", {"Go"});
  }
  ASSERT_EQ(Swarm(0)->state, 3);
  Object("Bugs")->flockGoal = nullptr;
  Run("BugFlockUpdate", {"Go"});  // no goal: stays returning
  EXPECT_EQ(Swarm(0)->state, 3);
  stage_.model().AddObject("Home", nullptr, {0, 0, 0});
  Object("Bugs")->flockGoal = Object("Home")->key;
  stage_.model().RemoveObject(Object("rijus3..firemarble01"));
  Run("BugFlockUpdate", {"Go"});
  EXPECT_EQ(Swarm(0)->state, 4);
  const Lines traced = Traced();
  EXPECT_NE(std::find(traced.begin(), traced.end(), "@3 VarSetTo(key:the_target, null)"),
            traced.end());
  EXPECT_NE(std::find(traced.begin(), traced.end(), "@3 ExecActor(actor:OnHome, null, 1, -1) -> 1"),
            traced.end());
}

// Every swarm is updated before the event is asked for.
TEST_F(SwarmTest, DisabledFlockIsSkippedAndTheEventComesLast) {
  Scene("flock Bugs\nflock Gnats\nevent Go");
  Object("Bugs")->enable = 0;
  Run("BugFlockInit", {"0", "4"});
  Run("BugFlockAddFlock", {"Bugs", "1", "100", "1", "4", "A", "B", "C", "D"});
  Run("BugFlockAddFlock", {"Gnats", "1", "100", "1", "4", "A", "B", "C", "D"});
  EXPECT_EQ(Run("BugFlockUpdate", {"Go"}), 0);
  EXPECT_EQ(Said(), (Lines{"log: BugFlockUpdate: Flock is not active",
                           "log: BugUpdate: Event Go found, returning false"}));
  const Lines traced = Traced();
  ASSERT_GE(traced.size(), 3u);
  EXPECT_EQ(traced[traced.size() - 3], "@0 EventFind(\"Go\") -> 1");
}

// The bundled example plays as its golden file says, and the swarms' story
// is there: both reach, eat twice and get home.
TEST(SwarmExampleSceneTest, BothSwarmsGetHome) {
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::LoadScene(TESSERA_SOURCE_DIR "/scenes/swarm.scene", &scene, &errors));
  scene.plugins = {SWARMXCMD_PLUGIN_PATH};
  stage::Stage stage;
  ASSERT_TRUE(stage.Play(scene, &errors)) << (errors.empty() ? "" : errors[0]);
  Lines actors;
  for (const auto& m : stage.model().messages())
    if (m.kind == MessageKind::kStage && m.text.rfind("actor ", 0) == 0)
      actors.push_back(m.text.substr(6));
  EXPECT_EQ(std::count(actors.begin(), actors.end(), "MealA"), 2);
  EXPECT_EQ(std::count(actors.begin(), actors.end(), "MealB"), 2);
  EXPECT_EQ(std::count(actors.begin(), actors.end(), "HomeA"), 1);
  EXPECT_EQ(std::count(actors.begin(), actors.end(), "HomeB"), 1);
  // The meal actors put their firemarbles out and sent the swarms home.
  EXPECT_EQ(stage.model().FindObject("rijus3..firemarble01")->lit, 0);
  EXPECT_EQ(stage.model().FindObject("rijus3..firemarble07")->lit, 1);
  const auto* swarmA = stage.model().FindObject("SwarmA");
  EXPECT_EQ(swarmA->local.m[0][3], 0.0f);
  EXPECT_EQ(swarmA->local.m[1][3], 0.0f);
}

// The command rows against what the commands say: the names are the name
// list, every count outside a row's range is refused with exactly the row's
// usage line, and every usage line is quoted on the plug-in's page.
const std::vector<ktCommandRow> kRows = {SWARM_XCMDS(MK_XCMD_ROW_)};

TEST_F(SwarmTest, RowsAreTheNameListAndTheirUsageLines) {
  mktest::ExpectRowsAgree(kRows, stage_.plugins()[0]->xcmdNames,
                          TESSERA_SOURCE_DIR "/docs/swarm.md",
                          [this](const char* name, int32_t count) {
                            const int32_t result = Run(name, Lines(size_t(count), "Nobody"));
                            return mktest::RunSaid{result, Said()};
                          });
}

}  // namespace
