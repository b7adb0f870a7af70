// Objects related by name: the related, lettered, random and idle members
// of numbered series, and the limits of the names built.
#include <set>

#include "kiln/kiln_fixture.h"

namespace {

using kilntest::KilnTest;
using kilntest::Lines;

class RelatedTest : public KilnTest {
 protected:
  void SetUp() override {
    KilnTest::SetUp();
    Scene(
        "object Cove..Door01\n object Cove..Lamp01\n object Cove..Door02\n"
        "object Cove..Bell301\n object Cove..Rope01a\n object Cove..Rope01b\n object "
        "Cove..Rope01c\n"
        "object Cove..Bell001\n object Cove..Bellx01\n object Cove..Bell~01\n"
        "object Cove..Bell\xff"
        "01\n"
        "object Cove..Lamp03\n object Cove..Lamp04\n object Cove..Lamp05\n"
        "object Hall..Fan01\n behavior Hall..Fan01 spin\n object Hall..Fan02\n behavior "
        "Hall..Fan02 spin\n"
        "object Hall..Fan03\n object Hall..Fan05\n behavior Hall..Fan05 spin\n"
        "object Door01\n object ab\n object abc\n object " +
        std::string(97, 'y') +
        "98\n"
        "object " +
        std::string(38, 'R') + "..Door01\n object " + std::string(39, 'R') +
        "..Door01\n"
        "object " +
        std::string(99, 'x') + "\n object " + std::string(100, 'x') +
        "\n"
        "variable found Cove..Door01\n actor Pull\n event Ringing\n");
  }
  void Play(const char* object) {
    for (stage::Behavior* b : stage_.model().FindObject(object)->behaviors) stage_.model().Play(b);
  }
  std::string Bound(const char* variable) {
    auto* object =
        stage_.model().Object(stage::KeyOps(stage_.model()).GetObjKeyByID(variable)->fObject);
    return object != nullptr ? object->name : "";
  }
};

struct RelatedCase {
  const char* name;
  std::vector<std::string> run;
  Lines expected;
  const char* bound;  // what "found" names afterwards; null: not checked
  int32_t result = 1;
};

void PrintTo(const RelatedCase& c, std::ostream* os) {
  *os << c.name;
}

class RelatedCaseTest : public RelatedTest, public ::testing::WithParamInterface<RelatedCase> {};

TEST_P(RelatedCaseTest, GivesTheseLines) {
  Play("Hall..Fan01");
  Play("Hall..Fan02");
  const auto& run = GetParam().run;
  EXPECT_EQ(Run(run[0], std::vector<std::string>(run.begin() + 1, run.end())), GetParam().result);
  EXPECT_EQ(Said(), GetParam().expected);
  if (GetParam().bound != nullptr) {
    EXPECT_EQ(Bound("found"), GetParam().bound);
  }
}

const std::string kShortWarning =
    "warning: PickRandomRelatedObject: base object name needs to have at least three characters "
    "(NAMExx)";
const std::string kBigWarning = "warning: PickRandomRelatedObject: base object name is too big!";
const std::string k38 = std::string(38, 'R'), k39 = std::string(39, 'R');

const RelatedCase kRelatedCases[] = {
    {"FindExisting",
     {"FindRelatedObj", "Cove..Door01", "found", "Lamp"},
     {"log: FindRelatedObj: Found related object Cove..Lamp01"},
     "Cove..Lamp01"},
    {"FindMissingBindsNothing",
     {"FindRelatedObj", "Cove..Door02", "found", "Lamp"},
     {"log: FindRelatedObj: Found related object Cove..Lamp02"},
     ""},
    {"FindWithoutRoom",
     {"FindRelatedObj", "Door01", "found", "Lamp"},
     {"warning: FindRelatedObj: Can't find room or name too big; in Door01"},
     "Cove..Door01"},
    {"FindRoomAtTheLimit",
     {"FindRelatedObj", k38 + "..Door01", "found", "Lamp"},
     {"log: FindRelatedObj: Found related object " + k38 + "..Lamp01"},
     ""},
    {"FindRoomTooFar",
     {"FindRelatedObj", k39 + "..Door01", "found", "Lamp"},
     {"warning: FindRelatedObj: Can't find room or name too big; in " + k39 + "..Door01"},
     "Cove..Door01"},
    {"FindShortName", {"FindRelatedObj", "ab", "found", "Lamp"}, {kShortWarning}, "Cove..Door01"},
    {"FindThreeCharacters",
     {"FindRelatedObj", "abc", "found", "Lamp"},
     {"warning: FindRelatedObj: Can't find room or name too big; in abc"},
     "Cove..Door01"},
    {"FindNameOf99",
     {"FindRelatedObj", std::string(99, 'x'), "found", "Lamp"},
     {"warning: FindRelatedObj: Can't find room or name too big; in " + std::string(99, 'x')},
     "Cove..Door01"},
    {"FindNameOf100",
     {"FindRelatedObj", std::string(100, 'x'), "found", "Lamp"},
     {kBigWarning},
     "Cove..Door01"},
    {"FindBaseMissing",
     {"FindRelatedObj", "Cove..Door09", "found", "Lamp"},
     {"warning: FindRelatedObj: base object Cove..Door09 not found"},
     "Cove..Door01"},
    // Room (6) + Text + number (2): 99 characters is the longest name.
    {"FindNameAtTheLimit",
     {"FindRelatedObj", "Cove..Door01", "found", std::string(91, 'T')},
     {"log: FindRelatedObj: Found related object Cove.." + std::string(91, 'T') + "01"},
     ""},
    {"FindNameTooLong",
     {"FindRelatedObj", "Cove..Door01", "found", std::string(92, 'T')},
     {"warning: FindRelatedObj: related name longer than 99 characters: Cove.." +
      std::string(34, 'T') + "..."},
     "Cove..Door01"},
    {"FindWrongCount",
     {"FindRelatedObj", "Cove..Door01", "found"},
     {"warning: FindRelatedObj: wrong number of arguments (Object, Variable, Text)"},
     "Cove..Door01"},
    {"LoopThree",
     {"LoopRelatedObjs", "Cove..Bell301", "found", "Rope", "Pull"},
     {"actor Pull", "actor Pull", "actor Pull",
      "log: LoopRelatedObj: Cove..Rope01c with 3 relations"},
     "Cove..Rope01c"},
    {"LoopZero",
     {"LoopRelatedObjs", "Cove..Bell001", "found", "Rope", "Pull"},
     {"warning: LoopRelatedObjs: WARNING: number of relatives in object not 1-9 (its 0)",
      "log: LoopRelatedObj:  with 0 relations"},
     "Cove..Door01"},
    {"LoopMissingActor",
     {"LoopRelatedObjs", "Cove..Bell301", "found", "Rope", "Nobody"},
     {"warning: LoopRelatedObj: Can't find Nobody Actor to execute"},
     "Cove..Door01"},
    {"LoopMissingRelative",
     {"LoopRelatedObjs", "Cove..Bell301", "found", "Bell", "Pull"},
     {"warning: LoopRelatedObj: Can't find related Cove..Bell01a object",
      "warning: LoopRelatedObj: Can't find related Cove..Bell01b object",
      "warning: LoopRelatedObj: Can't find related Cove..Bell01c object",
      "log: LoopRelatedObj: Cove..Bell01c with 3 relations"},
     "Cove..Door01"},
    {"LoopWithoutRoom",
     {"LoopRelatedObjs", "Door01", "found", "Rope", "Pull"},
     {"warning: LoopRelatedObj: Can't find room or name too big; in Door01"},
     "Cove..Door01"},
    {"LoopShortName",
     {"LoopRelatedObjs", "ab", "found", "Rope", "Pull"},
     {kShortWarning},
     "Cove..Door01"},
    // Room (6) + Text + number (2) + letter: 99 characters is the longest.
    {"LoopNameTooLong",
     {"LoopRelatedObjs", "Cove..Bell301", "found", std::string(91, 'T'), "Pull"},
     {"warning: LoopRelatedObjs: related name longer than 99 characters: Cove.." +
      std::string(34, 'T') + "..."},
     "Cove..Door01"},
    {"LoopWrongCount",
     {"LoopRelatedObjs", "Cove..Bell301", "found", "Rope"},
     {"warning: LoopRelatedObjs: wrong number of arguments (Object, Variable, Text, Actor)"},
     "Cove..Door01"},
    // "1a" reads as 1: the only pick is Cove..Rope0 followed by 01.
    {"PickMissing",
     {"PickRandomRelatedObject", "found", "Cove..Rope01a", "1"},
     {"warning: PickRandomRelatedObject: Cove..Rope001 does not exist for some reason"},
     ""},
    {"PickHighBelowOne",
     {"PickRandomRelatedObject", "found", "Cove..Lamp03", "0"},
     {},
     "Cove..Door01"},
    {"PickEmptyRange",
     {"PickRandomRelatedObject", "found", "Cove..Lamp03", "2"},
     {"warning: PickRandomRelatedObject: max_number 2 leaves nothing to pick from Cove..Lamp03"},
     "Cove..Door01"},
    // Below the base number the range is empty too: nothing is picked.
    {"PickMaximumBelowTheBase",
     {"PickRandomRelatedObject", "found", "Cove..Lamp05", "3"},
     {"warning: PickRandomRelatedObject: max_number 3 leaves nothing to pick from Cove..Lamp05"},
     "Cove..Door01"},
    {"PickShortName",
     {"PickRandomRelatedObject", "found", "ab", "2"},
     {kShortWarning},
     "Cove..Door01"},
    {"PickBigName",
     {"PickRandomRelatedObject", "found", std::string(100, 'x'), "2"},
     {kBigWarning},
     "Cove..Door01"},
    {"PickWrongCount",
     {"PickRandomRelatedObject", "found", "Cove..Lamp03"},
     {"warning: PickRandomRelatedObject: wrong number of arguments (Var, base_obj, max_number)"},
     "Cove..Door01"},
    {"IdleFirstIdle",
     {"NextIdleRelatedObject", "found", "Hall..Fan01", "5"},
     {"warning: NextIdleRelatedObject: Hall..Fan03 behavior not found?",
      "warning: NextIdleRelatedObject: Hall..Fan04 object not found",
      "log: NextIdleRelatedObject: Hall..Fan05 object was found to be idle"},
     "Hall..Fan05"},
    {"IdleNoneIdleClears", {"NextIdleRelatedObject", "found", "Hall..Fan01", "2"}, {}, ""},
    {"IdleEmptyRangeClears", {"NextIdleRelatedObject", "found", "Hall..Fan05", "3"}, {}, ""},
    {"IdleEventRunsAgain",
     {"NextIdleRelatedObject", "found", "Hall..Fan01", "2", "Ringing"},
     {},
     "",
     0},
    {"IdleNoEventDone", {"NextIdleRelatedObject", "found", "Hall..Fan01", "2", "Quiet"}, {}, "", 1},
    {"IdleShortName",
     {"NextIdleRelatedObject", "found", "ab", "2"},
     {"warning: NextIdleRelatedObject: base object name needs to have at least three characters "
      "(NAMExx)"},
     "Cove..Door01"},
    {"IdleBigName",
     {"NextIdleRelatedObject", "found", std::string(100, 'x'), "2"},
     {"warning: NextIdleRelatedObject: base object name is too big!"},
     "Cove..Door01"},
    // 97 + "98" and "99" have 99 characters; 97 + "100" is refused.
    {"IdleNameTooLong",
     {"NextIdleRelatedObject", "found", std::string(97, 'y') + "98", "100"},
     {"warning: NextIdleRelatedObject: " + std::string(97, 'y') + "98 behavior not found?",
      "warning: NextIdleRelatedObject: " + std::string(97, 'y') + "99 object not found",
      "warning: NextIdleRelatedObject: related name longer than 99 characters: " +
          std::string(40, 'y') + "..."},
     ""},
    {"IdleWrongCount",
     {"NextIdleRelatedObject", "found", "Hall..Fan01", "2", "Ringing", "x"},
     {"warning: NextIdleRelatedObject: wrong number of arguments (Var, base_obj, max_number)"},
     "Cove..Door01"},
};

INSTANTIATE_TEST_SUITE_P(Cases, RelatedCaseTest, ::testing::ValuesIn(kRelatedCases),
                         [](const ::testing::TestParamInfo<RelatedCase>& c) {
                           return std::string(c.param.name);
                         });

// The variable's key is found before the related object is looked up.
TEST_F(RelatedTest, FindRelatedObjFindsTheKeyThenTheObject) {
  Run("FindRelatedObj", {"Cove..Door01", "found", "Lamp"});
  EXPECT_EQ(Calls(), (Lines{"GetSceneObjectByID(\"Cove..Door01\") -> Cove..Door01",
                            "GetID(Cove..Door01) -> \"Cove..Door01\"",
                            "GetObjKeyByID(\"found\") -> key:found",
                            "GetSceneObjectByID(\"Cove..Lamp01\") -> Cove..Lamp01",
                            "VarSetTo(key:found, Cove..Lamp01)",
                            "ApiMessage(\"FindRelatedObj: Found related object Cove..Lamp01\")"}));
}

TEST_F(RelatedTest, LoopBindsEachRelativeBeforeItsRun) {
  Run("LoopRelatedObjs", {"Cove..Bell301", "found", "Rope", "Pull"});
  Lines calls;
  for (const auto& line : Traced())
    if (line.find("VarSetTo(") != std::string::npos || line.find("ExecActor(") != std::string::npos)
      calls.push_back(line.substr(0, line.find(')') + 1));
  EXPECT_EQ(
      calls,
      (Lines{"@0 VarSetTo(key:found, Cove..Rope01a)", "@0 ExecActor(actor:Pull, null, 1, -1)",
             "@0 VarSetTo(key:found, Cove..Rope01b)", "@0 ExecActor(actor:Pull, null, 1, -1)",
             "@0 VarSetTo(key:found, Cove..Rope01c)", "@0 ExecActor(actor:Pull, null, 1, -1)"}));
}

// A byte above '9' before the number counts on past 9 ('~' gives 78, the
// byte 0xFF 207): the relatives stop at the letter z.
TEST_F(RelatedTest, LoopRelativesStopAtTheLetterZ) {
  for (const char* base : {"Cove..Bell~01",
                           "Cove..Bell\xff"
                           "01"}) {
    const std::string digit(1, base[10]);
    const int32_t count = int32_t(static_cast<unsigned char>(base[10])) - '0';
    Run("LoopRelatedObjs", {base, "found", "Rope", "Pull"});
    Lines expected{
        "warning: LoopRelatedObjs: WARNING: number of relatives in object not 1-9 (its " + digit +
            ")",
        "actor Pull", "actor Pull", "actor Pull"};
    for (char letter = 'd'; letter <= 'z'; ++letter)
      expected.push_back(std::string("warning: LoopRelatedObj: Can't find related Cove..Rope01") +
                         letter + " object");
    expected.push_back("log: LoopRelatedObj: Cove..Rope01z with " + std::to_string(count) +
                       " relations");
    EXPECT_EQ(Said(), expected) << base;
    EXPECT_EQ(Bound("found"), "Cove..Rope01c");
  }
}

TEST_F(RelatedTest, PickRandomRelatedObjectPicksFromTheBaseNumberToTheMaximum) {
  std::set<std::string> picked;
  for (int i = 0; i < 60; ++i) {
    Run("PickRandomRelatedObject", {"found", "Cove..Lamp03", "5"});
    ASSERT_EQ(Said().size(), 1u);
    picked.insert(Bound("found"));
  }
  EXPECT_EQ(picked, (std::set<std::string>{"Cove..Lamp03", "Cove..Lamp04", "Cove..Lamp05"}));
  Run("PickRandomRelatedObject", {"found", "Cove..Lamp03", "3"});
  EXPECT_EQ(Said(),
            Lines{"log: PickRandomRelatedObject: Cove..Lamp03 is the random object picked"});
}

}  // namespace
