#include "kit/ascii.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AsciiTest, LowersOnlyAsciiCapitals) {
  for (int c = 0; c < 256; ++c) {
    const char in = char(c);
    const char expected = c >= 'A' && c <= 'Z' ? char(c + 32) : in;
    EXPECT_EQ(ktAsciiLower(in), expected) << c;
  }
  EXPECT_EQ(ktAsciiLowerCopy("Player_01.DAT \xC4"), "player_01.dat \xC4");
}

struct SameCase {
  const char* a;
  const char* b;
  bool same;
};

TEST(AsciiTest, ComparesNullTerminatedTextsWithoutCase) {
  const SameCase cases[] = {
      {"LeaveFlock", "leaveflock", true},
      {"wait", "WAIT", true},
      {"wait", "waitmad", false},
      {"waitmad", "wait", false},
      {"", "", true},
      {nullptr, "", true},
      {"", nullptr, true},
      {nullptr, nullptr, true},
      {nullptr, "x", false},
      {"[", "{", false},
      {"\xC4", "\xE4", false},
      {"@", "`", false},
  };
  for (const SameCase& c : cases) {
    SCOPED_TRACE(std::string(c.a ? c.a : "(null)") + " / " + (c.b ? c.b : "(null)"));
    EXPECT_EQ(ktSameTextNoCase(c.a, c.b), c.same);
  }
}

// Counted texts compare every character: one with a null character inside
// is not the text before it.
TEST(AsciiTest, ComparesCountedTextsByLengthToo) {
  const std::string inner("ab\0c", 4);
  EXPECT_FALSE(ktSameTextNoCase(inner, "ab"));
  EXPECT_TRUE(ktSameTextNoCase(inner, std::string("AB\0C", 4)));
  EXPECT_TRUE(ktSameTextNoCase(std::string("Skip"), "sKIP"));
  EXPECT_TRUE(ktStartsWithNoCase("PLAYER_one.dat", "player_"));
  EXPECT_TRUE(ktStartsWithNoCase("abc", ""));
  EXPECT_FALSE(ktStartsWithNoCase("pla", "player_"));
  EXPECT_FALSE(ktStartsWithNoCase("xplayer_", "player_"));
}

}  // namespace
