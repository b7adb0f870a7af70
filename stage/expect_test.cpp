// The unified diff of `stage --expect`: hunks, context and line numbers as
// diff -u writes them.
#include "stage/expect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

TEST(SplitLinesTest, ALastLineWithoutALineFeedCounts) {
  EXPECT_EQ(stage::SplitLines(""), Lines{});
  EXPECT_EQ(stage::SplitLines("a\nb\n"), (Lines{"a", "b"}));
  EXPECT_EQ(stage::SplitLines("a\n\nb"), (Lines{"a", "", "b"}));
}

TEST(UnifiedDiffTest, HunksAsDiffWritesThem) {
  const Lines ten = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
  struct Case {
    Lines expected, actual;
    std::string diff;  // without the two header lines
  };
  const Case kCases[] = {
      {ten, ten, ""},
      {{}, {"a"}, "@@ -0,0 +1 @@\n+a\n"},
      {{"a", "b"}, {}, "@@ -1,2 +0,0 @@\n-a\n-b\n"},
      // One changed line in the middle, three lines of context each side.
      {ten,
       {"1", "2", "3", "4", "five", "6", "7", "8", "9", "10"},
       "@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8\n"},
      // Changes more than six lines apart make two hunks.
      {ten,
       {"one", "2", "3", "4", "5", "6", "7", "8", "9", "ten"},
       "@@ -1,4 +1,4 @@\n-1\n+one\n 2\n 3\n 4\n@@ -7,4 +7,4 @@\n 7\n 8\n 9\n-10\n+ten\n"},
      // Six kept lines between two changes join them into one hunk.
      {{"1", "2", "3", "4", "5", "6", "7", "8"},
       {"one", "2", "3", "4", "5", "6", "7", "eight"},
       "@@ -1,8 +1,8 @@\n-1\n+one\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+eight\n"},
      // A line added and one removed: the shortest edit, not a replacement.
      {{"a", "b", "c"}, {"b", "c", "d"}, "@@ -1,3 +1,3 @@\n-a\n b\n c\n+d\n"},
  };
  for (const Case& c : kCases) {
    const std::string diff = stage::UnifiedDiff(c.expected, c.actual, "want", "got");
    EXPECT_EQ(diff, c.diff.empty() ? "" : "--- want\n+++ got\n" + c.diff);
  }
}

// Beyond the edit limit the differing middle is shown removed and added.
TEST(UnifiedDiffTest, TooManyEditsShowTheMiddleWhole) {
  const Lines expected = {"keep", "a", "b", "c", "end"};
  const Lines actual = {"keep", "x", "b", "y", "end"};
  EXPECT_EQ(stage::UnifiedDiff(expected, actual, "want", "got", 4),
            "--- want\n+++ got\n@@ -1,5 +1,5 @@\n keep\n-a\n+x\n b\n-c\n+y\n end\n");
  EXPECT_EQ(stage::UnifiedDiff(expected, actual, "want", "got", 3),
            "--- want\n+++ got\n@@ -1,5 +1,5 @@\n keep\n-a\n-b\n-c\n+x\n+b\n+y\n end\n");
}

}  // namespace
