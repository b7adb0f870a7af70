// The Windows search order for the Python runtime, from the places that the
// Windows side gathers to the candidates and the warning's searched text.
#include "script/windows_search.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace script::windows {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<std::string> Libraries(const PythonSearch& search) {
  std::vector<std::string> libraries;
  for (const PythonCandidate& c : search.candidates) libraries.push_back(c.library);
  return libraries;
}

TEST(WindowsSearchTest, RegistryKeyNames) {
  static_assert(kPythonFloorMinor == 10, "the table below is written for the floor 3.10");
  const struct {
    const char* name;
    int minor;
  } rows[] = {
      {"3.10-32", 10},  {"3.11-32", 11},    {"3.12-32", 12},   {"3.100-32", 100},
      {"3.9-32", -1},                                                         // below the floor
      {"3.8-32", -1},   {"2.7-32", -1},     {"4.0-32", -1},    {"3.12", -1},  // 64-bit (no suffix)
      {"3.12-64", -1},  {"3.12-arm64", -1}, {"3.13t-32", -1},  // free-threaded: no stable ABI
      {"3.12-32x", -1}, {"3.12-3", -1},     {"3.-32", -1},     {"3.x-32", -1},
      {"3.012-32", -1}, {"3.1000-32", -1},  {"3.12 -32", -1},  {"", -1},
      {"3", -1},        {" 3.12-32", -1},   {"3.12-32\n", -1},
  };
  for (const auto& row : rows) EXPECT_EQ(RegistryVersionMinor(row.name), row.minor) << row.name;
}

TEST(WindowsSearchTest, AbsolutePaths) {
  const struct {
    const char* path;
    bool absolute;
  } rows[] = {
      {"C:\\Python312", true},
      {"c:/python", true},
      {"Z:\\", true},
      {"\\\\server\\share", true},
      {"\\\\?\\C:\\long", true},
      {"C:Python", false},
      {"\\Python", false},
      {"Python", false},
      {".\\Python", false},
      {"..\\x", false},
      {"", false},
      {"C:", false},
      {"\\\\", false},
      {"\\\\\\x", false},
      {"%SystemRoot%\\x", false},
      {"1:\\x", false},
  };
  for (const auto& row : rows) EXPECT_EQ(IsAbsolute(row.path), row.absolute) << row.path;
}

TEST(WindowsSearchTest, TheVariableAloneWhenSet) {
  WindowsPlaces places;
  places.variableSet = true;
  places.variable = "D:\\Tools\\Python311-32\\";
  places.engineFolder = "C:\\Game";
  places.currentUser = {{"3.12-32", "C:\\Py312"}};
  places.path = "C:\\Windows";
  const PythonSearch search = OrderWindowsSearch(places);
  ASSERT_EQ(search.candidates.size(), 1u);
  EXPECT_EQ(search.candidates[0].library, "D:\\Tools\\Python311-32\\python3.dll");
  EXPECT_EQ(search.candidates[0].home, "D:\\Tools\\Python311-32");
  EXPECT_EQ(search.searched, "SCRIPTXCMD_PYTHON=D:\\Tools\\Python311-32\\");
}

TEST(WindowsSearchTest, EngineFolderRegistryNewestFirstThenPath) {
  WindowsPlaces places;
  places.engineFolder = "C:\\Game";
  places.currentUser = {{"3.10-32", "C:\\Users\\p\\Py310"},
                        {"3.12-32", "C:\\Users\\p\\Py312\\"},
                        {"3.9-32", "C:\\Py39"},
                        {"3.12", "C:\\Py312-64"}};
  places.localMachine = {{"3.12-32", "C:\\Program Files (x86)\\Python312-32"},
                         {"3.11-32", "C:\\Program Files (x86)\\Python311-32"}};
  places.path = "C:\\Windows\\system32;C:\\Windows";
  const PythonSearch search = OrderWindowsSearch(places);
  EXPECT_THAT(Libraries(search),
              ElementsAre("C:\\Game\\python3.dll", "C:\\Users\\p\\Py312\\python3.dll",
                          "C:\\Program Files (x86)\\Python312-32\\python3.dll",
                          "C:\\Program Files (x86)\\Python311-32\\python3.dll",
                          "C:\\Users\\p\\Py310\\python3.dll", "C:\\Windows\\system32\\python3.dll",
                          "C:\\Windows\\python3.dll"));
  EXPECT_EQ(search.candidates[1].home, "C:\\Users\\p\\Py312");
  EXPECT_EQ(search.searched,
            "C:\\Game; registry: 3.12-32 C:\\Users\\p\\Py312\\, 3.12-32 C:\\Program Files "
            "(x86)\\Python312-32, 3.11-32 C:\\Program Files (x86)\\Python311-32, 3.10-32 "
            "C:\\Users\\p\\Py310; PATH: 2 folders");
}

TEST(WindowsSearchTest, NothingInstalled) {
  WindowsPlaces places;
  places.engineFolder = "Z:\\work\\game";
  const PythonSearch search = OrderWindowsSearch(places);
  EXPECT_THAT(Libraries(search), ElementsAre("Z:\\work\\game\\python3.dll"));
  EXPECT_EQ(search.searched,
            "Z:\\work\\game; registry: no 32-bit Python 3.10+; PATH: no further folder");
}

TEST(WindowsSearchTest, UnknownEngineFolderIsLeftOut) {
  WindowsPlaces places;
  places.path = "C:\\Python312";
  const PythonSearch search = OrderWindowsSearch(places);
  EXPECT_THAT(Libraries(search), ElementsAre("C:\\Python312\\python3.dll"));
  EXPECT_EQ(search.searched, "registry: no 32-bit Python 3.10+; PATH: 1 folder");
}

// PATH as Windows keeps it: empty entries, blanks, quotes (which may hold a
// ";"), relative entries (which would depend on the current directory, the
// game folder) and unexpanded variables are no places to load a runtime
// from; a folder seen before is not tried again.
TEST(WindowsSearchTest, PathEntries) {
  WindowsPlaces places;
  places.engineFolder = "C:\\Game";
  places.currentUser = {{"3.11-32", "C:\\Py311"}};
  places.path =
      ";;C:\\A; \"C:\\B;C\" ;bin;.\\x;%SystemRoot%\\system32;c:\\game\\;C:/Py311;C:\\A\\\\;"
      "\\\\srv\\share\\py;C:\\;c:\\;D:";
  const PythonSearch search = OrderWindowsSearch(places);
  EXPECT_THAT(Libraries(search), ElementsAre("C:\\Game\\python3.dll", "C:\\Py311\\python3.dll",
                                             "C:\\A\\python3.dll", "C:\\B;C\\python3.dll",
                                             "\\\\srv\\share\\py\\python3.dll", "C:\\python3.dll"));
  EXPECT_EQ(search.candidates.back().home, "C:\\");
  EXPECT_EQ(search.searched, "C:\\Game; registry: 3.11-32 C:\\Py311; PATH: 4 folders");
}

// A registry value that is empty or relative is no install; the same folder
// under two versions is tried once.
TEST(WindowsSearchTest, OddRegistryValues) {
  WindowsPlaces places;
  places.currentUser = {{"3.12-32", ""}, {"3.11-32", "Python311"}, {"3.10-32", "C:\\Same"}};
  places.localMachine = {{"3.10-32", "c:\\same\\"}};
  const PythonSearch search = OrderWindowsSearch(places);
  EXPECT_THAT(Libraries(search), ElementsAre("C:\\Same\\python3.dll"));
  EXPECT_EQ(search.searched, "registry: 3.10-32 C:\\Same; PATH: no further folder");
}

TEST(WindowsSearchTest, AtMostSoManyRegistryVersionsNewestKept) {
  WindowsPlaces places;
  std::vector<std::string> expected;
  for (int minor = 10; minor < 10 + int(kMaxRegistryVersions) + 4; ++minor)
    places.localMachine.push_back(
        {"3." + std::to_string(minor) + "-32", "C:\\Py" + std::to_string(minor)});
  for (int minor = 10 + int(kMaxRegistryVersions) + 3; minor >= 14; --minor)
    expected.push_back("C:\\Py" + std::to_string(minor) + "\\python3.dll");
  EXPECT_THAT(Libraries(OrderWindowsSearch(places)), ElementsAreArray(expected));
}

// Long paths are kept whole for the loader and shortened in the text.
TEST(WindowsSearchTest, LongPaths) {
  const std::string longDir = "C:\\" + std::string(300, 'd') + "\\end";
  WindowsPlaces places;
  places.engineFolder = longDir;
  const PythonSearch search = OrderWindowsSearch(places);
  ASSERT_EQ(search.candidates.size(), 1u);
  EXPECT_EQ(search.candidates[0].library, longDir + "\\python3.dll");
  const std::string shown = search.searched.substr(0, search.searched.find(';'));
  EXPECT_EQ(shown.size(), kMaxShownPath);
  EXPECT_EQ(shown, "C:\\" + std::string(kMaxShownPath / 3 - 3, 'd') + "..." +
                       std::string(kMaxShownPath - kMaxShownPath / 3 - 3 - 4, 'd') + "\\end");

  const std::string fits = "C:\\" + std::string(kMaxShownPath - 3, 'f');
  places.engineFolder = fits;
  EXPECT_EQ(OrderWindowsSearch(places).searched.substr(0, fits.size() + 1), fits + ";");

  places.variableSet = true;
  places.variable = longDir;
  EXPECT_EQ(OrderWindowsSearch(places).searched.size(),
            sizeof "SCRIPTXCMD_PYTHON=" - 1 + kMaxShownPath);
}

}  // namespace
}  // namespace script::windows
