// A creature example scene (scenes/hopkin.scene, scenes/crowd.scene) built
// on a stage that runs as `stage --quiet` does (message and trace lines
// neither kept nor written), ready to play frame after frame: for the
// stage's benchmark and its steady-state allocation check.
#ifndef TESSERA_STAGE_SCENE_FRAMES_H_
#define TESSERA_STAGE_SCENE_FRAMES_H_

#include <string>
#include <vector>

#include "stage/stage.h"

namespace stagetest {

class SceneFrames {
 public:
  // Loads and builds the scene; ok() tells whether it could.
  SceneFrames(const std::string& path, const std::string& plugin) {
    ok_ = stage::LoadScene(path, &scene_, &errors_);
    if (!ok_) return;
    scene_.plugins = {plugin};
    const int32_t frames = scene_.frames;
    scene_.frames = 0;
    stage_.model().keepMessages = false;
    stage_.model().trace().keep = false;
    ok_ = stage_.Play(scene_, &errors_);
    scene_.frames = frames;
  }

  bool ok() const { return ok_; }
  const std::vector<std::string>& errors() const { return errors_; }
  // Plays the next frame.
  void Step() { stage_.RunFrame(scene_, frame_++); }
  stage::Stage& stage() { return stage_; }

 private:
  stage::SceneDescription scene_;
  std::vector<std::string> errors_;
  stage::Stage stage_;
  int32_t frame_ = 0;
  bool ok_ = false;
};

}  // namespace stagetest

#endif  // TESSERA_STAGE_SCENE_FRAMES_H_
