// The commands' number conversions: the runtime's atoi and atof without
// their locale and undefined cases.
#include "kit/plugin/command.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <string>

namespace {

struct RealCase {
  const char* name;
  const char* text;
  double expected;
};

void PrintTo(const RealCase& c, std::ostream* os) {
  *os << c.name;
}

class AtofTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(AtofTest, ReadsTheLeadingNumber) {
  EXPECT_EQ(ktAtof(GetParam().text), GetParam().expected);
}

const RealCase kRealCases[] = {
    {"Plain", "2.5", 2.5},
    {"LeadingBlanksAndSign", "  -0.25xyz", -0.25},
    {"PlusSign", "+3", 3.0},
    {"Exponent", "1.5e2", 150.0},
    {"TimeWithTarget", "2#40", 2.0},
    {"LeadingPoint", ".5", 0.5},
    {"NoDigits", "abc", 0.0},
    {"Empty", "", 0.0},
    {"TwoSigns", "--1", 0.0},
    {"InfinityIsNoNumber", "inf", 0.0},
    {"NanIsNoNumber", "nan", 0.0},
    {"NegativeInfinity", "-infinity", 0.0},
    {"HugeStopsAtFloatMax", "1e300", double(FLT_MAX)},
    {"HugerThanDouble", "-1e999", -double(FLT_MAX)},
    {"TinyIsZero", "1e-999", 0.0},
    {"CommaEndsTheNumber", "1,5", 1.0},
};

INSTANTIATE_TEST_SUITE_P(Cases, AtofTest, ::testing::ValuesIn(kRealCases),
                         [](const ::testing::TestParamInfo<RealCase>& c) {
                           return std::string(c.param.name);
                         });

TEST(AtofTest, NullIsZero) {
  EXPECT_EQ(ktAtof(nullptr), 0.0);
}

TEST(AtoiTest, ReadsLikeTheRuntime) {
  EXPECT_EQ(ktAtoi(" 12abc"), 12);
  EXPECT_EQ(ktAtoi("-7"), -7);
  EXPECT_EQ(ktAtoi("x"), 0);
  EXPECT_EQ(ktAtoi("99999999999"), INT32_MAX);
  EXPECT_EQ(ktAtoi("-99999999999"), INT32_MIN);
  EXPECT_EQ(ktAtoi(nullptr), 0);
}

}  // namespace
