// The stage as the fixture of the plug-ins' tests: the built plug-ins loaded
// the way the engine loads them, small scenes built from scene-file text, and
// the message lines and call trace of the commands and frames run on them.
#ifndef TESSERA_STAGE_TESTING_STAGE_FIXTURE_H_
#define TESSERA_STAGE_TESTING_STAGE_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kit/testing/temp_dir.h"
#include "stage/picture.h"
#include "stage/stage.h"

namespace stagetest {

using Lines = std::vector<std::string>;

// Plays `text` as a whole scene (its plug-ins, every frame) on a new stage
// that stays in the current directory, and returns the stage for
// inspection. `picture`, when given, records the end of every frame.
inline std::unique_ptr<stage::Stage> PlayText(const std::string& text,
                                              stage::RunPicture* picture = nullptr) {
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  EXPECT_TRUE(stage::ParseScene(text, &scene, &errors)) << (errors.empty() ? "" : errors[0]);
  auto played = std::make_unique<stage::Stage>();
  played->enterSceneDirectory = false;
  if (picture != nullptr) {
    stage::Stage* s = played.get();
    played->onFrameEnd = [s, picture](int32_t) { picture->Record(s->model()); };
  }
  EXPECT_TRUE(played->Play(scene, &errors)) << (errors.empty() ? "" : errors[0]);
  return played;
}

// How Said() writes a message line.
enum class SaidAs {
  kMarked,        // "log: TEXT", "warning: TEXT", and a stage note as TEXT alone ("actor X")
  kLogOrWarning,  // "log: TEXT" for a log line, "warning: TEXT" for any other
  kPrinted,       // as the stage prints it, without the frame: "stage: TEXT", bytes as \xNN
};

// A suite derives from the fixture and names its plug-ins in its
// constructor, where it may also change the settings below. The window of
// Said() and Traced() starts at the last Mark(); Run() marks first.
class StageFixture : public ::testing::Test {
 protected:
  explicit StageFixture(std::vector<std::string> plugins) : plugins_(std::move(plugins)) {}

  void SetUp() override {
    if (!gameDirectory_.empty()) {
      home_ = std::filesystem::current_path();
      dir_ = mktest::MakeTempDir(gameDirectory_);
      std::filesystem::create_directories(dir_ / "python");
      std::filesystem::current_path(dir_);
    }
    held_.emplace();
    scene_ = stage::SceneDescription();
    frame_ = 0;
    first_ = traceFirst_ = 0;
    for (const std::string& path : plugins_) {
      std::string error;
      ASSERT_TRUE(stage_.LoadPlugin(path, &error)) << error;
    }
  }
  // The plug-ins are unloaded in the game directory that they ran in.
  void TearDown() override {
    if (gameDirectory_.empty()) return;
    stage_.UnloadPlugins();
    std::filesystem::current_path(home_);
  }

  // Builds `text` (after sceneHead_) as a new part of the scene: its
  // objects, variables, actors and brains. Frame() plays the frames of the
  // last text built.
  void Scene(const std::string& text) {
    scene_ = stage::SceneDescription();
    std::vector<std::string> errors;
    ASSERT_TRUE(stage::ParseScene(sceneHead_ + text, &scene_, &errors)) << errors[0];
    ASSERT_TRUE(stage_.Build(scene_, &errors)) << errors[0];
  }

  // Plays the next frame: the clock, the timeline, queued actors, then every
  // brain's Update.
  void Frame() { stage_.RunFrame(scene_, frame_++); }

  // Runs a command as an actor's step would, after Mark(); returns its
  // just-one-frame result.
  int32_t Run(const std::string& command, const std::vector<std::string>& args,
              stage::Actor* actor = nullptr, stage::Detector* detector = nullptr) {
    Mark();
    return stage_.RunCommand(command, args, actor, detector);
  }

  // Runs the actors that the commands queued, in order, until none is left.
  void RunActors() {
    while (!stage_.model().actorQueue().empty()) {
      auto run = stage_.model().actorQueue().front();
      stage_.model().actorQueue().pop_front();
      stage_.RunCommand(run.command, run.args, run.actor, run.detector);
    }
  }

  // Forgets what was said and traced so far.
  void Mark() {
    first_ = stage_.model().messages().size();
    traceFirst_ = stage_.model().trace().lines().size();
  }

  // The message lines since the last Mark, written as saidAs_ says.
  Lines Said() {
    static const char* const kMarks[] = {"log: ", "warning: ", ""};
    Lines lines;
    const auto& messages = stage_.model().messages();
    for (size_t i = first_; i < messages.size(); ++i) {
      const stage::Message& m = messages[i];
      switch (saidAs_) {
        case SaidAs::kMarked:
          lines.push_back(kMarks[int(m.kind)] + m.text);
          break;
        case SaidAs::kLogOrWarning:
          lines.push_back((m.kind == stage::MessageKind::kLog ? "log: " : "warning: ") + m.text);
          break;
        case SaidAs::kPrinted: {
          const std::string text = stage::FormatMessage(m);
          lines.push_back(text.substr(text.find(' ') + 1));
          break;
        }
      }
    }
    return lines;
  }

  // The call trace lines since the last Mark (a run's own lines included).
  Lines Traced() {
    const auto& lines = stage_.model().trace().lines();
    return Lines(lines.begin() + long(traceFirst_), lines.end());
  }

  // The traced lines since the last Mark that contain `part`.
  Lines TracedWith(const std::string& part) {
    Lines found;
    for (const auto& line : Traced())
      if (line.find(part) != std::string::npos) found.push_back(line);
    return found;
  }

  // The host calls since the last Mark in the order made, without the frame
  // mark and without a run's own lines: "GetBehavior(Fan) -> ...".
  Lines Calls() {
    Lines calls;
    for (const auto& line : Traced()) {
      const size_t space = line.find(' ');
      const std::string call = space == std::string::npos ? line : line.substr(space + 1);
      if (!call.empty() && call[0] != '>' && call[0] != '<') calls.push_back(call);
    }
    return calls;
  }

  stage::SceneObject* Object(const std::string& name) { return stage_.model().FindObject(name); }
  // The plug-in brain attached to `object`; null when it has none.
  template <class Brain>
  Brain* BrainOf(const std::string& object) {
    stage::SceneObject* o = Object(object);
    return o != nullptr && o->brain != nullptr ? static_cast<Brain*>(o->brain->plugin) : nullptr;
  }

  // Settings, for the suite's constructor to change.
  std::string sceneHead_;  // put before every scene text ("frametime 0.1\n")
  SaidAs saidAs_ = SaidAs::kMarked;
  // When set, a fresh directory of this stem, with its python/ folder, is
  // the current directory while the test runs: the game directory.
  std::string gameDirectory_;

  // SetUp starts on a fresh stage, so that a test may call TearDown() and
  // SetUp() to begin again. The new stage takes the old one's place, where
  // stage_ names it.
  std::optional<stage::Stage> held_{std::in_place};
  stage::Stage& stage_ = *held_;
  stage::SceneDescription scene_;
  int32_t frame_ = 0;
  size_t first_ = 0;            // the first message line that Said() returns
  size_t traceFirst_ = 0;       // the first trace line that Traced() returns
  std::filesystem::path home_;  // the current directory before the game directory
  std::filesystem::path dir_;   // the game directory, when there is one

 private:
  std::vector<std::string> plugins_;
};

}  // namespace stagetest

#endif  // TESSERA_STAGE_TESTING_STAGE_FIXTURE_H_
