// Checks of a plug-in's command rows (kit/plugin/command.h) for its tests:
// the argument counts that each row refuses, whether each usage line is
// quoted in the plug-in's page of docs/, and ExpectRowsAgree, with which a
// plug-in's test runs every row's command with each refused count on the
// stage and expects the row's usage line as the one warning, so that a row
// and what its command says cannot drift apart.
#ifndef TESSERA_KIT_TESTING_COMMAND_ROWS_H_
#define TESSERA_KIT_TESTING_COMMAND_ROWS_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "kit/plugin/command.h"

namespace mktest {

// The counts just outside the row's range: one below the least (when the
// least is above 0) and one above the most (when there is a most).
inline std::vector<int32_t> RefusedCounts(const ktCommandRow& row) {
  std::vector<int32_t> counts;
  if (row.minArgs > 0) counts.push_back(row.minArgs - 1);
  if (row.maxArgs != kAnyCount) counts.push_back(row.maxArgs + 1);
  return counts;
}

// `text` with every run of white space folded to one blank.
inline std::string FoldSpace(const std::string& text) {
  std::string folded;
  for (char c : text) {
    const bool space = c == ' ' || c == '\n' || c == '\t' || c == '\r';
    if (!space) {
      folded += c;
    } else if (!folded.empty() && folded.back() != ' ') {
      folded += ' ';
    }
  }
  return folded;
}

// The usage lines of `rows` that the page at `path` does not quote (white
// space folded on both sides); the path itself when it cannot be read.
inline std::vector<std::string> UsageLinesMissingFrom(const std::string& path,
                                                      const std::vector<ktCommandRow>& rows) {
  std::ifstream file(path);
  if (!file) return {path};
  std::stringstream text;
  text << file.rdbuf();
  const std::string page = FoldSpace(text.str());
  std::vector<std::string> missing;
  for (const ktCommandRow& row : rows)
    if (row.usage != nullptr && page.find(FoldSpace(row.usage)) == std::string::npos)
      missing.push_back(row.usage);
  return missing;
}

// What a command said when it was run: its result and its message lines, as
// "warning: ..." and "log: ...".
struct RunSaid {
  int32_t result;
  std::vector<std::string> said;
};

// The checks of a plug-in's rows: their names are `names` (the plug-in's
// XCmdIdentDLL list); `run(name, count)` runs each row's command with each
// refused count of arguments, and it returns `refusedResult(name)` and says
// exactly the row's usage line as a warning; `page` quotes every usage line.
inline void ExpectRowsAgree(
    const std::vector<ktCommandRow>& rows, const std::vector<std::string>& names,
    const std::string& page, const std::function<RunSaid(const char*, int32_t)>& run,
    const std::function<int32_t(const char*)>& refusedResult = [](const char*) { return 1; }) {
  std::vector<std::string> rowNames;
  for (const ktCommandRow& row : rows) rowNames.push_back(row.name);
  EXPECT_EQ(rowNames, names);
  for (const ktCommandRow& row : rows) {
    for (int32_t count : RefusedCounts(row)) {
      const RunSaid got = run(row.name, count);
      EXPECT_EQ(got.result, refusedResult(row.name)) << row.name << " " << count;
      EXPECT_EQ(got.said, std::vector<std::string>{"warning: " + std::string(row.usage)})
          << row.name << " " << count;
    }
  }
  EXPECT_EQ(UsageLinesMissingFrom(page, rows), std::vector<std::string>{});
}

}  // namespace mktest

#endif  // TESSERA_KIT_TESTING_COMMAND_ROWS_H_
