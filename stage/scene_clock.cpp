#include "stage/scene_clock.h"

#include <cstdlib>
#include <ctime>

#include "stage/stage.h"

namespace stage {

namespace {

int64_t gCalendarTime = 1000000000;

}  // namespace

void SetSceneCalendarTime(int64_t seconds) {
  gCalendarTime = seconds;
}

void StartSceneClock(int64_t calendarSeconds) {
  SetSceneCalendarTime(calendarSeconds);
  std::srand(unsigned(calendarSeconds));
}

void SetFrameClock(Model& model, const SceneDescription& scene, int32_t frame) {
  const float seconds = float(frame) * scene.frameTime;
  model.SetClock(frame, seconds, scene.frameTime);
  SetSceneCalendarTime(scene.clock + int64_t(seconds));
}

}  // namespace stage

#if !defined(_WIN32)
// Plug-ins seed the C runtime's random generator with time(); a stage process
// answers time() from the scene's clock, so that scene runs are reproducible.
// The symbol is exported from the executable (see stage/CMakeLists.txt) and
// so takes the place of the C runtime's for every library loaded into it.
extern "C" time_t time(time_t* out) {
  const time_t now = time_t(stage::gCalendarTime);
  if (out != nullptr) *out = now;
  return now;
}
#endif
