#include "kit/tunables/tunables.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "kit/stream/stream.h"
#include "kit/testing/temp_dir.h"
#include "kit/testing/tunables_text.h"

namespace {

using mktest::Describe;

// The store after reading `text` as a file over an empty store.
ktTunables Loaded(const std::string& text) {
  const std::filesystem::path dir = mktest::MakeTempDir("tunables");
  const std::string path = (dir / "tunables.ini").string();
  std::ofstream(path, std::ios::binary) << text;
  ktTunables tunables;
  EXPECT_TRUE(tunables.Load(path.c_str()));
  std::filesystem::remove_all(dir);
  return tunables;
}

TEST(TunablesTest, StringsReadAsZeroAndNumbersAsNoString) {
  ktTunables tunables;
  tunables.Add("Name", ktTunableValue::String("12.5"));
  tunables.Add("Name", ktTunableValue::Integer(3));
  EXPECT_EQ(tunables.Float("Name"), 0.0f);
  EXPECT_EQ(tunables.Int("Name"), 0);
  EXPECT_STREQ(tunables.Find("Name")->AsString(), "12.5");
  EXPECT_EQ(tunables.List("Name").first[1].AsString(), nullptr);
}

TEST(TunablesTest, FloatBeyondTheIntegerRangeReadsAsTheRangesEnd) {
  ktTunables tunables;
  tunables.Add("Big", ktTunableValue::Float(3.0e9f));
  tunables.Add("Small", ktTunableValue::Float(-3.0e9f));
  EXPECT_EQ(tunables.Int("Big"), INT32_MAX);
  EXPECT_EQ(tunables.Int("Small"), INT32_MIN);
}

TEST(TunablesTest, RemoveEmptiesAndAddAppends) {
  ktTunables tunables;
  tunables.Add("Key", ktTunableValue::Integer(1));
  tunables.Add("KEY", ktTunableValue::Integer(2));
  EXPECT_EQ(Describe(tunables.List("key")), "1 2");
  tunables.Remove("Key");
  EXPECT_EQ(tunables.Find("Key"), nullptr);
  tunables.Add("key", ktTunableValue::Integer(3));
  EXPECT_EQ(Describe(tunables.List("Key")), "3");
  tunables.Clear();
  EXPECT_EQ(tunables.Find("Key"), nullptr);
  EXPECT_EQ(tunables.Find(nullptr), nullptr);
}

// A number takes one sign at most: a second makes it unreadable, so it reads
// 0 like any number without digits.
struct SignCase {
  const char* name;
  const char* text;
  const char* values;
};

void PrintTo(const SignCase& c, std::ostream* os) {
  *os << c.name;
}

class TunablesSignTest : public ::testing::TestWithParam<SignCase> {};

TEST_P(TunablesSignTest, Reads) {
  const ktTunables tunables = Loaded(std::string("Key ") + GetParam().text + "\n");
  EXPECT_EQ(Describe(tunables.List("Key")), GetParam().values);
}

const SignCase kSignCases[] = {
    {"MinusFloat", "-2.5", "-2.5f"},
    {"PlusFloat", "+2.5", "2.5f"},
    {"TwoMinusesOnAFloat", "--5.0", "0f"},
    {"PlusMinusOnAFloat", "+-2.5", "0f"},
    {"MinusPlusOnAFloat", "-+2.5", "0f"},
    {"TwoPlusesOnAFloat", "++2.5", "0f"},
    {"TwoMinusesOnAnInteger", "--5", "0"},
    {"PlusMinusOnAnInteger", "+-2", "0"},
    {"SignAfterTheNumberIsGarbage", "2.5-1 7-", "2.5f 7"},
};

INSTANTIATE_TEST_SUITE_P(Numbers, TunablesSignTest, ::testing::ValuesIn(kSignCases),
                         [](const ::testing::TestParamInfo<SignCase>& c) {
                           return std::string(c.param.name);
                         });

TEST(TunablesTest, AddedLinesAppendWhereLoadedLinesReplace) {
  ktTunables tunables;
  tunables.AddLine("Weights 1, 2.5");
  tunables.AddLine("weights[] = 'three'");
  tunables.AddLine("   # only a comment");
  tunables.AddLine(nullptr);
  EXPECT_EQ(Describe(tunables.List("Weights")), "1 2.5f 'three'");
}

TEST(TunablesTest, StreamReadsAsTheFileDoes) {
  const std::string text =
      "# comment\nSpeed = 0.5\nNames[] = 'a b', 'c'\nskip\nSpeed 9\npiks\nspeed 0.25, 3\n";
  ktTunables tunables;
  mkMemoryStream stream(text.data(), uint32_t(text.size()));
  tunables.Load(stream);
  const ktTunables fromFile = Loaded(text);
  for (const char* key : {"Speed", "Names"})
    EXPECT_EQ(Describe(tunables.List(key)), Describe(fromFile.List(key))) << key;
  EXPECT_EQ(Describe(tunables.List("SPEED")), "0.25f 3");
}

TEST(TunablesTest, ManyKeysKeepTheirOwnValues) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "Key" + std::to_string(i) + " " + std::to_string(i) + "\n";
  text += "KEY4999 -1\n";
  const ktTunables tunables = Loaded(text);
  EXPECT_EQ(tunables.Int("key0"), 0);
  EXPECT_EQ(tunables.Int("Key2500"), 2500);
  EXPECT_EQ(Describe(tunables.List("key4999")), "-1");
}

}  // namespace
