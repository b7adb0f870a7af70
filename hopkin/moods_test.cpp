#include "hopkin/moods.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

namespace {

constexpr float kRate = 0.5f;

struct CuriosityCase {
  const char* name;
  float distance, maxDistance, peakDistance;
  const char* activity;
  float expected;
};

void PrintTo(const CuriosityCase& c, std::ostream* os) {
  *os << c.name;
}

// Level 1 of the defaults: maximum 100, peak 50; level 3: peak 20.
const CuriosityCase kCuriosityCases[] = {
    {"StillPlayerAt25", 25.0f, 100.0f, 50.0f, "wait", (0.5f + 0.7f) * 0.5f * kRate},
    {"ActivityIgnoresCase", 25.0f, 100.0f, 50.0f, "WAIT", (0.5f + 0.7f) * 0.5f * kRate},
    {"UnknownActivityCountsHalf", 25.0f, 100.0f, 50.0f, "dance", (0.5f + 0.5f) * 0.5f * kRate},
    {"EmptyActivityCountsHalf", 25.0f, 100.0f, 50.0f, "", (0.5f + 0.5f) * 0.5f * kRate},
    {"AtContact", 0.0f, 100.0f, 50.0f, "run", 0.0f},
    {"AtThePeak", 50.0f, 100.0f, 50.0f, "run", 0.5f * kRate},
    {"HalfwayDown", 75.0f, 100.0f, 50.0f, "drop_left", (0.5f + 1.0f) * 0.5f * kRate},
    {"AtTheMaximum", 100.0f, 100.0f, 50.0f, "walk", 0.4f * 0.5f * kRate},
    {"BeyondTheMaximum", 100.5f, 100.0f, 50.0f, "drop_left", 0.0f},
    {"Level3Peak", 60.0f, 100.0f, 20.0f, "stop", (0.5f + 0.4f) * 0.5f * kRate},
    {"PeakAtTheMaximum", 50.0f, 50.0f, 50.0f, "run", 0.5f * kRate},
};

class RawCuriosityTest : public ::testing::TestWithParam<CuriosityCase> {};

TEST_P(RawCuriosityTest, Is) {
  const CuriosityCase& c = GetParam();
  EXPECT_FLOAT_EQ(HopkinRawCuriosity(c.distance, c.maxDistance, c.peakDistance,
                                     HopkinActivity(c.activity).curiosity, kRate),
                  c.expected);
}

INSTANTIATE_TEST_SUITE_P(Distances, RawCuriosityTest, ::testing::ValuesIn(kCuriosityCases),
                         [](const ::testing::TestParamInfo<CuriosityCase>& c) {
                           return std::string(c.param.name);
                         });

struct FearCase {
  const char* name;
  float distance, maxDistance, peakDistance, facing;
  const char* activity;
  float expected;
};

void PrintTo(const FearCase& c, std::ostream* os) {
  *os << c.name;
}

// Level 1 of the defaults: maximum 100, peak 30.
const FearCase kFearCases[] = {
    {"JustInsideThePeak", 29.99f, 100.0f, 30.0f, 0.0f, "run", (1.0f + 0.8f) * 0.5f * kRate},
    {"AtThePeak", 30.0f, 100.0f, 30.0f, 0.0f, "run", (1.0f + 0.8f) * 0.5f * kRate},
    {"JustOutsideThePeakDrops", 30.01f, 100.0f, 30.0f, 0.0f, "run",
     (1.0f - 30.01f / 100.0f + 0.8f) * 0.5f * kRate},
    {"AtTheMaximum", 100.0f, 100.0f, 30.0f, 0.0f, "wait", 0.1f * 0.5f * kRate},
    {"BeyondTheMaximum", 100.01f, 100.0f, 30.0f, 0.75f, "run", 0.0f},
    {"FacingAdds", 10.0f, 100.0f, 30.0f, 0.75f, "pick_up_left", 1.75f * 0.5f * kRate},
    {"NegativeFacingAddsNothing", 10.0f, 100.0f, 30.0f, -0.5f, "pick_up_left", 0.5f * kRate},
    {"UnknownActivityCountsHalf", 10.0f, 100.0f, 30.0f, 0.0f, "swim", 1.5f * 0.5f * kRate},
    {"MaximumOfZero", 0.0f, 0.0f, -1.0f, 0.0f, "drop_left", 0.0f},
};

class RawFearTest : public ::testing::TestWithParam<FearCase> {};

TEST_P(RawFearTest, Is) {
  const FearCase& c = GetParam();
  EXPECT_FLOAT_EQ(HopkinRawFear(c.distance, c.maxDistance, c.peakDistance, c.facing,
                                HopkinActivity(c.activity).fear, kRate),
                  c.expected);
}

INSTANTIATE_TEST_SUITE_P(Distances, RawFearTest, ::testing::ValuesIn(kFearCases),
                         [](const ::testing::TestParamInfo<FearCase>& c) {
                           return std::string(c.param.name);
                         });

struct FacingCase {
  const char* name;
  mkPoint3 player;
  mkVector3 axis;
  float expected;  // before the factor
};

void PrintTo(const FacingCase& c, std::ostream* os) {
  *os << c.name;
}

// The creature stands at (10, 0, 0).
const FacingCase kFacingCases[] = {
    {"AxisPointsAtTheCreature", {0, 0, 0}, {5, 0, 0}, 1.0f},
    {"AxisPointsAway", {0, 0, 0}, {-1, 0, 0}, 0.0f},
    {"AxisAcross", {0, 0, 0}, {0, 2, 0}, 1.0f - 2.0f / 3.8f},
    {"NoAxis", {0, 0, 0}, {0, 0, 0}, 1.0f - 1.0f / 3.8f},
    {"PlayerOnTheCreature", {10, 0, 0}, {0, 0, 1}, 1.0f - 1.0f / 3.8f},
    // |F + V|^2 just above 3.8: nothing.
    {"NearlyAway", {0, 0, 0}, {-1.0f, 0.3f, 0}, 0.0f},
};

class FacingTest : public ::testing::TestWithParam<FacingCase> {};

TEST_P(FacingTest, Is) {
  const FacingCase& c = GetParam();
  EXPECT_FLOAT_EQ(HopkinFacing(c.player, {10, 0, 0}, c.axis, 0.75f), c.expected * 0.75f);
}

INSTANTIATE_TEST_SUITE_P(Axes, FacingTest, ::testing::ValuesIn(kFacingCases),
                         [](const ::testing::TestParamInfo<FacingCase>& c) {
                           return std::string(c.param.name);
                         });

TEST(ActivityTest, TheSeventeenNames) {
  const struct {
    const char* name;
    float curiosity, fear;
  } rows[] = {
      {"walk", 0.4f, 0.6f},           {"run", 0, 0.8f},
      {"short_jump", 0, 0.8f},        {"wait", 0.7f, 0.1f},
      {"long_jump", 0, 0.8f},         {"stop", 0.4f, 0.7f},
      {"turn_left", 0.4f, 0.6f},      {"turn_right", 0.4f, 0.6f},
      {"turn_left_fast", 0.3f, 0.7f}, {"turn_right_fast", 0.3f, 0.7f},
      {"back_up", 0.4f, 0.4f},        {"fall", 0.5f, 0.8f},
      {"get_up", 0.5f, 0.5f},         {"pick_up_right", 0.8f, 0},
      {"pick_up_left", 0.8f, 0},      {"drop_right", 1.0f, 0},
      {"drop_left", 1.0f, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(HopkinActivity(row.name).curiosity, row.curiosity) << row.name;
    EXPECT_EQ(HopkinActivity(row.name).fear, row.fear) << row.name;
  }
  EXPECT_EQ(HopkinActivity("walk ").curiosity, 0.5f);
  EXPECT_EQ(HopkinActivity(nullptr).fear, 0.5f);
}

struct SmoothCase {
  const char* name;
  float mood, raw, timer, delta;
  float expectedMood, expectedTimer;
};

void PrintTo(const SmoothCase& c, std::ostream* os) {
  *os << c.name;
}

const SmoothCase kSmoothCases[] = {
    {"SmallChangeWaits", 0.0f, 0.5f, 0.0f, 0.1f, 0.0f, 0.1f},
    {"JumpMovesHalfwayAtOnce", 0.0f, 0.7f, 0.0f, 0.1f, 0.35f, 0.0f},
    {"JumpDownwardToo", 0.8f, 0.1f, 0.2f, 0.1f, 0.45f, 0.0f},
    {"JumpOfExactlyTheLimitWaits", 0.25f, 0.75f, 0.0f, 0.1f, 0.25f, 0.1f},
    {"TimerPastTheStepMovesHalfway", 0.2f, 0.4f, 0.55f, 0.1f, 0.3f, 0.0f},
    {"TimerAtTheStepWaits", 0.2f, 0.4f, 0.5f, 0.1f, 0.2f, 0.6f},
};

class SmoothTest : public ::testing::TestWithParam<SmoothCase> {};

TEST_P(SmoothTest, Is) {
  const SmoothCase& c = GetParam();
  float timer = c.timer;
  EXPECT_FLOAT_EQ(HopkinSmoothMood(c.mood, c.raw, &timer, c.delta, 0.6f, 0.6f), c.expectedMood);
  EXPECT_FLOAT_EQ(timer, c.expectedTimer);
}

INSTANTIATE_TEST_SUITE_P(Steps, SmoothTest, ::testing::ValuesIn(kSmoothCases),
                         [](const ::testing::TestParamInfo<SmoothCase>& c) {
                           return std::string(c.param.name);
                         });

// The copy writes exactly what snprintf's "%s" writes, every byte of the
// buffer included: names shorter than, as long as and longer than the room.
TEST(CopyNameTest, WritesWhatSnprintfWrites) {
  const std::string longName(100, 'k');
  for (const int32_t size : {1, 2, 5, 64}) {
    for (const std::string& name :
         {std::string(), std::string("walk"), std::string(3, 'w'), std::string(4, 'w'),
          std::string(63, 'r'), std::string(64, 'r'), longName}) {
      char expected[80], copied[80];
      std::memset(expected, '#', sizeof expected);
      std::memset(copied, '#', sizeof copied);
      std::snprintf(expected, size_t(size), "%s", name.c_str());
      HopkinCopyName(copied, size, name.c_str());
      EXPECT_EQ(std::memcmp(expected, copied, sizeof copied), 0)
          << "size " << size << ", name of " << name.size();
    }
  }
}

TEST(MoodBandTest, Boundaries) {
  EXPECT_EQ(HopkinMoodBand(-0.1f), 0);
  EXPECT_EQ(HopkinMoodBand(0.0f), 0);
  EXPECT_EQ(HopkinMoodBand(1e-6f), 1);
  EXPECT_EQ(HopkinMoodBand(0.35f), 1);
  EXPECT_EQ(HopkinMoodBand(std::nextafter(0.35f, 1.0f)), 2);
  EXPECT_EQ(HopkinMoodBand(0.75f), 2);
  EXPECT_EQ(HopkinMoodBand(std::nextafter(0.75f, 1.0f)), 3);
  EXPECT_EQ(HopkinMoodBand(5.0f), 3);
}

TEST(MoodActionTest, EveryPairOfBands) {
  // "A" approach, "F" flee, "-" none; then 0, s(low) or f(ast).
  const char* expected[4][4] = {
      {"-0", "F0", "Fs", "Ff"},
      {"A0", "A0", "F0", "Ff"},
      {"As", "As", "A0", "Ff"},
      {"Af", "As", "Fs", "Ff"},
  };
  for (int c = 0; c < 4; ++c)
    for (int f = 0; f < 4; ++f) {
      const HopkinMoodAction action = HopkinMoodActionFor(c, f);
      const char text[3] = {"-AF"[action.direction], "0sf"[action.speed], '\0'};
      EXPECT_STREQ(text, expected[c][f]) << "curiosity " << c << ", fear " << f;
    }
  EXPECT_EQ(HopkinMoodActionFor(7, -1).direction, kHopkinMoodApproach);
}

}  // namespace
