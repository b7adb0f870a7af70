#include "setup/file_replace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "setup/test_support.h"

namespace {

namespace fs = std::filesystem;
using setuptest::ReadFile;
using setuptest::TempPath;
using setuptest::WriteFile;

// A fresh directory for one test.
std::string MakeDirectory() {
  const std::string dir = TempPath("dir");
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// The names in `dir`, in order.
std::string Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) text += name + " ";
  return text;
}

TEST(FileReplacementTest, ReplacesTheFileAndLeavesNoTemporaryFile) {
  const std::string dir = MakeDirectory();
  WriteFile(dir + "/f.dat", "old");
  FileReplacement file(dir + "/f.dat");
  ASSERT_TRUE(file.Stage("new bytes"));
  EXPECT_EQ(ReadFile(dir + "/f.dat"), "old");  // staged, not yet replaced
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadFile(dir + "/f.dat"), "new bytes");
  EXPECT_EQ(Names(dir), "f.dat ");
}

TEST(FileReplacementTest, UncommittedStageLeavesTheOldFile) {
  const std::string dir = MakeDirectory();
  WriteFile(dir + "/f.dat", "old");
  {
    FileReplacement file(dir + "/f.dat");
    ASSERT_TRUE(file.Stage("new"));
  }
  EXPECT_EQ(ReadFile(dir + "/f.dat"), "old");
  EXPECT_EQ(Names(dir), "f.dat ");
}

TEST(FileReplacementTest, FailuresNameTheFileAndTheSystemsReason) {
  const std::string dir = MakeDirectory();
  FileReplacement missing(dir + "/none/f.dat");
  EXPECT_FALSE(missing.Stage("x"));
  EXPECT_EQ(missing.Problem(), "cannot write " + dir + "/none/f.dat: No such file or directory");

  WriteFile(dir + "/f.dat", "old");
  fs::create_directory(dir + "/f.dat.new");
  FileReplacement blocked(dir + "/f.dat");
  EXPECT_FALSE(blocked.Stage("x"));
  EXPECT_EQ(blocked.Problem(), "cannot write " + dir + "/f.dat: Is a directory");
  EXPECT_EQ(ReadFile(dir + "/f.dat"), "old");

  FileReplacement unstaged(dir + "/f.dat");
  EXPECT_FALSE(unstaged.Commit());
  EXPECT_EQ(unstaged.Problem(), "cannot write " + dir + "/f.dat: nothing to write");
#if !defined(_WIN32)
  fs::remove(dir + "/f.dat.new");
  fs::create_symlink("/dev/full", dir + "/f.dat.new");
  FileReplacement full(dir + "/f.dat");
  EXPECT_FALSE(full.Stage("x"));
  EXPECT_EQ(full.Problem(), "cannot write " + dir + "/f.dat: No space left on device");
  EXPECT_EQ(ReadFile(dir + "/f.dat"), "old");
  EXPECT_EQ(Names(dir), "f.dat ");
#endif
}

#if !defined(_WIN32)
TEST(FileReplacementTest, KeepsThePermissionBits) {
  const std::string dir = MakeDirectory();
  for (fs::perms perms : {fs::perms(0640), fs::perms(0604), fs::perms(0755)}) {
    WriteFile(dir + "/f.dat", "old");
    fs::permissions(dir + "/f.dat", perms);
    FileReplacement file(dir + "/f.dat");
    ASSERT_TRUE(file.Stage("new") && file.Commit()) << file.Problem();
    EXPECT_EQ(fs::status(dir + "/f.dat").permissions(), perms);
  }
}

TEST(FileReplacementTest, SymbolicLinkStaysALinkAndItsTargetIsRewritten) {
  const std::string dir = MakeDirectory();
  fs::create_directories(dir + "/real");
  fs::create_directories(dir + "/init");
  WriteFile(dir + "/real/f.dat", "old");
  fs::permissions(dir + "/real/f.dat", fs::perms(0600));
  // A relative link to a relative link.
  fs::create_symlink("../real/f.dat", dir + "/init/middle.dat");
  fs::create_symlink("middle.dat", dir + "/init/f.dat");
  FileReplacement file(dir + "/init/f.dat");
  ASSERT_TRUE(file.Stage("new")) << file.Problem();
  EXPECT_EQ(file.Target(), dir + "/init/../real/f.dat");
  ASSERT_TRUE(file.Commit()) << file.Problem();
  EXPECT_TRUE(fs::is_symlink(dir + "/init/f.dat"));
  EXPECT_EQ(fs::read_symlink(dir + "/init/f.dat"), "middle.dat");
  EXPECT_EQ(ReadFile(dir + "/real/f.dat"), "new");
  EXPECT_EQ(fs::status(dir + "/real/f.dat").permissions(), fs::perms(0600));
  EXPECT_EQ(Names(dir + "/real"), "f.dat ");
  EXPECT_EQ(Names(dir + "/init"), "f.dat middle.dat ");

  // A link to a file that does not exist yet makes it.
  fs::create_symlink("../real/g.dat", dir + "/init/g.dat");
  FileReplacement fresh(dir + "/init/g.dat");
  ASSERT_TRUE(fresh.Stage("made") && fresh.Commit()) << fresh.Problem();
  EXPECT_TRUE(fs::is_symlink(dir + "/init/g.dat"));
  EXPECT_EQ(ReadFile(dir + "/real/g.dat"), "made");

  // A loop of links has no target.
  fs::create_symlink("b.dat", dir + "/init/a.dat");
  fs::create_symlink("a.dat", dir + "/init/b.dat");
  FileReplacement loop(dir + "/init/a.dat");
  EXPECT_FALSE(loop.Stage("x"));
  EXPECT_EQ(loop.Problem(),
            "cannot write " + dir + "/init/a.dat: Too many levels of symbolic links");
}
#endif

}  // namespace
