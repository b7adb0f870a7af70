// The built GroveXcmd plug-in loaded into the stage, with a small scene per
// test: the fixture of the plug-in's tests.
#ifndef TESSERA_GROVE_GROVE_FIXTURE_H_
#define TESSERA_GROVE_GROVE_FIXTURE_H_

#include <string>
#include <vector>

#include "grove/grove.h"
#include "stage/testing/stage_fixture.h"

namespace grovetest {

using stagetest::Lines;

// Said() and Calls() see what happened since the scene was built or since
// Mark(); a command run does not mark, so the lines of several runs and
// frames are read together. Scenes have the frame time 0.1 unless the text
// sets one first.
class GroveTest : public stagetest::StageFixture {
 protected:
  GroveTest() : StageFixture({GROVEXCMD_PLUGIN_PATH}) {
    sceneHead_ = "frametime 0.1\n";
    saidAs_ = stagetest::SaidAs::kPrinted;
  }

  void SetUp() override {
    StageFixture::SetUp();
    Mark();
  }

  void Scene(const std::string& text) {
    StageFixture::Scene(text);
    Mark();
  }
  // Adds the objects, variables and brains of more scene text to the scene
  // built already.
  void More(const std::string& text) {
    std::vector<std::string> errors;
    stage::SceneDescription more;
    ASSERT_TRUE(stage::ParseScene(text, &more, &errors)) << errors[0];
    ASSERT_TRUE(stage_.Build(more, &errors)) << errors[0];
    Mark();
  }
  void Frames(int count) {
    for (int i = 0; i < count; ++i) Frame();
  }
  // Runs a command at the current frame; returns its result.
  int32_t Run(const std::string& command, const std::vector<std::string>& args) {
    return stage_.RunCommand(command, args);
  }

  // Trace lines since the last Mark that begin with one of `names` (after
  // the frame), without the frame.
  Lines Calls(const Lines& names) {
    Lines lines;
    const auto& trace = stage_.model().trace().lines();
    for (size_t i = traceFirst_; i < trace.size(); ++i) {
      const std::string call = trace[i].substr(trace[i].find(' ') + 1);
      for (const std::string& name : names)
        if (call.compare(0, name.size() + 1, name + "(") == 0) lines.push_back(call);
    }
    return lines;
  }

  mkPoint3 Position(const std::string& name) {
    const mkMatrix44 world = stage_.model().WorldMatrix(Object(name));
    return {world.m[0][3], world.m[1][3], world.m[2][3]};
  }
};

}  // namespace grovetest

#endif  // TESSERA_GROVE_GROVE_FIXTURE_H_
