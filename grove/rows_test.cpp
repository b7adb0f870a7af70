// GroveXcmd's command rows against what its commands say: the names are
// the name list, every count outside a row's range is refused with exactly
// the row's usage line, and every usage line is quoted on the plug-in's page.
#include "grove/grove.h"
#include "grove/grove_fixture.h"
#include "kit/testing/command_rows.h"

namespace {

using grovetest::GroveTest;
using grovetest::Lines;

const std::vector<ktCommandRow> kRows = {GROVE_XCMDS(MK_XCMD_ROW_)};

TEST_F(GroveTest, RowsAreTheNameListAndTheirUsageLines) {
  Lines names;
  for (const auto& row : kRows) names.push_back(row.name);
  EXPECT_EQ(names, stage_.plugins()[0]->xcmdNames);
  for (const auto& row : kRows) {
    // TestRotateDish asks to be run again on every path.
    const int32_t result = std::string(row.name) == "TestRotateDish" ? 0 : 1;
    for (int32_t count : mktest::RefusedCounts(row)) {
      Mark();
      EXPECT_EQ(Run(row.name, Lines(size_t(count), "Nobody")), result) << row.name << " " << count;
      EXPECT_EQ(Said(), Lines{"warning: " + std::string(row.usage)}) << row.name << " " << count;
    }
  }
  EXPECT_EQ(mktest::UsageLinesMissingFrom(TESSERA_SOURCE_DIR "/docs/grove.md", kRows), Lines{});
}

}  // namespace
