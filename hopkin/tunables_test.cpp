#include "hopkin/tunables.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "kit/testing/temp_dir.h"
#include "kit/testing/tunables_text.h"

namespace {

using mktest::Describe;

// A hopkin.ini of the test's own, removed afterwards.
class IniFile {
 public:
  explicit IniFile(const std::string& text) : dir_(mktest::MakeTempDir("hopkin_ini")) {
    path_ = (dir_ / "hopkin.ini").string();
    std::ofstream(path_, std::ios::binary) << text;
  }
  ~IniFile() { std::filesystem::remove_all(dir_); }
  const char* path() const { return path_.c_str(); }

 private:
  std::filesystem::path dir_;
  std::string path_;
};

ktTunables Loaded(const std::string& text) {
  ktTunables tunables;
  HopkinAddDefaults(&tunables);
  IniFile file(text);
  EXPECT_TRUE(tunables.Load(file.path()));
  return tunables;
}

struct IniCase {
  const char* name;
  std::string text;
  const char* key;
  std::string values;  // Describe() of the key's list after loading
};

void PrintTo(const IniCase& c, std::ostream* os) {
  *os << c.name;
}

class TunablesFileTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(TunablesFileTest, GivesTheseValues) {
  const ktTunables tunables = Loaded(GetParam().text);
  EXPECT_EQ(Describe(tunables.List(GetParam().key)), GetParam().values);
}

const std::string kLongValue(300, 'x');

const IniCase kIniCases[] = {
    {"TwoAvoidersReplaceTheFourDefaults", "FlockAvoiders 'Cove..A', 'Cove..B'\n", "FlockAvoiders",
     "'Cove..A' 'Cove..B'"},
    {"KeyAloneEmptiesTheList", "FlockAvoiders\n", "FlockAvoiders", ""},
    {"KeyAloneWithSeparatorsEmptiesTheList", "FlockAvoiders = \n", "FlockAvoiders", ""},
    {"IntegerWithoutDecimalPoint", "VelocityWalk 1\n", "VelocityWalk", "1"},
    {"DecimalPointMakesAFloat", "MaxFlockMood 2.9\n", "MaxFlockMood", "2.9f"},
    {"KeyInLowerCaseOverridesTheDefault", "velocitywalk 0.5\n", "VelocityWalk", "0.5f"},
    {"KeyInUpperCaseIsTheSameKey", "VELOCITYWALK 0.5\n", "velocityWalk", "0.5f"},
    {"SquareBracketsOnTheKeyAreDropped", "FlockWaitWeights[] = 1, 2\n", "FlockWaitWeights", "1 2"},
    {"BracketsAloneAreAKey", "[] 4\n", "[]", "4"},
    {"EqualsAndCommasSeparate", "VelocityRun=0.3,,0.4 = 7\n", "VelocityRun", "0.3f 0.4f 7"},
    {"TabsSeparate", "VelocityRun\t0.3\t\t8\n", "VelocityRun", "0.3f 8"},
    {"QuotedValueHoldsBlanksAndCommas", "FlockAvoiders 'Cove..A B, C=D'\n", "FlockAvoiders",
     "'Cove..A B, C=D'"},
    {"UnclosedQuoteRunsToTheEndOfTheLine", "FlockAvoiders 'Cove..A, B # c\nVelocityRun 0.3\n",
     "FlockAvoiders", "'Cove..A, B # c'"},
    {"QuoteEndsAToken", "FlockAvoiders 'a'b\n", "FlockAvoiders", "'a' 0"},
    {"EmptyQuotes", "FlockAvoiders ''\n", "FlockAvoiders", "''"},
    {"QuotedValueHoldsAHash", "FlockAvoiders 'a#b'\n", "FlockAvoiders", "'a#b'"},
    {"HashEndsAnUnquotedValue", "FlockAvoiders ab#cd 'e'\n", "FlockAvoiders", "0"},
    {"CommentLineIsIgnored", "# VelocityWalk 9.0\nVelocityRun 0.3\n", "VelocityWalk", "0.1625f"},
    {"CommentAfterTheValues", "VelocityWalk 0.3 # 9.0\n", "VelocityWalk", "0.3f"},
    {"CommentAfterBlanksIsAnEmptyLine", "   # VelocityWalk 9.0\n", "VelocityWalk", "0.1625f"},
    {"SkipToPiksIsIgnored", "skip\nVelocityWalk 9.0\nSKIP\nVelocityWalk 8.0\nPiks\npiks\n",
     "VelocityWalk", "0.1625f"},
    {"LineAfterTheSkipBlockIsRead", "skip\nVelocityWalk 9.0\npiks\nVelocityWalk 0.3\n",
     "VelocityWalk", "0.3f"},
    {"LastLineForAKeyWins", "VelocityWalk 0.3\nVelocityWalk 0.4, 0.5\n", "VelocityWalk",
     "0.4f 0.5f"},
    {"CarriageReturnsEndLines", "VelocityWalk 0.3\r\nVelocityRun 0.4\r\n", "VelocityWalk", "0.3f"},
    {"LastLineWithoutABreak", "VelocityWalk 0.3", "VelocityWalk", "0.3f"},
    {"UnknownKeyIsKept", "NotAKey 3 'x'\n", "NotAKey", "3 'x'"},
    {"FloatWithTrailingGarbage", "VelocityWalk 1.5abc\n", "VelocityWalk", "1.5f"},
    {"FloatWithSigns", "VelocityWalk -.5 +2.25\n", "VelocityWalk", "-0.5f 2.25f"},
    {"FloatWithExponent", "VelocityWalk 1.5e2\n", "VelocityWalk", "150f"},
    {"FloatWithoutDigits", "VelocityWalk .x\n", "VelocityWalk", "0f"},
    {"FloatBeyondTheRangeStopsAtItsEnd", "VelocityWalk 1.0e999 -1.0e999 1.0e-999\n", "VelocityWalk",
     "3.4028235e+38f -3.4028235e+38f 0f"},
    {"FloatNamedNotANumberIsZero", "VelocityWalk nan. inf.\n", "VelocityWalk", "0f 3.4028235e+38f"},
    {"IntegerWithTrailingGarbage", "StartFlockMood 7abc\n", "StartFlockMood", "7"},
    {"IntegerWithoutDigits", "StartFlockMood x7\n", "StartFlockMood", "0"},
    {"IntegerWithSigns", "StartFlockMood -2 +3 -\n", "StartFlockMood", "-2 3 0"},
    {"IntegerBeyondTheRangeStopsAtItsEnd", "StartFlockMood 99999999999 -99999999999\n",
     "StartFlockMood", "2147483647 -2147483648"},
    // A line is read into a buffer of 256 bytes: the key and the opening
    // quote take 15 characters of the 255 kept, the string the other 240.
    {"LongLineKeepsItsFirst255Characters", "FlockAvoiders '" + kLongValue + "'\n", "FlockAvoiders",
     "'" + std::string(240, 'x') + "'"},
    {"LineAfterALongLineIsRead", "FlockAvoiders '" + kLongValue + "'\nVelocityWalk 0.3\n",
     "VelocityWalk", "0.3f"},
    {"LongLineCutInsideANumber", "VelocityWalk " + std::string(238, ' ') + "0.12345678\n",
     "VelocityWalk", "0.12f"},
};

INSTANTIATE_TEST_SUITE_P(Edges, TunablesFileTest, ::testing::ValuesIn(kIniCases),
                         [](const ::testing::TestParamInfo<IniCase>& c) {
                           return std::string(c.param.name);
                         });

TEST(TunablesTest, IntegerReadsAsFloatAndFloatAsTruncatedInteger) {
  const ktTunables tunables = Loaded("VelocityWalk 1\nMaxFlockMood 2.9\nMinFlockMood -2.9\n");
  EXPECT_EQ(tunables.Float("VelocityWalk"), 1.0f);
  EXPECT_EQ(tunables.Int("MaxFlockMood"), 2);
  EXPECT_EQ(tunables.Int("MinFlockMood"), -2);
}

TEST(TunablesTest, EmptiedKeyReadsAsMissing) {
  const ktTunables tunables = Loaded("VelocityWalk\n");
  EXPECT_EQ(tunables.Find("VelocityWalk"), nullptr);
  EXPECT_EQ(tunables.Float("VelocityWalk"), 0.0f);
  EXPECT_EQ(tunables.Int("VelocityWalk"), 0);
  EXPECT_EQ(tunables.List("VelocityWalk").count, 0);
}

TEST(TunablesTest, MissingFileKeepsTheDefaults) {
  ktTunables tunables;
  HopkinAddDefaults(&tunables);
  EXPECT_FALSE(tunables.Load("no/such/dir/hopkin.ini"));
  EXPECT_EQ(tunables.Float("VelocityWalk"), 0.1625f);
  EXPECT_EQ(tunables.List("FlockAvoiders").count, 4);
}

// Adding the defaults twice appends them twice, as a second initialisation
// of the brain class would.
TEST(TunablesTest, DefaultsAreAppended) {
  ktTunables tunables;
  HopkinAddDefaults(&tunables);
  HopkinAddDefaults(&tunables);
  EXPECT_EQ(Describe(tunables.List("FlockGatherPlaces")),
            "'Cove..GatherPlace01' 'Cove..GatherPlace02' 'Cove..GatherPlace01' "
            "'Cove..GatherPlace02'");
}

struct DefaultCase {
  const char* key;
  const char* values;
};

const DefaultCase kDefaults[] = {
    {"VelocityWalk", "0.1625f"},
    {"VelocityRun", "0.225f"},
    {"VelocityJump", "0.525f"},
    {"PlayerTooClose", "5f"},
    {"MinSeparationDist", "7.5f"},
    {"MaxSeparationDist", "10f"},
    {"MinCohesionDist", "15f"},
    {"MaxCohesionDist", "20f"},
    {"TravelToMoodFactor", "0.35f"},
    {"StartFlockMood", "1"},
    {"MaxFlockMood", "2"},
    {"MinFlockMood", "0"},
    {"ConsecutiveFreedoms", "3"},
    {"ConsecutiveDeaths", "3"},
    {"MaxCuriosityDistance", "100f 100f 100f 100f"},
    {"PeakCuriosityDistance", "50f 50f 30f 20f"},
    {"MaxFearDistance", "100f 100f 100f 100f"},
    {"PeakFearDistance", "50f 30f 20f 20f"},
    {"FacingFearFactor", "0.85f 0.75f 0.75f 0.5f"},
    {"MinCuriosityRate", "0.4f 0.4f 0.6f 0.6f"},
    {"MaxCuriosityRate", "0.6f 0.6f 0.8f 0.8f"},
    {"MinFearRate", "0.8f 0.8f 0.6f 0.6f"},
    {"MaxFearRate", "1f 1f 0.8f 0.8f"},
    {"FlockWaitWeights", "5 5 5 5 5 15 15"},
    {"FlockAvoiders",
     "'Cove..ZoveziWallBlocker' 'Cove..ZoveziLaunchBlockLeft' 'Cove..ZoveziLaunchBlockRight' "
     "'Cove..ZoveziExitBlocker'"},
    {"FlockGatherPlaces", "'Cove..GatherPlace01' 'Cove..GatherPlace02'"},
    {"FlockFlockPerceptionRange", "200f"},
    {"FlockVelocityInfluence", "0f"},
    {"FlockFlockInfluence", "1f"},
    {"FlockAvoidInfluence", "2f"},
    {"FlockAvoidHittingPlayerInfluence", "1f"},
    {"FlockMoodInfluence", "1f"},
    {"FlockFlockCruisingInfluence", "0.5f"},
    {"FlockFlockKeepDistanceInfluence", "1f"},
    {"FlockFlockCohesionInfluence", "0.5f"},
    {"FlockFlockMatchHeadingInfluence", "0.5f"},
    {"FlockFlockSteerToCenterInfluence", "0.5f"},
    {"FlockFlockGatheringPlaceInfluence", "0.75f"},
    {"LonerWaitWeights", "5 5 5 5 5 15 15"},
    {"LonerAvoiders",
     "'Cove..ZoveziWallBlocker' 'Cove..ZoveziLaunchBlockLeft' 'Cove..ZoveziLaunchBlockRight'"},
    {"LonerGatherPlaces", "'Cove..ZoveziExitAttractorLeft' 'Cove..ZoveziExitAttractorRight'"},
    {"LonerVelocityInfluence", "0f"},
    {"LonerFlockInfluence", "1f"},
    {"LonerFlockInfluenceWhenClose", "1.5f"},
    {"LonerAvoidInfluence", "1f"},
    {"LonerAvoidHittingPlayerInfluence", "1f"},
    {"LonerMoodInfluence", "1f"},
    {"LonerFlockGatheringPlaceInfluence", "1f"},
    {"LonerFlockCruisingInfluence", "0f"},
    {"LonerFlockKeepDistanceInfluence", "1f"},
    {"LonerFlockCohesionInfluence", "0f"},
    {"LonerFlockMatchHeadingInfluence", "0f"},
    {"LonerFlockSteerToCenterInfluence", "0f"},
};

TEST(TunablesTest, BuiltInDefaults) {
  ktTunables tunables;
  HopkinAddDefaults(&tunables);
  for (const DefaultCase& expected : kDefaults)
    EXPECT_EQ(Describe(tunables.List(expected.key)), expected.values) << expected.key;
}

}  // namespace
