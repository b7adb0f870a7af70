// The object flag and variable commands on small scenes.
#include "kiln/kiln_fixture.h"

namespace {

using kilntest::KilnTest;
using kilntest::Lines;

// The example of one command, end to end.
TEST_F(KilnTest, SetObjVarAddsToTheObjectsVariable) {
  Scene("object Door");
  EXPECT_EQ(Run("SetObjVar", {"Door", "+", "1"}), 1);
  EXPECT_EQ(Said(), (Lines{"log: SetObjVar: Door is set to 1"}));
  const auto& trace = stage_.model().trace().lines();
  EXPECT_NE(std::find(trace.begin(), trace.end(),
                      "@0 XCmdFindContext(Door, 1002, null) -> context:Door,1002,0"),
            trace.end());
  Run("SetObjVar", {"Door", "+", "1"});
  EXPECT_EQ(Said(), (Lines{"log: SetObjVar: Door is set to 2"}));
}

struct CommandCase {
  const char* name;
  std::vector<std::vector<std::string>> runs;  // command, then arguments
  Lines expected;                              // lines of the last run
};

void PrintTo(const CommandCase& c, std::ostream* os) {
  *os << c.name;
}

class KilnCommandTest : public KilnTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(KilnCommandTest, GivesTheseLines) {
  Scene(
      "object Door\n object Lamp\n"
      "actor Yes\n actor No\n actor Less\n actor Equal\n actor Greater\n"
      "actor A0\n actor A1\n actor A2\n actor Step01\n actor Step12\n actor Step23\n"
      "actor Step33\n actor Step99\n actor T99\n");
  const auto& runs = GetParam().runs;
  for (size_t i = 0; i < runs.size(); ++i) {
    Run(runs[i][0], std::vector<std::string>(runs[i].begin() + 1, runs[i].end()));
    if (i + 1 < runs.size()) RunActors();
  }
  EXPECT_EQ(Said(), GetParam().expected);
}

const CommandCase kCommandCases[] = {
    // SetObjFlag
    {"FlagToggleOnNewObject",
     {{"SetObjFlag", "Door", "toggle"}},
     {"log: SetObjFlag: Door was set to true"}},
    {"FlagToggleTwice",
     {{"SetObjFlag", "Door", "toggle"}, {"SetObjFlag", "Door", "toggle"}},
     {"log: SetObjFlag: Door was set to false"}},
    {"FlagTrueThenFalse",
     {{"SetObjFlag", "Door", "true"}, {"SetObjFlag", "Door", "false"}},
     {"log: SetObjFlag: Door was set to false"}},
    {"FlagSettingIsCaseSensitive",
     {{"SetObjFlag", "Door", "true"}, {"SetObjFlag", "Door", "TRUE"}},
     {"warning: SetObjFlag: Unrecognized setting: TRUE", "log: SetObjFlag: Door was set to true"}},
    {"FlagMissingObject",
     {{"SetObjFlag", "Ghost", "true"}},
     {"warning: SetObjFlag: Can't find object to set flag on"}},
    {"FlagWrongCount",
     {{"SetObjFlag", "Door"}},
     {"warning: SetObjFlag: wrong number of arguments (Object, What)"}},
    {"FlagsAreKeptPerObject",
     {{"SetObjFlag", "Door", "true"}, {"SetObjFlag", "Lamp", "toggle"}},
     {"log: SetObjFlag: Lamp was set to true"}},
    // IfObjFlag
    {"IfFlagFalseOnNewObject", {{"IfObjFlag", "Door", "Yes", "No"}}, {"actor No"}},
    {"IfFlagTrue",
     {{"SetObjFlag", "Door", "true"}, {"IfObjFlag", "Door", "Yes", "No"}},
     {"actor Yes"}},
    {"IfFlagNothing",
     {{"IfObjFlag", "Door", "Yes", "nothing"}},
     {"log: IfObjFlag: nothing to execute"}},
    {"IfFlagMissingActor",
     {{"IfObjFlag", "Door", "Yes", "Nobody"}},
     {"warning: IfObjFlag: Nobody Actor was not found"}},
    {"IfFlagWrongCount",
     {{"IfObjFlag", "Door", "Yes"}},
     {"warning: IfObjFlag: wrong number of arguments (Object, What)"}},
    // SetObjVar
    {"VarSet", {{"SetObjVar", "Door", "=", "42"}}, {"log: SetObjVar: Door is set to 42"}},
    {"VarSubtract", {{"SetObjVar", "Door", "-", "5"}}, {"log: SetObjVar: Door is set to -5"}},
    {"VarWrapsAround",
     {{"SetObjVar", "Door", "=", "2147483647"}, {"SetObjVar", "Door", "+", "1"}},
     {"log: SetObjVar: Door is set to -2147483648"}},
    {"VarNumberWithoutDigits",
     {{"SetObjVar", "Door", "=", "7"}, {"SetObjVar", "Door", "=", "abc"}},
     {"log: SetObjVar: Door is set to 0"}},
    {"VarLeadingDigits",
     {{"SetObjVar", "Door", "=", " 12abc"}},
     {"log: SetObjVar: Door is set to 12"}},
    {"VarUnknownOperator",
     {{"SetObjVar", "Door", "=", "3"}, {"SetObjVar", "Door", "*", "2"}},
     {"warning: SetObjVar: Unrecognized operator: *", "log: SetObjVar: Door is set to 3"}},
    {"VarWrongCount",
     {{"SetObjVar", "Door", "+"}},
     {"warning: SetObjVar: wrong number of arguments (Object, Operator, Number)"}},
    // Names that name no object share the null object's variable.
    {"VarMissingObjectsShareARecord",
     {{"SetObjVar", "Ghost", "+", "2"}, {"SetObjVar", "Phantom", "+", "3"}},
     {"log: SetObjVar: (none) is set to 5"}},
    // IfObjVar
    {"IfVarZeroOnNewObject",
     {{"IfObjVar", "Door", "0", "Less", "Equal", "Greater"}},
     {"actor Equal"}},
    {"IfVarNumberAbcIsZero",
     {{"IfObjVar", "Door", "abc", "Less", "Equal", "Greater"}},
     {"actor Equal"}},
    {"IfVarLess", {{"IfObjVar", "Door", "1", "Less", "Equal", "Greater"}}, {"actor Less"}},
    {"IfVarGreater",
     {{"SetObjVar", "Door", "=", "3"}, {"IfObjVar", "Door", "-4", "Less", "Equal", "Greater"}},
     {"actor Greater"}},
    {"IfVarNothingIsLowerCaseV",
     {{"IfObjVar", "Door", "0", "Less", "nothing", "Greater"}},
     {"log: IfObjvar: nothing to execute"}},
    {"IfVarMissingActor",
     {{"IfObjVar", "Door", "0", "Less", "Nobody", "Greater"}},
     {"warning: IfObjVar: Nobody Actor was not found"}},
    {"IfVarWrongCount",
     {{"IfObjVar", "Door", "0"}},
     {"warning: IfObjVar: wrong number of arguments (Object, Number, LessThan, EqualTo, "
      "GreaterThan)"}},
    // CaseObjVar: -5, 0, 1, 2, 7 with three actors.
    {"CaseBelowZero",
     {{"SetObjVar", "Door", "=", "-5"}, {"CaseObjVar", "Door", "A0", "A1", "A2"}},
     {"actor A0"}},
    {"CaseZero", {{"CaseObjVar", "Door", "A0", "A1", "A2"}}, {"actor A0"}},
    {"CaseOne",
     {{"SetObjVar", "Door", "=", "1"}, {"CaseObjVar", "Door", "A0", "A1", "A2"}},
     {"actor A1"}},
    {"CaseTwo",
     {{"SetObjVar", "Door", "=", "2"}, {"CaseObjVar", "Door", "A0", "A1", "A2"}},
     {"actor A2"}},
    {"CaseAboveLast",
     {{"SetObjVar", "Door", "=", "7"}, {"CaseObjVar", "Door", "A0", "A1", "A2"}},
     {"actor A2"}},
    {"CaseNothing", {{"CaseObjVar", "Door", "nothing"}}, {"log: CaseObjVar: nothing to execute"}},
    {"CaseMissingActor",
     {{"CaseObjVar", "Door", "Nobody"}},
     {"warning: CaseObjVar: Nobody Actor was not found"}},
    {"CaseWithoutActors",
     {{"CaseObjVar", "Door"}},
     {"warning: CaseObjVar: wrong number of arguments (Object, Actor0, Actor1, ...)"}},
    {"CaseWithoutArguments",
     {{"CaseObjVar"}},
     {"warning: CaseObjVar: wrong number of arguments (Object, Actor0, Actor1, ...)"}},
    // TransObjVar
    {"TransFirstStep",
     {{"TransObjVar", "Door", "+", "1", "3", "Step"}},
     {"log: TransObjVar: Door is set to 1", "actor Step01"}},
    {"TransClampsAtMax",
     {{"TransObjVar", "Door", "+", "1", "3", "Step"},
      {"TransObjVar", "Door", "+", "1", "3", "Step"},
      {"TransObjVar", "Door", "+", "1", "3", "Step"},
      {"TransObjVar", "Door", "+", "1", "3", "Step"}},
     {"log: TransObjVar: Door is set to 3", "actor Step33"}},
    {"TransDigitsAboveNineAreNine",
     {{"SetObjVar", "Door", "=", "12"}, {"TransObjVar", "Door", "=", "15", "20", "Step"}},
     {"log: TransObjVar: Door is set to 15", "actor Step99"}},
    {"TransMaxFirstEvenWhenNegative",
     {{"SetObjVar", "Door", "=", "5"}, {"TransObjVar", "Door", "=", "3", "-1", "T"}},
     {"log: TransObjVar: Door is set to -1", "warning: TransObjVar: T5-1 Actor was not found"}},
    {"TransRaisedToZero",
     {{"SetObjVar", "Door", "=", "-1"}, {"TransObjVar", "Door", "-", "5", "20", "T"}},
     {"log: TransObjVar: Door is set to 0", "warning: TransObjVar: T-10 Actor was not found"}},
    {"TransUnknownOperatorStillTransits",
     {{"SetObjVar", "Door", "=", "9"}, {"TransObjVar", "Door", "?", "1", "99", "T"}},
     {"warning: TransObjVar: Unrecognized operator: ?", "log: TransObjVar: Door is set to 9",
      "actor T99"}},
    {"TransNothingIsAnActorName",
     {{"TransObjVar", "Door", "=", "0", "5", "nothing"}},
     {"log: TransObjVar: Door is set to 0", "warning: TransObjVar: nothing00 Actor was not found"}},
    {"TransWrongCount",
     {{"TransObjVar", "Door", "+", "1", "3"}},
     {"warning: TransObjVar: wrong number of arguments (Object, Operator, Number, Max, Basename)"}},
    {"TransNameAtTheLimit",
     {{"TransObjVar", "Door", "=", "0", "5", std::string(97, 'x')}},
     {"log: TransObjVar: Door is set to 0",
      "warning: TransObjVar: " + std::string(97, 'x') + "00 Actor was not found"}},
    {"TransNameTooLong",
     {{"TransObjVar", "Door", "=", "0", "5", std::string(98, 'x')}},
     {"log: TransObjVar: Door is set to 0",
      "warning: TransObjVar: actor name longer than 99 characters: " + std::string(40, 'x') +
          "..."}},
};

INSTANTIATE_TEST_SUITE_P(Cases, KilnCommandTest, ::testing::ValuesIn(kCommandCases),
                         [](const ::testing::TestParamInfo<CommandCase>& c) {
                           return std::string(c.param.name);
                         });

// A flag and a variable of the same object are independent.
TEST_F(KilnTest, FlagAndVariableAreIndependent) {
  Scene("object Door\nactor Yes\nactor No");
  Run("SetObjVar", {"Door", "=", "0"});
  Run("SetObjFlag", {"Door", "true"});
  Run("IfObjFlag", {"Door", "Yes", "No"});
  EXPECT_EQ(Said(), (Lines{"actor Yes"}));
  Run("SetObjVar", {"Door", "+", "0"});
  EXPECT_EQ(Said(), (Lines{"log: SetObjVar: Door is set to 0"}));
}

}  // namespace

namespace {

// A wrong argument count is warned and nothing else happens: no lookup, no
// record made or changed, no actor run.
TEST(KilnWrongCountTest, WarnsAndTouchesNothing) {
  const std::vector<std::vector<std::string>> kRuns = {
      {"SetObjFlag", "Door"},
      {"SetObjFlag", "Door", "true", "extra"},
      {"IfObjFlag", "Door", "Yes"},
      {"SetObjVar", "Door", "+"},
      {"IfObjVar", "Door", "0", "A", "B"},
      {"CaseObjVar", "Door"},
      {"TransObjVar", "Door", "+", "1", "3", "Step", "extra"},
      {"IfChildren", "Door", "Yes"},
      {"IfEvent", "Storm"},
      {"RandomActor"},
      {"RandomTimerActor", "Clock", "5", "3"},
      {"PickRandomObject", "chosen", "Door"},
      {"DetachFromParent"},
      {"FindRelatedObj", "Door", "found"},
      {"LoopRelatedObjs", "Door", "found", "Rope"},
      {"PickRandomRelatedObject", "found", "Door"},
      {"NextIdleRelatedObject", "found", "Door"},
      {"NextIdleObject", "chosen", "Door"},
      {"IfObjPlaying", "Door", "Yes"},
      {"AnimGov", "Door"},
      {"AnimGovUpdate"},
      {"ViewIntoAnimate", "Door"},
      {"TestAvi", "Door", "inc"},
      {"JiggyCam", "kill"},
      {"ZoomCamSet", "Door", "10"},
      {"DisplayChild"},
      {"DisplayVariable"},
      {"DisplayNumberFrames"},
      {"DisplayCamera"},
      {"DisplayPos", "Door"},
  };
  for (const auto& run : kRuns) {
    stage::Stage stage;
    std::string error;
    ASSERT_TRUE(stage.LoadPlugin(KILNXCMD_PLUGIN_PATH, &error)) << error;
    stage.model().AddObject("Door", nullptr, {0, 0, 0});
    stage.RunCommand(run[0], std::vector<std::string>(run.begin() + 1, run.end()));
    const auto& trace = stage.model().trace().lines();
    ASSERT_EQ(trace.size(), 3u) << run[0];
    EXPECT_EQ(trace[1].rfind("@0 ApiMessageWarn(\"" + run[0] + ": wrong number of arguments (", 0),
              0u)
        << trace[1];
    EXPECT_EQ(trace[2], "@0 <" + run[0] + ".Run() -> 1");
  }
}

}  // namespace
