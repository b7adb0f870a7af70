// The creature brain itself (hopkin.cpp): its temperament, its levels and
// modes, and the parameter commands, on a brain made directly.
#include "hopkin/hopkin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "kit/testing/temp_dir.h"

namespace {

// The defaults with the lines of `ini` read over them, as the brain class
// fills its store.
ktTunables Tunables(const std::string& ini) {
  ktTunables tunables;
  HopkinAddDefaults(&tunables);
  const std::filesystem::path dir = mktest::MakeTempDir("hopkin_brain");
  std::ofstream(dir / "hopkin.ini", std::ios::binary) << ini;
  EXPECT_TRUE(tunables.Load((dir / "hopkin.ini").string().c_str()));
  std::filesystem::remove_all(dir);
  return tunables;
}

void Send(HopkinBrain& brain, std::vector<const char*> words) {
  brain.SendParams(int32_t(words.size()), words.data());
}

struct LevelCase {
  const char* name;
  std::string ini;
  std::vector<const char*> commands;
  int32_t level;
};

void PrintTo(const LevelCase& c, std::ostream* os) {
  *os << c.name;
}

class MoodLevelTest : public ::testing::TestWithParam<LevelCase> {};

TEST_P(MoodLevelTest, Is) {
  const ktTunables tunables = Tunables(GetParam().ini);
  int32_t filled = 0;
  HopkinBrain brain(&tunables, nullptr, &filled);
  for (const char* command : GetParam().commands) Send(brain, {command});
  EXPECT_EQ(brain.fMoodLevel, GetParam().level);
}

const LevelCase kLevelCases[] = {
    {"StartsAtStartFlockMood", "", {}, 1},
    {"ThreeFreedomsRaiseByOne", "", {"freedom", "freedom", "freedom"}, 2},
    {"CommandsIgnoreCase", "", {"FREEDOM", "Freedom", "freedom"}, 2},
    {"DeathResetsTheFreedomCount", "", {"freedom", "freedom", "death", "freedom", "freedom"}, 1},
    {"FreedomResetsTheDeathCount", "", {"death", "death", "freedom", "death", "death"}, 1},
    {"FreedomAtTheMaximumStays",
     "",
     {"freedom", "freedom", "freedom", "freedom", "freedom", "freedom"},
     2},
    {"ThreeDeathsLowerByOne", "", {"death", "death", "death"}, 0},
    {"DeathAtTheMinimumStays", "", {"death", "death", "death", "death", "death", "death"}, 0},
    {"UpAndDown", "", {"freedom", "freedom", "freedom", "death", "death", "death"}, 1},
    {"OtherCommandsChangeNothing", "", {"dance", "activate", "deactivate", "travelto"}, 1},
    {"NoConsecutiveFreedomsMakesEveryFreedomCount", "ConsecutiveFreedoms\n", {"freedom"}, 2},
    {"OneDeathInARow", "ConsecutiveDeaths 1\n", {"death"}, 0},
    {"LevelsAreKeptWithinTheTables",
     "StartFlockMood 7\nMaxFlockMood 9\n",
     {"freedom", "freedom", "freedom"},
     3},
    {"MinimumBelowZeroIsZero",
     "StartFlockMood -4\nMinFlockMood -2\n",
     {"death", "death", "death"},
     0},
};

INSTANTIATE_TEST_SUITE_P(Commands, MoodLevelTest, ::testing::ValuesIn(kLevelCases),
                         [](const ::testing::TestParamInfo<LevelCase>& c) {
                           return std::string(c.param.name);
                         });

// The draws of a new brain, in order: the voice interval, four curiosity
// rates, four fear rates.
TEST(HopkinBrainTest, DrawsItsTemperamentInOrder) {
  const ktTunables tunables = Tunables("MinCuriosityRate 0.5\nMaxFearRate 0.9\n");
  int32_t filled = 0;
  std::srand(12345);
  HopkinBrain brain(&tunables, nullptr, &filled);
  std::srand(12345);
  int r[9];
  for (int& value : r) value = std::rand() % 1000;
  EXPECT_EQ(brain.fVoiceInterval, 2.0f + 3.0f * float(r[0]) * 0.001f);
  // Levels the file leaves out: MinCuriosityRate 0, MaxFearRate 1.0, 1.0,
  // 0.8, 0.8.
  const float minCuriosity[4] = {0.5f, 0, 0, 0}, maxCuriosity[4] = {0.6f, 0.6f, 0.8f, 0.8f};
  const float minFear[4] = {0.8f, 0.8f, 0.6f, 0.6f}, maxFear[4] = {0.9f, 1.0f, 0.8f, 0.8f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(brain.fLevels.curiosityRate[i],
              minCuriosity[i] + float(r[1 + i]) * 0.001f * (maxCuriosity[i] - minCuriosity[i]))
        << i;
    EXPECT_EQ(brain.fLevels.fearRate[i],
              minFear[i] + float(r[5 + i]) * 0.001f * (maxFear[i] - minFear[i]))
        << i;
  }
}

TEST(HopkinBrainTest, ReadsFourValuesPerLevelKey) {
  const ktTunables tunables = Tunables(
      "PeakCuriosityDistance 40.0\nMaxFearDistance 80.0, 70.0, 60.0, 50.0, 40.0\n"
      "FacingFearFactor\n");
  int32_t filled = 0;
  HopkinBrain brain(&tunables, nullptr, &filled);
  const HopkinLevels& l = brain.fLevels;
  // Levels that the file leaves out keep the built-in defaults.
  EXPECT_EQ(std::vector<float>(l.peakCuriosityDist, l.peakCuriosityDist + 4),
            (std::vector<float>{40, 50, 30, 20}));
  EXPECT_EQ(std::vector<float>(l.maxFearDist, l.maxFearDist + 4),
            (std::vector<float>{80, 70, 60, 50}));
  EXPECT_EQ(std::vector<float>(l.facingFearFactor, l.facingFearFactor + 4),
            (std::vector<float>{0.85f, 0.75f, 0.75f, 0.5f}));
  EXPECT_EQ(std::vector<float>(l.maxCuriosityDist, l.maxCuriosityDist + 4),
            (std::vector<float>{100, 100, 100, 100}));
}

// velocity, flock, avoid, mood, avoid-hitting-player
std::vector<float> Influences(const HopkinBrain& brain) {
  const HopkinInfluences& i = brain.fInfluences;
  return {i.velocity, i.flock, i.avoid, i.mood, i.avoidPlayer};
}

TEST(HopkinBrainTest, StartsInTheFlock) {
  const ktTunables tunables = Tunables("");
  int32_t filled = 0;
  HopkinBrain brain(&tunables, nullptr, &filled);
  EXPECT_EQ(Influences(brain), (std::vector<float>{0, 1, 2, 1, 1}));
  EXPECT_EQ(brain.fLonerFlockInfluence, 1.0f);
  EXPECT_EQ(brain.fLonerFlockInfluenceClose, 1.0f);
  EXPECT_EQ(brain.fIdleWeights, (std::vector<float>{5, 5, 5, 5, 5, 15, 15}));
  EXPECT_STREQ(brain.fCurrentAnimation, "wait");
  EXPECT_EQ(brain.fStanding, 1);
  EXPECT_EQ(brain.fInFlock, 1);
  EXPECT_EQ(brain.fActive, 1);
  EXPECT_EQ(brain.fLocallyOwned, 1);
  EXPECT_EQ(brain.fMaxMoodLevel, 2);
  EXPECT_EQ(brain.fMinMoodLevel, 0);
  EXPECT_EQ(brain.fPlayerTooClose, 5.0f);
  EXPECT_EQ(brain.fVelocityWalk, 0.1625f);
  EXPECT_EQ(brain.fVelocityRun, 0.225f);
  EXPECT_EQ(brain.fVelocityJump, 0.525f);
  EXPECT_EQ(brain.fAccumulator.fMinInfluence, 0.1f);
  EXPECT_EQ(brain.fAccumulator.fMaxInfluence, 0.9f);
  // The five tendencies, in the accumulator's order.
  const ktInfluenceVector* order[] = {&brain.fFlockResult, &brain.fAvoidResult, &brain.fAvoidPlayer,
                                      &brain.fVelocity, &brain.fMood};
  const ktInfluenceVector* v = brain.fAccumulator.fFirst;
  for (const ktInfluenceVector* expected : order) {
    EXPECT_EQ(v, expected);
    EXPECT_EQ(v->fInfluence, 0.0f);
    v = v->fNext;
  }
  EXPECT_EQ(v, nullptr);
  EXPECT_STREQ(brain.GetName(), "HopkinBrain");
  EXPECT_EQ(brain.GetType(), 300);
}

TEST(HopkinBrainTest, LeaveAndEnterTheFlockBeforeTheBoid) {
  const ktTunables tunables = Tunables("LonerWaitWeights 1, 2\n");
  int32_t filled = 0;
  HopkinBrain brain(&tunables, nullptr, &filled);
  Send(brain, {"deactivate"});
  EXPECT_EQ(brain.fActive, 0);
  brain.fCuriosity = 0.5f;
  std::strcpy(brain.fCurrentAnimation, "run");
  brain.fStanding = 0;
  Send(brain, {"LeaveFlock"});
  EXPECT_EQ(Influences(brain), (std::vector<float>{0, 1, 1, 1, 1}));
  EXPECT_EQ(brain.fLonerFlockInfluence, 1.0f);
  EXPECT_EQ(brain.fLonerFlockInfluenceClose, 1.5f);
  EXPECT_EQ(brain.fInFlock, 0);
  EXPECT_EQ(brain.fLeavePending, 1);
  EXPECT_EQ(brain.fActive, 1);
  EXPECT_EQ(brain.fIdleWeights, (std::vector<float>{1, 2}));
  EXPECT_STREQ(brain.fCurrentAnimation, "wait");
  EXPECT_EQ(brain.fStanding, 1);
  EXPECT_EQ(brain.fCuriosity, 0.5f);  // leaving keeps the moods

  Send(brain, {"deactivate"});
  Send(brain, {"enterflock"});
  EXPECT_EQ(Influences(brain), (std::vector<float>{0, 1, 2, 1, 1}));
  EXPECT_EQ(brain.fLonerFlockInfluenceClose, 1.0f);
  EXPECT_EQ(brain.fInFlock, 1);
  EXPECT_EQ(brain.fLeavePending, 0);
  EXPECT_EQ(brain.fActive, 1);
  EXPECT_EQ(brain.fIdleWeights, (std::vector<float>{5, 5, 5, 5, 5, 15, 15}));
  EXPECT_EQ(brain.fCuriosity, 0.0f);  // returning forgets them
}

TEST(HopkinBrainTest, EnterFlockWithoutBoidOnlyActivates) {
  const ktTunables tunables = Tunables("");
  int32_t filled = 0;
  HopkinBrain brain(&tunables, nullptr, &filled);
  brain.fCuriosity = 0.5f;
  Send(brain, {"deactivate"});
  Send(brain, {"enterflock"});
  EXPECT_EQ(brain.fActive, 1);
  EXPECT_EQ(brain.fCuriosity, 0.5f);
}

TEST(HopkinBrainTest, CreatureOwnedElsewhereIgnoresModeCommands) {
  const ktTunables tunables = Tunables("");
  int32_t filled = 0;
  HopkinBrain brain(&tunables, nullptr, &filled);
  brain.fLocallyOwned = 0;
  Send(brain, {"deactivate"});
  Send(brain, {"leaveflock"});
  EXPECT_EQ(brain.fInFlock, 1);
  EXPECT_EQ(brain.fActive, 0);
  EXPECT_EQ(Influences(brain), (std::vector<float>{0, 1, 2, 1, 1}));
  Send(brain, {"enterflock"});
  EXPECT_EQ(brain.fActive, 1);
  Send(brain, {"freedom"});
  Send(brain, {"freedom"});
  Send(brain, {"freedom"});
  EXPECT_EQ(brain.fMoodLevel, 2);
}

TEST(HopkinBrainTest, MalformedParametersAreIgnored) {
  const ktTunables tunables = Tunables("");
  int32_t filled = 0;
  HopkinBrain brain(&tunables, nullptr, &filled);
  const char* none[] = {nullptr};
  EXPECT_EQ(brain.SendParams(0, none), 1);
  EXPECT_EQ(brain.SendParams(-3, none), 1);
  EXPECT_EQ(brain.SendParams(1, nullptr), 1);
  EXPECT_EQ(brain.SendParams(1, none), 1);
  Send(brain, {"travelto", "Cove..GatherPlace01"});  // no boid yet
  EXPECT_EQ(brain.fInfluences.mood, 1.0f);
  EXPECT_EQ(brain.fActive, 1);
}

TEST(HopkinBrainTest, ResetReturnsToTheStart) {
  const ktTunables tunables = Tunables("");
  int32_t filled = 0;
  HopkinBrain brain(&tunables, nullptr, &filled);
  for (const char* command :
       {"freedom", "freedom", "freedom", "freedom", "leaveflock", "deactivate"})
    Send(brain, {command});
  brain.fLocallyOwned = 0;
  brain.fMovePlaying = 1;
  brain.fVoiceTimer = 1.5f;
  brain.fFear = 0.7f;
  brain.fFearTimer = 0.2f;
  EXPECT_EQ(brain.Reset(), 1);
  EXPECT_EQ(brain.fMoodLevel, 1);
  EXPECT_EQ(brain.fFreedomsInRow, 0);
  EXPECT_EQ(brain.fDeathsInRow, 0);
  EXPECT_EQ(brain.fInFlock, 1);
  EXPECT_EQ(brain.fActive, 1);
  EXPECT_EQ(brain.fLocallyOwned, 1);
  EXPECT_EQ(brain.fLeavePending, 0);
  EXPECT_EQ(brain.fMovePlaying, 0);
  EXPECT_EQ(brain.fVoiceTimer, 0.0f);
  EXPECT_EQ(brain.fFear, 0.0f);
  EXPECT_EQ(brain.fFearTimer, 0.0f);
  EXPECT_EQ(Influences(brain), (std::vector<float>{0, 1, 2, 1, 1}));
}

}  // namespace
