// The scene's clock, which makes a run reproducible: the model's clock (the
// scene interface's GetSecs and GetSecsDelta) follows the scene's frames, the
// C runtime's time() reports the scene's calendar seconds plus the seconds
// played (SetSceneCalendarTime in stage/stage.h), and the C runtime's random
// generator starts from the scene's calendar seconds.
#ifndef TESSERA_STAGE_SCENE_CLOCK_H_
#define TESSERA_STAGE_SCENE_CLOCK_H_

#include <cstdint>

#include "stage/model.h"
#include "stage/scene_file.h"

namespace stage {

// Starts a run at `calendarSeconds`: time() reports them from now on (brain
// classes seed their draws with it while the scene is built), and the
// generator is seeded with them for plug-ins that draw without seeding.
void StartSceneClock(int64_t calendarSeconds);

// Sets the clocks to the start of `frame` of `scene`: the model's, and the
// calendar seconds that time() reports.
void SetFrameClock(Model& model, const SceneDescription& scene, int32_t frame);

}  // namespace stage

#endif  // TESSERA_STAGE_SCENE_CLOCK_H_
