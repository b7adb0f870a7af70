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
  mktest::ExpectRowsAgree(
      kRows, stage_.plugins()[0]->xcmdNames, TESSERA_SOURCE_DIR "/docs/grove.md",
      [this](const char* name, int32_t count) {
        Mark();
        const int32_t result = Run(name, Lines(size_t(count), "Nobody"));
        return mktest::RunSaid{result, Said()};
      },
      // TestRotateDish asks to be run again on every path.
      [](const char* name) { return std::string(name) == "TestRotateDish" ? 0 : 1; });
}

}  // namespace
