// The fixture of KilnXcmd's tests: the plug-in loaded into the stage the
// way the engine loads it, small scenes built from scene-file text, and the
// message lines and call trace of the commands run on them.
#ifndef TESSERA_KILN_KILN_FIXTURE_H_
#define TESSERA_KILN_KILN_FIXTURE_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "stage/ops.h"
#include "stage/stage.h"

namespace kilntest {

using stage::Message;
using stage::MessageKind;
using Lines = std::vector<std::string>;

class KilnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(stage_.LoadPlugin(KILNXCMD_PLUGIN_PATH, &error)) << error;
  }

  // Builds `text` as a scene (objects, variables and actors only).
  void Scene(const std::string& text) {
    stage::SceneDescription scene;
    std::vector<std::string> errors;
    ASSERT_TRUE(stage::ParseScene(text, &scene, &errors)) << errors[0];
    ASSERT_TRUE(stage_.Build(scene, &errors)) << errors[0];
  }

  int32_t Run(const std::string& command, const std::vector<std::string>& args) {
    first_ = stage_.model().messages().size();
    traceFirst_ = stage_.model().trace().lines().size();
    return stage_.RunCommand(command, args, nullptr, nullptr);
  }

  // Runs the actors that the last command queued; they are named by their
  // stage lines.
  void RunActors() {
    while (!stage_.model().actorQueue().empty()) {
      auto run = stage_.model().actorQueue().front();
      stage_.model().actorQueue().pop_front();
      stage_.RunCommand(run.command, run.args, run.actor, run.detector);
    }
  }

  // The message lines since the last Run, as "log: ...", "warning: ..." and
  // "actor X" for actors that ran.
  std::vector<std::string> Said() {
    std::vector<std::string> lines;
    const auto& messages = stage_.model().messages();
    for (size_t i = first_; i < messages.size(); ++i) {
      const Message& m = messages[i];
      const char* mark = m.kind == MessageKind::kLog       ? "log: "
                         : m.kind == MessageKind::kWarning ? "warning: "
                                                           : "";
      lines.push_back(mark + m.text);
    }
    return lines;
  }

  // The call trace lines since the last Run (the run's own lines included).
  Lines Traced() {
    const auto& lines = stage_.model().trace().lines();
    return Lines(lines.begin() + long(traceFirst_), lines.end());
  }

  // The traced calls since the last Run whose line contains `part`.
  Lines TracedWith(const std::string& part) {
    Lines found;
    for (const auto& line : Traced())
      if (line.find(part) != std::string::npos) found.push_back(line);
    return found;
  }

  // The host calls since the last Run in the order made, without the frame
  // mark and without the run's own lines: "GetBehavior(Fan) -> ...".
  Lines Calls() {
    Lines calls;
    for (const auto& line : Traced()) {
      const size_t space = line.find(' ');
      const std::string call = space == std::string::npos ? line : line.substr(space + 1);
      if (!call.empty() && call[0] != '>' && call[0] != '<') calls.push_back(call);
    }
    return calls;
  }

  stage::Stage stage_;
  size_t first_ = 0;
  size_t traceFirst_ = 0;
};

}  // namespace kilntest

#endif  // TESSERA_KILN_KILN_FIXTURE_H_
