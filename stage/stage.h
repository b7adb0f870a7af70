// The reference host: loads plug-ins as the engine does, builds a scene on
// its model and plays it frame by frame. Tests use it as their fixture:
//
//   stage::Stage stage;
//   stage.LoadPlugin(KILNXCMD_PLUGIN_PATH, &error);
//   stage.Play(scene);            // or Build(scene) and RunCommand(...)
//   stage.model().messages();     // the log and warning lines
//   stage.model().trace().lines();
//
// A run is reproducible: the clock that plug-ins read (the scene interface's
// GetSecs and GetSecsDelta, and the C runtime's time()) follows the scene's
// frames, and the C runtime's random generator is seeded from the scene's
// clock before the first frame.
#ifndef TESSERA_STAGE_STAGE_H_
#define TESSERA_STAGE_STAGE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "stage/model.h"
#include "stage/plugin_loader.h"
#include "stage/scene_api.h"
#include "stage/scene_file.h"

namespace stage {

// The brain type of camera brains, which the stage resets when it attaches
// them and asks to update their camera's goals every frame.
inline constexpr int32_t kCameraBrainType = 303;

class Stage {
 public:
  // A frame runs at most this many command runs (actor steps and repeats);
  // the rest are dropped with a warning, so that actors that run each other
  // in a circle cannot hang the stage.
  static constexpr int kMaxRunsPerFrame = 10000;

  Stage();
  ~Stage();
  Stage(const Stage&) = delete;
  Stage& operator=(const Stage&) = delete;

  // Directories searched for plug-ins named without a path.
  std::vector<std::string> pluginPath;

  // Loads a plug-in by path (or by name through pluginPath), binds every
  // listed name to its exported object and hands the scene interface to
  // commands and brain classes. False with `error` set when it cannot.
  bool LoadPlugin(const std::string& pathOrName, std::string* error);
  const std::vector<std::unique_ptr<PluginLibrary>>& plugins() const { return plugins_; }
  // Unloads every plug-in, in reverse order of loading; their exported
  // objects are destroyed. The model stays (its host brains are detached).
  void UnloadPlugins();

  // Builds the scene's objects, variables, actors, detectors, events and
  // brains on the model (plug-ins must be loaded). False with errors when a
  // name is missing or taken.
  bool Build(const SceneDescription& scene, std::vector<std::string>* errors);
  // Whether Play makes the scene file's directory the current directory
  // first: it is the game directory, against which plug-ins open their files
  // (init/chars/hopkin.ini and the like).
  bool enterSceneDirectory = true;

  // Loads the scene's plug-ins, builds it and plays all its frames. The
  // set-up is in stage/scene_build.cpp, the frames in stage/frame_loop.cpp
  // and the clock in stage/scene_clock.cpp.
  bool Play(const SceneDescription& scene, std::vector<std::string>* errors);

  // Plays one frame: the clock, repeated commands, timeline entries of this
  // frame, queued actors, then every attached brain's Update.
  void RunFrame(const SceneDescription& scene, int32_t frame);

  // Runs a command by name, as an actor's step would; returns its
  // just-one-frame result (1 when the command does not exist).
  int32_t RunCommand(const std::string& name, const std::vector<std::string>& args,
                     Actor* actor = nullptr, Detector* detector = nullptr);

  // Called at the end of every frame that RunFrame plays (the picture of a
  // run records positions here); may be empty.
  std::function<void(int32_t frame)> onFrameEnd;

  Model& model() { return *model_; }
  StageSceneApi& api() { return *api_; }

 private:
  // The timeline verbs' actions (stage/timeline_verbs.cpp) play on the stage.
  friend struct TimelineActions;

  // Loads the plug-ins that the scene names (by a path relative to the scene
  // file, or by name) after entering its directory when asked to.
  bool LoadScenePlugins(const SceneDescription& scene, std::vector<std::string>* errors);
  void RunQueuedActors();
  // Does what the entry's verb does (nothing for a verb that is not one).
  void ApplyTimeline(const TimelineEntry& entry);
  // The object of that name, or null with a stage note that names the scene
  // file's line (when there is one).
  SceneObject* Find(const std::string& name, int line = 0);
  // " (FILE:LINE)" of a line of the scene file, or "" for line 0.
  std::string Where(int line) const;
  // Says once in a run that an object's position is no longer a finite
  // number (a glide that overflowed, a script's NaN): pictures and replay
  // pages leave such positions out.
  void CheckPositionsFinite();
  void BuildVehicle(const VehicleSpec& def,
                    const std::function<void(int, const std::string&)>& error);

  // Destroyed in reverse order: the plug-ins are unloaded first, while the
  // model's keys that they clear still exist.
  std::unique_ptr<Model> model_;
  std::unique_ptr<StageSceneApi> api_;
  std::vector<std::unique_ptr<PluginLibrary>> plugins_;
  std::vector<CommandRun> repeats_;
  Detector* timelineDetector_ = nullptr;
  std::string scenePath_;  // the scene being played, for notes
  bool saidNotFinite_ = false;
  float frameTime_ = 1.0f / 30.0f;
  int64_t clock_ = 0;
};

// The calendar time that the C runtime's time() reports inside a stage
// process: the scene's clock plus the whole seconds played.
void SetSceneCalendarTime(int64_t seconds);

}  // namespace stage

#endif  // TESSERA_STAGE_STAGE_H_
