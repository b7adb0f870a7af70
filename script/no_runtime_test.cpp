// ScriptXcmd where no Python runtime can be loaded: SCRIPTXCMD_PYTHON names
// a folder holding only a text file and an unrelated library under the
// runtime's file names. The plug-in loads and lists its commands and brain
// class; every command and every brain says that scripts are off, and the
// host goes on. (The runtime is looked for once per load of the plug-in,
// so this program holds one case.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kit/testing/temp_dir.h"
#include "stage/stage.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(NoRuntimeTest, EveryCommandAndBrainSaysScriptsAreOff) {
  const fs::path home = fs::current_path();
  const fs::path dir = mktest::MakeTempDir("no-python");
  fs::create_directories(dir / "python" / "lib");
  std::ofstream(dir / "python" / "lib" / "libpython3.13.so") << "not a library\n";
  std::error_code unused;
  fs::create_symlink("/lib/x86_64-linux-gnu/libz.so.1", dir / "python" / "lib" / "libpython3.12.so",
                     unused);
  std::ofstream(dir / "python" / "hello.py") << "print('hello')\n";
  fs::current_path(dir);
  const std::string folder = (dir / "python").string();
  ASSERT_EQ(setenv("SCRIPTXCMD_PYTHON", folder.c_str(), 1), 0);

  stage::Stage stage;
  std::string error;
  ASSERT_TRUE(stage.LoadPlugin(SCRIPTXCMD_PLUGIN_PATH, &error)) << error;
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  ASSERT_TRUE(stage::ParseScene("object Zovezi.1\n", &scene, &errors)) << errors[0];
  ASSERT_TRUE(stage.Build(scene, &errors)) << errors[0];

  const std::string off =
      "Python: no Python 3 runtime found (searched SCRIPTXCMD_PYTHON=" + folder +
      "); scripts are off";
  size_t first = 0;
  const auto said = [&] {
    Lines lines;
    const auto& messages = stage.model().messages();
    for (size_t i = first; i < messages.size(); ++i)
      lines.push_back((messages[i].kind == stage::MessageKind::kWarning ? "warning: " : "log: ") +
                      messages[i].text);
    first = messages.size();
    return lines;
  };
  const struct {
    const char* command;
    std::vector<std::string> args;
  } calls[] = {
      {"Python", {"hello.py"}},
      {"Python", {"hello.py", "again"}},
      {"PythonBrain", {"Zovezi.1", "guard.py"}},
      {"BrainParams", {"Zovezi.1", "loud"}},
  };
  for (const auto& call : calls) {
    first = stage.model().messages().size();
    EXPECT_EQ(stage.RunCommand(call.command, call.args, nullptr, nullptr), 1) << call.command;
    EXPECT_EQ(said(), Lines{"warning: " + off}) << call.command;
  }
  // The brain class makes no brain, and says why.
  stage::SceneObject* object = stage.model().FindObject("Zovezi.1");
  first = stage.model().messages().size();
  EXPECT_FALSE(stage.model().AttachBrainClass(object, "PythonMgr:guard.py"));
  const Lines brainLines = said();
  EXPECT_NE(std::find(brainLines.begin(), brainLines.end(), "warning: " + off), brainLines.end());
  fs::current_path(home);
}

}  // namespace
