// Scene tests for authors: a run's message lines compared with a file of
// expected lines (`stage --expect FILE SCENE`), and the difference shown as a
// unified diff, as `diff -u` would show it.
#ifndef TESSERA_STAGE_EXPECT_H_
#define TESSERA_STAGE_EXPECT_H_

#include <string>
#include <vector>

namespace stage {

// The lines of a text, each without its line feed; a last line without one
// counts too.
std::vector<std::string> SplitLines(const std::string& text);

// A unified diff from `expected` to `actual` with three lines of context,
// headed "--- expectedName" and "+++ actualName"; empty when the lines are
// the same. Long runs of differing lines are shown whole: when the lines that
// differ are too many to match up (more than `maxEdits` edits), the part
// between the common start and the common end is shown as removed and added.
inline constexpr int kMaxDiffEdits = 4000;
std::string UnifiedDiff(const std::vector<std::string>& expected,
                        const std::vector<std::string>& actual, const std::string& expectedName,
                        const std::string& actualName, int maxEdits = kMaxDiffEdits);

}  // namespace stage

#endif  // TESSERA_STAGE_EXPECT_H_
