// Scene files: parsed from text, and a scene that parses is built on the
// stage's model (without plug-ins) and played for a few frames.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "stage/scene_file.h"
#include "stage/stage.h"

namespace {

// Frames played of a scene that parses: enough to reach its timeline's
// first steps, few enough to keep thousands of runs a second.
constexpr int32_t kFramesPlayed = 3;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  stage::SceneDescription scene;
  std::vector<std::string> errors;
  const bool parsed = stage::ParseScene(text, &scene, &errors);
  FUZZ_CHECK(parsed == errors.empty());
  // The reader stops after kMaxSceneErrors errors, saying so in one more.
  FUZZ_CHECK(errors.size() <= stage::kMaxSceneErrors + 1);
  if (!parsed) return 0;
  FUZZ_CHECK(scene.frames >= 0 && scene.frames <= stage::kMaxFrames);

  stage::Stage stage;
  stage.enterSceneDirectory = false;
  if (!stage.Build(scene, &errors)) return 0;
  const int32_t frames = std::min(scene.frames, kFramesPlayed);
  for (int32_t frame = 0; frame < frames; ++frame) stage.RunFrame(scene, frame);
  return 0;
}
