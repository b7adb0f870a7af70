// The built GroveXcmd plug-in loaded into the stage, with a small scene per
// test: the fixture of the plug-in's tests.
#ifndef TESSERA_GROVE_GROVE_FIXTURE_H_
#define TESSERA_GROVE_GROVE_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grove/grove.h"
#include "stage/stage.h"

namespace grovetest {

using Lines = std::vector<std::string>;

class GroveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(stage_.LoadPlugin(GROVEXCMD_PLUGIN_PATH, &error)) << error;
    Mark();
  }

  // Builds the scene text (frame time 0.1 unless the text sets one first).
  void Scene(const std::string& text) {
    std::vector<std::string> errors;
    ASSERT_TRUE(stage::ParseScene("frametime 0.1\n" + text, &scene_, &errors)) << errors[0];
    ASSERT_TRUE(stage_.Build(scene_, &errors)) << errors[0];
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
  void Frame() { stage_.RunFrame(scene_, frame_++); }
  void Frames(int count) {
    for (int i = 0; i < count; ++i) Frame();
  }
  // Runs a command at the current frame; returns its result.
  int32_t Run(const std::string& command, const std::vector<std::string>& args) {
    return stage_.RunCommand(command, args);
  }

  // Forgets what was said and traced so far.
  void Mark() {
    messagesSeen_ = stage_.model().messages().size();
    traceSeen_ = stage_.model().trace().lines().size();
  }
  // The message lines since the last Mark, as the stage prints them, without
  // the frame.
  Lines Said() {
    Lines lines;
    const auto& messages = stage_.model().messages();
    for (size_t i = messagesSeen_; i < messages.size(); ++i) {
      const std::string text = stage::FormatMessage(messages[i]);
      lines.push_back(text.substr(text.find(' ') + 1));
    }
    return lines;
  }
  // Trace lines since the last Mark that begin with one of `names` (after
  // the frame), without the frame.
  Lines Calls(const Lines& names) {
    Lines lines;
    const auto& trace = stage_.model().trace().lines();
    for (size_t i = traceSeen_; i < trace.size(); ++i) {
      const std::string call = trace[i].substr(trace[i].find(' ') + 1);
      for (const std::string& name : names)
        if (call.compare(0, name.size() + 1, name + "(") == 0) lines.push_back(call);
    }
    return lines;
  }

  stage::SceneObject* Object(const std::string& name) { return stage_.model().FindObject(name); }
  mkPoint3 Position(const std::string& name) {
    const mkMatrix44 world = stage_.model().WorldMatrix(Object(name));
    return {world.m[0][3], world.m[1][3], world.m[2][3]};
  }
  template <class Brain>
  Brain* BrainOf(const std::string& object) {
    return static_cast<Brain*>(Object(object)->brain->plugin);
  }

  stage::Stage stage_;
  stage::SceneDescription scene_;
  int32_t frame_ = 0;
  size_t messagesSeen_ = 0;
  size_t traceSeen_ = 0;
};

}  // namespace grovetest

#endif  // TESSERA_GROVE_GROVE_FIXTURE_H_
