// The stage program as a user meets it: its exit status, what it writes to
// standard output and standard error, and the files it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "kit/testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class StageProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = mktest::MakeTempDir("stage_program"); }

  // Runs the stage with `args` (a shell word list) in the test's directory.
  Outcome Stage(const std::string& args) {
    const std::string command =
        "cd '" + dir_.string() + "' && '" STAGE_PROGRAM "' " + args + " >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    Outcome run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Read(dir_ / "out.txt");
    run.err = Read(dir_ / "err.txt");
    return run;
  }
  void Scene(const std::string& name, const std::string& text) { Write(dir_ / name, text); }

  fs::path dir_;
};

const char kDoor[] = "plugin " KILNXCMD_PLUGIN_PATH
                     "\n"
                     "object Door\n"
                     "at 0 run SetObjVar Door + 1\n";

TEST_F(StageProgramTest, ADirectoryOrAFileThatIsNotTextIsAnError) {
  fs::create_directory(dir_ / "hall.scene");
  Outcome run = Stage("hall.scene");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "stage: hall.scene is a directory, not a scene file\n");
  EXPECT_EQ(run.out, "");

  std::string binary =
      "\x7f"
      "ELF\x02\x01\x01";
  binary += std::string(8, '\0') + "\nmore\n";
  Scene("binary.scene", binary);
  run = Stage("binary.scene");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "stage: binary.scene:1: the line holds a zero byte; this is not a text file\n");

  // Text that is not a scene stops after a few errors, each byte shown.
  std::string junk;
  for (int i = 0; i < 40; ++i) junk += "\x01junk\xff\n";
  Scene("junk.scene", junk);
  run = Stage("junk.scene");
  EXPECT_EQ(run.status, 1);
  std::string expected;
  for (int i = 1; i <= 10; ++i)
    expected += "stage: junk.scene:" + std::to_string(i) + ": unknown statement '\\x01junk\\xff'\n";
  expected += "stage: junk.scene:11: stopped after 10 errors\n";
  EXPECT_EQ(run.err, expected);
}

TEST_F(StageProgramTest, ALibraryThatIsNotAPluginIsAnError) {
  Scene("lib.scene", "plugin " NOT_A_PLUGIN_PATH "\n");
  const Outcome run = Stage("lib.scene");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "stage: lib.scene:1: " NOT_A_PLUGIN_PATH
                     " is not a plug-in: it exports no name list (XCmdIdentDLL, BrainIdentDLL, "
                     "BrainClassIdentDLL) and no version\n");
  EXPECT_EQ(Stage("--exports " NOT_A_PLUGIN_PATH).status, 1);
}

TEST_F(StageProgramTest, APluginNotFoundNamesTheLineAndThePlacesSearched) {
  fs::create_directory(dir_ / "mine");
  Scene("a.scene", "# first\nplugin NoSuch\n");
  Outcome run = Stage("--plugin-path mine a.scene");
  EXPECT_EQ(run.status, 1);
  const std::string mine = (dir_ / "mine").string();
  ASSERT_EQ(
      run.err.rfind(
          "stage: a.scene:2: cannot find the plug-in NoSuch: no NoSuch.so in " + mine + ", ", 0),
      0u)
      << run.err;
  EXPECT_NE(run.err.find("or the scene's directory " + fs::canonical(dir_).string() + "\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);

  // A path that cannot be loaded is named once, with the loader's reason.
  Scene("b.scene", "plugin ./gone.so\n");
  run = Stage("b.scene");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "stage: b.scene:1: cannot load " + (fs::canonical(dir_) / "gone.so").string() +
                         ": cannot open shared object file: No such file or directory\n");
}

TEST_F(StageProgramTest, CommandsThatNoPluginListsAreErrorsBeforePlaying) {
  Scene("a.scene", std::string(kDoor) +
                       "actor Greet SetObjVar Door + 1\n"
                       "actor Greet SetObjVarr Door + 1\n"
                       "at 1 run Nothing\n");
  const Outcome run = Stage("a.scene");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "stage: a.scene:5: no loaded plug-in lists the command SetObjVarr (actor Greet)\n"
            "stage: a.scene:6: no loaded plug-in lists the command Nothing\n");
  EXPECT_EQ(run.out.find("log:"), std::string::npos) << run.out;
}

TEST_F(StageProgramTest, OutputFilesAreCheckedBeforeTheScenePlays) {
  Scene("a.scene", kDoor);
  Outcome run = Stage("--trace missing/trace.txt a.scene");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "stage: cannot write " + (fs::absolute(dir_) / "missing/trace.txt").string() +
                         ": No such file or directory\n");
  EXPECT_EQ(run.out, "");  // nothing played

  for (const char* option : {"--trace", "--svg", "--replay"}) {
    run = Stage(std::string(option) + " ./a.scene a.scene");
    EXPECT_EQ(run.status, 2) << option;
    EXPECT_EQ(run.err.rfind("stage: ./a.scene is the scene file; it would be overwritten\n", 0), 0u)
        << run.err;
    EXPECT_EQ(Read(dir_ / "a.scene"), kDoor);
  }
  EXPECT_EQ(Stage("--trace - --svg - a.scene").status, 2);
  run = Stage("--replay - a.scene");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("stage: --replay needs a file name: the page is not written to "
                          "standard output\n",
                          0),
            0u)
      << run.err;
}

// The replay page keeps the message lines and the trace whether or not they
// are printed or written.
TEST_F(StageProgramTest, TheReplayPageKeepsMessagesAndTraceOfAQuietRun) {
  Scene("a.scene", kDoor);
  const Outcome run = Stage("--quiet --replay page.html a.scene");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const std::string page = Read(dir_ / "page.html");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_NE(page.find("[0,\"@0 log: SetObjVar: Door is set to 1\"]"), std::string::npos);
  EXPECT_NE(page.find("\"traceParts\":[\">SetObjVar.Run(3, \\\"Door\\\", \\\"+\\\", \\\"1\\\")\""),
            std::string::npos);
  EXPECT_NE(page.find("<title>a.scene - replay</title>"), std::string::npos);
}

TEST_F(StageProgramTest, TraceLinesComeBetweenTheMessagesInTheOrderTheyHappen) {
  Scene("a.scene", kDoor);
  const Outcome run = Stage("--trace - a.scene");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "@0 stage: loaded KilnXcmd: 30 commands, 1 brains, 0 brain classes, version 2.27\n"
            "@0 >SetObjVar.Run(3, \"Door\", \"+\", \"1\")\n"
            "@0 GetSceneObjectByID(\"Door\") -> Door\n"
            "@0 XCmdFindContext(Door, 1002, null) -> context:Door,1002,0\n"
            "@0 GetID(Door) -> \"Door\"\n"
            "@0 log: SetObjVar: Door is set to 1\n"
            "@0 ApiMessage(\"SetObjVar: Door is set to 1\")\n"
            "@0 <SetObjVar.Run() -> 1\n");

  // A picture on standard output sends the message lines to standard error.
  const Outcome svg = Stage("--svg - a.scene");
  EXPECT_EQ(svg.status, 0);
  EXPECT_EQ(svg.out.rfind("<svg ", 0), 0u);
  EXPECT_EQ(svg.err,
            "@0 stage: loaded KilnXcmd: 30 commands, 1 brains, 0 brain classes, version 2.27\n"
            "@0 log: SetObjVar: Door is set to 1\n");
}

// A scene test: the run's message lines against a file, a unified diff and
// status 1 when they differ; --expect-update writes the file.
TEST_F(StageProgramTest, ExpectComparesTheMessageLinesWithAFile) {
  Scene("a.scene", kDoor);
  const std::string lines =
      "@0 stage: loaded KilnXcmd: 30 commands, 1 brains, 0 brain classes, version 2.27\n"
      "@0 log: SetObjVar: Door is set to 1\n";
  Outcome run = Stage("--expect a.expected a.scene");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "stage: cannot read a.expected: No such file or directory (--expect-update "
            "writes it)\n");
  EXPECT_EQ(run.out, "");

  run = Stage("--expect a.expected --expect-update a.scene");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Read(dir_ / "a.expected"), lines);
  run = Stage("--expect a.expected a.scene");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");

  Write(dir_ / "a.expected",
        "@0 stage: loaded KilnXcmd\n@0 log: SetObjVar: Door is set to 1\n"
        "@1 log: more\n");
  run = Stage("--expect a.expected a.scene");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "--- a.expected\n+++ the run's message lines\n@@ -1,3 +1,2 @@\n"
            "-@0 stage: loaded KilnXcmd\n"
            "+@0 stage: loaded KilnXcmd: 30 commands, 1 brains, 0 brain classes, version 2.27\n"
            " @0 log: SetObjVar: Door is set to 1\n"
            "-@1 log: more\n");
  EXPECT_EQ(run.err, "stage: the message lines differ from a.expected\n");

  fs::create_directory(dir_ / "lines");
  run = Stage("--expect lines a.scene");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "stage: lines is a directory, not a file of message lines\n");
  run = Stage("--expect - a.scene");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("stage: --expect needs a file name\n", 0), 0u) << run.err;

  run = Stage("--expect-update a.scene");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("stage: --expect-update requires --expect\n", 0), 0u) << run.err;
}

TEST_F(StageProgramTest, StrictFailsOnWarningsAndNamesNotFound) {
  const std::tuple<const char*, int, const char*> kCases[] = {
      {"", 0, ""},
      {"at 0 run SetObjVar Door +\n", 1, "stage: --strict: 1 warning(s) or names not found\n"},
      {"at 0 place Ghost 1 2 3\nat 0 actor Nobody\n", 1,
       "stage: --strict: 2 warning(s) or names not found\n"},
  };
  for (const auto& [extra, status, err] : kCases) {
    Scene("a.scene", std::string(kDoor) + extra);
    const Outcome lenient = Stage("a.scene");
    EXPECT_EQ(lenient.status, 0) << extra;
    const Outcome strict = Stage("--strict --quiet a.scene");
    EXPECT_EQ(strict.status, status) << extra;
    EXPECT_EQ(strict.err, err);
    EXPECT_EQ(strict.out, "");
  }
}

// What the stage says about scenes that would otherwise surprise their author
// in silence, and about options and output it cannot use.
TEST_F(StageProgramTest, SmallSurprisesAreSaid) {
  const std::tuple<const char*, const char*, int, const char*, const char*> kCases[] = {
      // scene text, options, status, standard output, standard error
      {"", "", 0,
       "@0 stage: a.scene: the scene has no plug-ins, objects or timeline: nothing happens\n", ""},
      {"frames 2\nobject A\nat 5 place A 1 2 3\n", "", 0,
       "@0 stage: a.scene:3: 'at 5' never happens: the scene has 2 frame(s), 0 to 1\n", ""},
      {"frames 2\nobject A\nat 5 place A 1 2 3\n", "--strict", 1,
       "@0 stage: a.scene:3: 'at 5' never happens: the scene has 2 frame(s), 0 to 1\n",
       "stage: --strict: 1 warning(s) or names not found\n"},
      {"frames 0\nobject A\nat 0 place A 1 2 3\n", "", 0,
       "@0 stage: a.scene:3: 'at 0' never happens: the scene has no frames\n", ""},
      // Said against the file's count, whatever --frames plays.
      {"frames 2\nobject A\nat 1 place A 1 2 3\n", "--frames 1", 0, "", ""},
      {"object A\nat 0 place Nobody 1 2 3\nat 0 actor Nobody\n", "", 0,
       "@0 stage: no object named Nobody (a.scene:2)\n"
       "@0 stage: no actor named Nobody (a.scene:3)\n",
       ""},
      {"object A\n", "--plugin-path nowhere", 2, "",
       "stage: --plugin-path: nowhere is not a directory\n(stage --help explains the options)\n"},
      {"object A\n", "--frames abc", 2, "",
       "stage: --frames: 'abc' is not a whole number from 0 to 1000000\n"
       "(stage --help explains the options)\n"},
      {"object A\n", "--frames -1", 2, "",
       "stage: --frames: '-1' is not a whole number from 0 to 1000000\n"
       "(stage --help explains the options)\n"},
  };
  for (const auto& [text, options, status, out, err] : kCases) {
    Scene("a.scene", text);
    const Outcome run = Stage(std::string(options) + " a.scene");
    EXPECT_EQ(run.status, status) << text << options;
    EXPECT_EQ(run.out, out) << text << options;
    EXPECT_EQ(run.err, err) << text << options;
  }
  // Standard output on a full disk.
  Scene("a.scene", kDoor);
  const std::string command =
      "cd '" + dir_.string() + "' && '" STAGE_PROGRAM "' a.scene >/dev/full 2>err.txt";
  const int raw = std::system(command.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
  EXPECT_EQ(Read(dir_ / "err.txt"),
            "stage: cannot write standard output: No space left on device\n");
}

// A glide that overflows: the stage says once that the position is not
// finite, and the picture and the replay page leave it out and stay valid.
TEST_F(StageProgramTest, PositionsThatAreNotFiniteAreLeftOutOfThePictures) {
  Scene("a.scene",
        "frames 3\nobject Far at 3e38 0 0\nobject Near at 1 1 0\nat 0 glide Far -3e38 0 0 0.5\n");
  const Outcome run = Stage("--svg - --replay page.html a.scene");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "@0 stage: Far is at -inf 0 0, not a finite position; pictures and replay pages "
            "leave out positions that are not finite\n");
  EXPECT_EQ(run.out.rfind("<svg ", 0), 0u);
  for (const char* bad : {"nan", "inf"}) {
    EXPECT_EQ(run.out.find(bad), std::string::npos) << bad;
    EXPECT_EQ(Read(dir_ / "page.html").find(std::string(":") + bad), std::string::npos) << bad;
  }
  EXPECT_NE(Read(dir_ / "page.html").find("\"bounds\":[0.5,0.5,1.5,1.5]"), std::string::npos);
}

TEST_F(StageProgramTest, OptionsVersionAndHelp) {
  Outcome run = Stage("--version");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "stage " STAGE_VERSION "\n");
  run = Stage("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("usage: stage [options] SCENE\n", 0), 0u);
  for (const char* option : {"--trace FILE", "--svg FILE", "--plugin-path DIR", "--frames N",
                             "--quiet", "--strict", "--exports PLUGIN", "--version", "--help"})
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  const std::tuple<const char*, const char*> kWrong[] = {
      {"--frobnicate", "stage: The following argument was not expected: --frobnicate\n"},
      {"--frames 1000001 a.scene", nullptr},
      {"--frames x a.scene", nullptr},
      {"--trace", nullptr},
      {"", "stage: no scene file given\n"},
      {"a.scene b.scene", nullptr},
  };
  for (const auto& [args, first] : kWrong) {
    run = Stage(args);
    EXPECT_EQ(run.status, 2) << args;
    if (first != nullptr) {
      EXPECT_EQ(run.err.rfind(first, 0), 0u) << run.err;
    }
    EXPECT_NE(run.err.find("(stage --help explains the options)\n"), std::string::npos) << args;
  }
  // Several plug-in directories, and the scene after them.
  Scene("a.scene", kDoor);
  fs::create_directory(dir_ / "x");
  fs::create_directory(dir_ / "y");
  run = Stage("--plugin-path x --plugin-path y --frames 2 a.scene");
  EXPECT_EQ(run.status, 0) << run.err;
}

// A call into a plug-in that does not return within --call-limit ends the
// stage with the call named, and nothing written before it is lost; nor is
// it when a script ends the process itself.
TEST_F(StageProgramTest, ACallThatRunsTooLongOrEndsTheProcessLosesNoLine) {
  fs::create_directory(dir_ / "python");
  Write(dir_ / "python" / "before.py", "print('before')\n");
  Write(dir_ / "python" / "loop.py", "while True: pass\n");
  Write(dir_ / "python" / "bye.py", "import os\nprint('kept')\nos._exit(3)\n");
  Write(dir_ / "python" / "walker.py",
        "class W:\n"
        "    def GetType(self): return 300\n"
        "    def Update(self, t):\n"
        "        while True: pass\n"
        "def brain(me): return W()\n");
  const std::string plugin = "plugin " SCRIPTXCMD_PLUGIN_PATH "\n";
  const std::string loaded =
      "@0 stage: loaded ScriptXcmd: 3 commands, 0 brains, 1 brain classes, version 2.27\n";
  const struct {
    std::string scene;
    std::string options;
    int status;
    std::string out;
    std::string err;
  } kCases[] = {
      {"frames 2\nat 0 run Python before.py\nat 1 run Python loop.py fast 3\n", "--call-limit 1", 1,
       loaded + "@0 log: before \n", "stage: Python loop.py fast 3 has run for 1 s; stopping\n"},
      {"at 0 run Python before.py\nobject Walker\nbrainclass Walker PythonMgr:walker.py\n",
       "--call-limit 0.5 --trace trace.txt", 1, loaded + "@0 log: before \n",
       "stage: Walker.PythonMgr.Update has run for 0.5 s; stopping\n"},
      {"frames 2\nat 0 run Python before.py\nat 1 run Python bye.py\n", "", 3,
       loaded + "@0 log: before \n@1 log: kept \n", ""},
  };
  for (const auto& row : kCases) {
    Scene("s.scene", plugin + row.scene);
    const Outcome run = Stage(row.options + " s.scene");
    EXPECT_EQ(run.status, row.status) << row.scene;
    EXPECT_EQ(run.out, row.out) << row.scene;
    EXPECT_EQ(run.err, row.err) << row.scene;
  }
  // The trace was written up to the call that ran too long (whose own line
  // comes when it returns).
  const std::string trace = Read(dir_ / "trace.txt");
  EXPECT_EQ(trace.substr(trace.rfind('\n', trace.size() - 2) + 1), "@0 ReservedStatBegin(4)\n");
}

}  // namespace
